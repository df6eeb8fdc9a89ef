// A task as four GBK texts: A the schedule, B the type name, C the attributes,
// D the state. This module writes and reads those texts; nothing else in the
// program knows their grammar.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kStateEnabled[] = "启用";
inline constexpr char kStateDisabled[] = "禁用";

enum class ScheduleKind { None, Idle, Once, Daily, Weekly, Monthly, Yearly, AtBoot, Interval };

// Told by the first two characters (four bytes) of A.
ScheduleKind KindOf(const std::string& a);

// The runtime's decimal conversion: an optional sign and decimal digits that
// fit 32 bits, nothing else.
std::optional<std::int32_t> ToInt(std::string_view text);

// A text that does not convert to a number. Like a store error it ends the
// command that ran into it, and its text is shown in a message box.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// ToInt, or ConversionError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The user's short date format, from a Windows picture such as "yyyy/M/d".
// The days of a month (1 to 12) in the Gregorian calendar.
int DaysInMonth(int year, int month);

class ShortDateFormat {
public:
    explicit ShortDateFormat(const std::string& picture);
    std::string Format(int year, int month, int day) const;
    // Reads a date written in this format; two-digit years fall in the century
    // of `currentYear`. A field written straight before another takes only
    // its own digits (two, or four for "yyy" and longer). Fails on text of
    // any other shape, on dates that do not exist and on years outside 1601
    // to 30827, which no system clock shows.
    struct Date {
        int year, month, day;
        bool operator==(const Date&) const = default;
    };
    std::optional<Date> Parse(std::string_view text, int currentYear) const;

private:
    struct Token {
        char field;           // 'y', 'M', 'd', or 0 for literal text
        int width;            // count of the letter in the picture
        std::string literal;  // for literal text
    };
    std::vector<Token> tokens_;
};

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

struct ScheduleMatch {
    ScheduleKind kind = ScheduleKind::None;
    std::vector<std::string> fields;  // in the order of the kind's separators
    bool due = false;                 // a field that does not convert makes it not due
};

// The readers of A: the field texts of its kind and whether it is due.
ScheduleMatch MatchSchedule(const std::string& a, const DueInputs& inputs);
// The due flag alone, without copying the fields: what the tick asks of
// every enabled record.
bool IsScheduleDue(const std::string& a, const DueInputs& inputs);
// The field texts alone, for filling the editor.
std::vector<std::string> ScheduleFields(const std::string& a);

// The position of the last of `bytes` in a GBK text, or npos; a GBK trail
// byte that happens to be one of them does not count.
size_t LastGbkByteOf(const std::string& text, std::string_view bytes);

// The file-name part of a path: the text after its last "\" or ":". A GBK
// trail byte that happens to be "\" does not end a folder name.
std::string FileNamePart(const std::string& path);

// C of a hibernate task: "不唤醒" or 第<day>天<hour>时<minute>分唤醒.
inline constexpr char kNoWake[] = "不唤醒";
struct WakeSpecFields {
    std::string choice, day, hour, minute;
};
WakeSpecFields SplitWakeSpec(const std::string& c);

// C of a backup task: source*target*flag.
struct BackupSpecFields {
    std::string source, target, flag;
    bool overwrite() const { return flag == "1"; }
};
BackupSpecFields SplitBackupSpec(const std::string& c);
std::string BackupText(const std::string& source, const std::string& target, bool overwrite);

// The 18 type names of B, in the order of the editor's type list.
enum class TaskType {
    Reminder, OpenFile, OpenFolder, CloseProgram, HangUp, Dial, LogOff, Standby, Hibernate, Restart, ShutDown,
    FastRestart, FastShutDown, CleanJunk, DisableAdapter, EnableAdapter, BackupFile, BackupFolder,
};
inline constexpr int kTaskTypeCount = 18;
extern const char* const kTaskTypeNames[kTaskTypeCount];
// Exact, byte for byte; none for any other text.
std::optional<TaskType> TaskTypeOf(const std::string& b);
