// Names found on disk between Windows's UTF-16 and the backup engine's UTF-8,
// and the listing's fallback for Vista.
#include "platform/listing_fallback.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Utf8, EveryNameComesBackAsItWasEvenWithALoneSurrogate) {
    const std::u16string lone[] = {{u'a', char16_t(0xD800), u'b'}, {char16_t(0xDC00)}, {char16_t(0xD83D)}};
    const std::u16string names[] = {u"한글.txt", u"ñandú", u"Ωμέγα", u"😀.txt", lone[0], lone[1], lone[2]};
    for (const std::u16string& name : names) EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(name)), name);
    const std::u16string emoji = u"😀";
    EXPECT_EQ(Utf8FromUtf16(emoji), "\xF0\x9F\x98\x80");
    const std::u16string edges{0x7F, 0x80, 0x7FF, 0x800, 0xFFFF};
    EXPECT_EQ(Utf8FromUtf16(edges), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    // No UTF-8: a stray continuation, an overlong "/", a cut sequence, past U+10FFFF.
    constexpr char16_t kBad = 0xFFFD;
    EXPECT_EQ(Utf16FromUtf8("\x80" "a\xC0\xAF" "b\xE4\xB8"), (std::u16string{kBad, u'a', kBad, kBad, u'b', kBad, kBad}));
    EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), std::u16string(4, kBad));
    EXPECT_EQ(Utf16FromUtf8("\xE0\x9F\xBF"), std::u16string(3, kBad));  // overlong
    EXPECT_EQ(Utf16FromUtf8("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF}));
    EXPECT_EQ(Utf8FromUtf16(std::u16string{0xD800, 0xDC00}), "\xF0\x90\x80\x80");  // U+10000, both ways
    EXPECT_EQ(Utf16FromUtf8("\xF0\x90\x80\x80"), (std::u16string{0xD800, 0xDC00}));
}

TEST(ListingFallback, AFastFormRefusedOnceListsPlainlyFromThenOnButOtherFailuresDoNotSwitch) {
    std::vector<ListingForm> tried;
    ListingFallback seven;
    EXPECT_FALSE(seven.List([&](ListingForm form) { return tried.push_back(form), ListingOutcome::Failed; }));
    EXPECT_TRUE(seven.List([&](ListingForm form) { return tried.push_back(form), ListingOutcome::Listed; }));
    EXPECT_EQ(tried, (std::vector<ListingForm>{ListingForm::Fast, ListingForm::Fast}));

    tried.clear();
    ListingFallback vista;
    auto refuseFast = [&](ListingForm form) {
        tried.push_back(form);
        return form == ListingForm::Fast ? ListingOutcome::Refused : ListingOutcome::Listed;
    };
    EXPECT_TRUE(vista.List(refuseFast));
    EXPECT_TRUE(vista.List(refuseFast));
    EXPECT_EQ(tried, (std::vector<ListingForm>{ListingForm::Fast, ListingForm::Plain, ListingForm::Plain}));
}

}  // namespace
