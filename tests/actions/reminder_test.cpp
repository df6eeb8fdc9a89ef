#include "actions/reminder.h"

#include <gtest/gtest.h>

namespace {

TEST(ReminderTimeLine, HasNoLeadingZeros) {
    LocalTime t;
    t.year = 2021; t.month = 3; t.day = 7; t.hour = 9; t.minute = 5; t.second = 59;
    EXPECT_EQ(ReminderTimeLine(t), "2021-3-7 9:5");
    t.month = 12; t.day = 31; t.hour = 0; t.minute = 0;
    EXPECT_EQ(ReminderTimeLine(t), "2021-12-31 0:0");
}

}  // namespace
