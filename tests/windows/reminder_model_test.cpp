#include "windows/reminder_model.h"

#include <gtest/gtest.h>

namespace {

TEST(ReminderTimeLine, HasNoLeadingZeros) {
    LocalTime t;
    t.year = 2021; t.month = 3; t.day = 7; t.hour = 9; t.minute = 5; t.second = 59;
    EXPECT_EQ(ReminderTimeLine(t), "2021-3-7 9:5");
    t.month = 12; t.day = 31; t.hour = 0; t.minute = 0;
    EXPECT_EQ(ReminderTimeLine(t), "2021-12-31 0:0");
}

TEST(ReminderShownText, CutsLongMessagesAtACharacterWithAnEllipsis) {
    const size_t limit = kReminderShownCharacters;
    EXPECT_EQ(ReminderShownText(""), "");
    EXPECT_EQ(ReminderShownText("该吃饭了。"), "该吃饭了。");
    const std::string ascii(limit, 'x');
    EXPECT_EQ(ReminderShownText(ascii), ascii) << "exactly the limit is drawn whole";
    EXPECT_EQ(ReminderShownText(ascii + "y"), ascii + "…");
    // Two-byte characters count once each.
    std::string chinese;
    for (size_t i = 0; i < limit; ++i) chinese += "提";
    EXPECT_EQ(ReminderShownText(chinese), chinese);
    EXPECT_EQ(ReminderShownText(chinese + "醒"), chinese + "…");
    // Mixed: the cut never falls between the two bytes of a character.
    std::string mixed = std::string(limit - 1, 'a') + "提醒";
    EXPECT_EQ(ReminderShownText(mixed), std::string(limit - 1, 'a') + "提…");
    // A lone lead byte at the very end is one character; with a byte after
    // it, the two are one character.
    std::string lone = std::string(limit - 1, 'a') + "\xB0";
    EXPECT_EQ(ReminderShownText(lone), lone);
    EXPECT_EQ(ReminderShownText(lone + "b"), lone + "b");
    EXPECT_EQ(ReminderShownText(lone + "bc"), lone + "b" + "…");
    // 0x80 and 0xFF are single bytes in GBK.
    std::string singles = std::string(limit - 1, 'a') + "\x80" + "\xFF";
    EXPECT_EQ(ReminderShownText(singles), std::string(limit - 1, 'a') + "\x80…");
    const std::string huge(1000000, 'z');
    EXPECT_EQ(ReminderShownText(huge).size(), limit + 2);
}

}  // namespace
