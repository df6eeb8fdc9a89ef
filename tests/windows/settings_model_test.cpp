#include "windows/settings_model.h"

#include "store/task_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(SortTaskRows, NumbersByValueTextsByFoldedGbkBytesAndTheDirectionTurns) {
    EXPECT_LT(CompareTaskRows(0, "9", "10", true), 0) << "10 after 9";
    EXPECT_GT(CompareTaskRows(0, "9", "10", false), 0);
    EXPECT_EQ(CompareTaskRows(0, "x", "0", true), 0) << "no number counts as 0";
    EXPECT_EQ(CompareTaskRows(0, "0", "", true), 0);
    EXPECT_EQ(CompareTaskRows(0, "12", "12", false), 0);
    EXPECT_LT(CompareTaskRows(1, "abc", "ABD", true), 0) << "a to z folded";
    EXPECT_EQ(CompareTaskRows(2, "Abc", "aBC", true), 0);
    EXPECT_EQ(CompareTaskRows(2, "z", "Z", true), 0) << "z is folded too";
    EXPECT_GT(CompareTaskRows(2, "`", "a", true), 0) << "the byte before a is not folded (0x60 after A)";
    EXPECT_GT(CompareTaskRows(2, "[", "a", true), 0) << "a is taken as A (0x41), before [ (0x5B)";
    EXPECT_LT(CompareTaskRows(3, "ab", "abc", true), 0) << "a prefix comes first";
    EXPECT_GT(CompareTaskRows(3, "ab", "abc", false), 0);
    // GBK bytes compare unsigned: 提醒 (CC E1) after 关闭 (B9 D8), and after ASCII.
    EXPECT_GT(CompareTaskRows(2, "提醒", "关闭计算机", true), 0);
    EXPECT_GT(CompareTaskRows(2, "提醒", "zzz", true), 0);
    EXPECT_GT(CompareTaskRows(2, "\x81\x61", "\x81\x41", true), 0) << "a second byte is no letter";
    EXPECT_EQ(CompareTaskRows(2, "\x81\x41" "a", "\x81\x41" "A", true), 0) << "the byte after a character is";
}

TEST(CountdownLength, MinutesShownAndReadBack) {
    for (unsigned c : {unsigned{'.'}, unsigned{'5'}, 8u}) EXPECT_TRUE(MinutesKeyAllowed(c)) << c;
    for (unsigned c : {unsigned{','}, unsigned{'-'}, unsigned{'/'}}) EXPECT_FALSE(MinutesKeyAllowed(c)) << c;
    EXPECT_EQ(MinutesText(60), "1");
    EXPECT_EQ(MinutesText(90), "1.5");
    EXPECT_EQ(MinutesText(100), "1.66666666666667");
    EXPECT_EQ(MinutesText(0), "0");
    EXPECT_EQ(SecondsFromMinutesText("1.5"), 90);
    EXPECT_EQ(SecondsFromMinutesText("1"), 60);
    EXPECT_EQ(SecondsFromMinutesText(""), 60);
    EXPECT_EQ(SecondsFromMinutesText("0"), 0);
    EXPECT_EQ(SecondsFromMinutesText(".5"), 30);
    EXPECT_EQ(SecondsFromMinutesText("0.025"), 2) << "1.5 s rounds to the even 2";
    EXPECT_EQ(SecondsFromMinutesText("0.0075"), 0) << "0.45 s rounds down";
    EXPECT_EQ(SecondsFromMinutesText("0.075"), 4) << "4.5 s rounds to the even 4";
    EXPECT_EQ(SecondsFromMinutesText("1.66666666666667"), 100);
    EXPECT_EQ(SecondsFromMinutesText("+1"), 60) << "the runtime's conversion takes a sign and an exponent";
    EXPECT_EQ(SecondsFromMinutesText("-0.5"), -30);
    EXPECT_EQ(SecondsFromMinutesText("1e1"), 600);
    EXPECT_EQ(SecondsFromMinutesText("1e0"), 60);
    EXPECT_EQ(SecondsFromMinutesText("2E-1"), 12);
    for (const char* bad : {"1.2.3", ".", "1,5", "abc", " 1", "1e", "99999999999"}) {
        try {
            SecondsFromMinutesText(bad);
            ADD_FAILURE() << bad;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
        }
    }
}

TEST(EditTargets, AnEditorFollowsItsTaskThroughDeletions) {
    EditTargets targets;
    auto third = targets.Track(3);
    auto fifth = targets.Track(5);
    auto first = targets.Track(1);
    targets.Deleted(4);
    EXPECT_EQ(*third, 3) << "a deletion above leaves it alone";
    EXPECT_EQ(*fifth, 4);
    targets.Deleted(3);
    EXPECT_EQ(*third, 0) << "its task is gone: it will be stored as a new one";
    EXPECT_EQ(*fifth, 3);
    EXPECT_EQ(*first, 1);
    first.reset();  // a closed editor is no longer followed
    targets.Deleted(1);
    EXPECT_EQ(*fifth, 2);
    EXPECT_EQ(*third, 0);
    auto later = targets.Track(7);
    targets.AllReplaced();  // an import in replace mode
    EXPECT_EQ(*fifth, 0);
    EXPECT_EQ(*later, 0);
    targets.Deleted(1);
    EXPECT_EQ(*fifth, 0) << "no longer followed";
}

}  // namespace
