// The one calendar, against the hand-written day arithmetic it replaced (kept
// here as the oracle) and the cases those copies were tested with.
#include "store/calendar.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The replaced copies' algorithm: days since 1970-01-01 of a civil date, and back.
std::int64_t OldDayNumber(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

LocalTime OldMomentOn(std::int64_t z, std::int64_t minuteOfDay) {
    const std::int64_t weekday = ((z % 7) + 11) % 7;
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.dayOfWeek = static_cast<int>(weekday);
    t.hour = static_cast<int>(minuteOfDay / 60);
    t.minute = static_cast<int>(minuteOfDay % 60);
    return t;
}

std::string Show(const LocalTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second) + " wd" +
           std::to_string(t.dayOfWeek);
}

LocalTime At(int y, int mo, int d, int h, int mi, int s = 0) {
    LocalTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
    t.dayOfWeek = calendar::WeekdayOf(calendar::DayNumber(y, mo, d));
    return t;
}

// Every day of the first and the last centuries a system clock can show,
// 1601 to 3000 and 30000 to 30827, both ways.
TEST(Calendar, AgreesWithTheReplacedArithmeticOnEveryDayOfTheSystemClocksEdges) {
    int disagreements = 0;
    for (std::int64_t day = OldDayNumber(1601, 1, 1); day <= OldDayNumber(30827, 12, 31) && disagreements < 5; ++day) {
        if (day == OldDayNumber(3001, 1, 1)) day = OldDayNumber(30000, 1, 1);
        const LocalTime expected = OldMomentOn(day, 0);
        const LocalTime got = calendar::MomentOn(day, 0);
        if (Show(got) != Show(expected) ||
            calendar::DayNumber(expected.year, expected.month, expected.day) != day) {
            ++disagreements;
            ADD_FAILURE() << day << ": " << Show(got) << " against " << Show(expected);
        }
    }
}

TEST(Calendar, LeapDaysMonthEndsAnd2099) {
    EXPECT_EQ(calendar::DaysInMonth(2032, 2), 29);
    EXPECT_EQ(calendar::DaysInMonth(2100, 2), 28) << "a century is no leap year";
    EXPECT_EQ(calendar::DaysInMonth(2000, 2), 29) << "unless it divides by 400";
    EXPECT_EQ(calendar::DaysInMonth(2099, 2), 28);
    EXPECT_EQ(calendar::DaysInMonth(2030, 4), 30);
    EXPECT_EQ(calendar::DaysInMonth(2030, 12), 31);
    EXPECT_TRUE(calendar::IsDate(2032, 2, 29));
    EXPECT_FALSE(calendar::IsDate(2030, 2, 29));
    EXPECT_FALSE(calendar::IsDate(2030, 4, 31));
    EXPECT_FALSE(calendar::IsDate(2030, 13, 1));
    EXPECT_FALSE(calendar::IsDate(2030, 0, 1));
    EXPECT_FALSE(calendar::IsDate(2030, 1, 0));

    EXPECT_EQ(Show(calendar::AddMinutes(At(2032, 2, 28, 23, 59, 6), 1)), "2032-2-29 0:0:6 wd0");
    EXPECT_EQ(Show(calendar::AddMinutes(At(2100, 2, 28, 23, 59), 1)), "2100-3-1 0:0:0 wd1");
    EXPECT_EQ(Show(calendar::AddMinutes(At(2099, 12, 31, 23, 59, 59), 1)), "2100-1-1 0:0:59 wd5");
    EXPECT_EQ(Show(calendar::AddMinutes(At(2099, 3, 1, 0, 0), -1)), "2099-2-28 23:59:0 wd6");
    EXPECT_EQ(Show(calendar::AddMinutes(At(2030, 1, 31, 12, 0), 30 * 1440)), "2030-3-2 12:0:0 wd6");
    EXPECT_EQ(Show(calendar::FromMinuteNumber(-1)), "1969-12-31 23:59:0 wd3") << "before 1970, its own day";
    EXPECT_EQ(calendar::MinuteNumber(At(1970, 1, 2, 0, 1)), 1441);
}

// The calendar is the wall clock's: a day on which summer time begins or
// ends still has 1440 minutes, so a task at 2:30 on it is a minute like any other.
TEST(Calendar, DaysOfASummerTimeChangeAreWholeDaysOfTheWallClock) {
    for (const LocalTime& day : {At(2026, 3, 29, 0, 0), At(2026, 10, 25, 0, 0), At(2026, 3, 8, 0, 0)}) {
        const std::int64_t start = calendar::MinuteNumber(day);
        EXPECT_EQ(Show(calendar::FromMinuteNumber(start + 150)),
                  std::to_string(day.year) + "-" + std::to_string(day.month) + "-" + std::to_string(day.day) +
                      " 2:30:0 wd0");
        EXPECT_EQ(calendar::MinuteNumber(calendar::AddMinutes(day, 1440)) - start, 1440);
    }
    EXPECT_TRUE(calendar::SameMinute(At(2026, 3, 29, 2, 30, 1), At(2026, 3, 29, 2, 30, 59)));
    EXPECT_FALSE(calendar::SameMinute(At(2026, 3, 29, 2, 30, 59), At(2026, 3, 29, 2, 31, 0)));
    EXPECT_FALSE(calendar::SameMinute(At(2026, 3, 29, 2, 30), At(2027, 3, 29, 2, 30))) << "a year apart";
}

}  // namespace
