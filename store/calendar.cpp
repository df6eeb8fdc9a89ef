#include "store/calendar.h"

#include <chrono>

namespace calendar {

namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr std::int64_t kMinutesPerDay = 1440;

year_month_day Ymd(int y, int m, int d) {
    return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
}

// Rounded towards minus infinity, so that minutes before 1970 fall on their own day.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

int DaysInMonth(int y, int m) {
    const auto last = std::chrono::year_month_day_last{year{y}, std::chrono::month_day_last{month{static_cast<unsigned>(m)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool IsDate(int y, int m, int d) { return m >= 1 && m <= 12 && d >= 1 && d <= 31 && Ymd(y, m, d).ok(); }

std::int64_t DayNumber(int y, int m, int d) { return sys_days{Ymd(y, m, d)}.time_since_epoch().count(); }

int WeekdayOf(std::int64_t dayNumber) {
    return static_cast<int>(std::chrono::weekday{sys_days{days{dayNumber}}}.c_encoding());
}

LocalTime MomentOn(std::int64_t dayNumber, std::int64_t minuteOfDay) {
    const sys_days when{days{dayNumber}};
    const year_month_day date{when};
    LocalTime t;
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.dayOfWeek = static_cast<int>(std::chrono::weekday{when}.c_encoding());
    t.hour = static_cast<int>(minuteOfDay / 60);
    t.minute = static_cast<int>(minuteOfDay % 60);
    return t;
}

std::int64_t MinuteNumber(const LocalTime& t) {
    return DayNumber(t.year, t.month, t.day) * kMinutesPerDay + t.hour * 60 + t.minute;
}

LocalTime FromMinuteNumber(std::int64_t minutes) {
    const std::int64_t dayNumber = FloorDiv(minutes, kMinutesPerDay);
    return MomentOn(dayNumber, minutes - dayNumber * kMinutesPerDay);
}

LocalTime AddMinutes(const LocalTime& t, std::int64_t minutes) {
    LocalTime moved = FromMinuteNumber(MinuteNumber(t) + minutes);
    moved.second = t.second;
    return moved;
}

bool SameMinute(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

}  // namespace calendar
