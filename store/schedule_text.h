// A, the schedule of a task: one writer per kind, from the editor's controls,
// and the readers that tell its fields and whether it is due. The wake text of
// a hibernate task (its C) is written in the same units and read here too.
#pragma once

#include "platform/clock.h"
#include "store/short_date.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class ScheduleKind { None, Idle, Once, Daily, Weekly, Monthly, Yearly, AtBoot, Interval };

// Told by the first two characters (four bytes) of A.
ScheduleKind KindOf(const std::string& a);

// Writers of A, one per kind, from the editor's controls. Numbers from time
// pickers are written without leading zeros; texts from edit and list boxes
// are copied as they stand.
std::string IdleText(const std::string& minutes);
std::string OnceText(const std::string& date, int hour, int minute);
std::string DailyText(int hour, int minute);
std::string WeeklyText(const std::string& weekday, int hour, int minute);
std::string MonthlyText(const std::string& day, int hour, int minute);
std::string YearlyText(const std::string& month, const std::string& day, int hour, int minute);
std::string AtBootText(const std::string& hours, const std::string& minutes);  // empty boxes count as "0"
std::string IntervalText(const std::string& n, int hour, int minute);          // empty n gives an empty A

// What a due test may need beyond the time snapshot; asked only by the kinds
// that need it, at the moment the record is tested.
struct DueInputs {
    LocalTime now;
    std::function<std::uint32_t()> idleMinutes;
    std::function<std::uint64_t()> uptimeMilliseconds;
    std::function<const ShortDateFormat&()> dateFormat;
};

// The readers of A: whether it is due (a field that does not convert makes
// it not due), what the tick asks of every enabled record; and the field
// texts of its kind, in the order of its separators, for filling the editor.
bool IsScheduleDue(const std::string& a, const DueInputs& inputs);
std::vector<std::string> ScheduleFields(const std::string& a);

// When A comes due next, from the minute of inputs.now on: the first minute
// at which IsScheduleDue holds, worked out from the calendar (the one-off
// date in inputs.dateFormat) rather than minute by minute; for a boot
// schedule, the minute in which the time since the start reaches its own.
// An idle schedule waits for no moment, and a boot schedule whose minute has
// passed since this start comes no more: they tell what they wait for
// instead. The weekday of now is taken from the calendar; idle minutes are
// not asked.
struct NextRun {
    enum class Is { Never, At, WhenIdle, BootPassed };
    Is is = Is::Never;
    LocalTime at;              // At: the minute (second 0), its weekday from the calendar
    std::int64_t minutes = 0;  // WhenIdle: the idle minutes; BootPassed: the minutes after the start
};
NextRun NextRunOf(const std::string& a, const DueInputs& inputs);

// C of a hibernate task: "不唤醒" or 第<day>天<hour>时<minute>分唤醒.
inline constexpr char kNoWake[] = "不唤醒";
struct WakeSpecFields {
    std::string choice, day, hour, minute;
};
WakeSpecFields SplitWakeSpec(const std::string& c);
