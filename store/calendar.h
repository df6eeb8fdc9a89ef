// The one civil calendar of the program, on the standard library's: days
// counted from 1 January 1970, minutes of local wall-clock time counted from
// its midnight, and the local times they stand for. The due test's one-off
// dates, the next-run reading, the wake moment, the re-arm's next minute and
// the missed-run check all count here.
#pragma once

#include "platform/clock.h"

#include <cstdint>

namespace calendar {

// The days of a month (1 to 12) in the Gregorian calendar.
int DaysInMonth(int year, int month);
// Whether year/month/day is a day of the calendar.
bool IsDate(int year, int month, int day);
// Days since 1 January 1970 of a date; the date must exist.
std::int64_t DayNumber(int year, int month, int day);
// 0 Sunday to 6 Saturday.
int WeekdayOf(std::int64_t dayNumber);
// Minute `minuteOfDay` (0 to 1439) of a day, second 0, its weekday from the calendar.
LocalTime MomentOn(std::int64_t dayNumber, std::int64_t minuteOfDay);

// Local wall-clock minutes since 1 January 1970 00:00; the second is not counted.
std::int64_t MinuteNumber(const LocalTime& t);
// The local time of a minute number, second 0.
LocalTime FromMinuteNumber(std::int64_t minutes);
// The same wall-clock second `minutes` later (or earlier), across hours,
// days, months and years; the weekday from the calendar.
LocalTime AddMinutes(const LocalTime& t, std::int64_t minutes);
bool SameMinute(const LocalTime& a, const LocalTime& b);

}  // namespace calendar
