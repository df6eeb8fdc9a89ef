#include "scheduler/missed_runs.h"

#include "store/calendar.h"
#include "store/schedule_text.h"
#include "store/task_store.h"

#include <algorithm>
#include <cstdio>

MissedRuns MissedRunsOf(const std::string& a, std::int64_t from, std::int64_t to,
                        const std::function<const ShortDateFormat&()>& dateFormat) {
    MissedRuns runs;
    const ScheduleKind kind = KindOf(a);
    if (kind == ScheduleKind::None || kind == ScheduleKind::Idle || kind == ScheduleKind::AtBoot) return runs;
    DueInputs inputs{{}, [] { return std::uint32_t{0}; }, [] { return std::uint64_t{0}; }, dateFormat};
    for (std::int64_t m = std::max(from, to - kMissedLookBackMinutes); m < to && runs.count < kMissedCountLimit;) {
        inputs.now = calendar::FromMinuteNumber(m);
        const NextRun next = NextRunOf(a, inputs);
        if (next.is != NextRun::Is::At) break;
        const std::int64_t at = calendar::MinuteNumber(next.at);
        if (at >= to) break;
        if (runs.count++ == 0) runs.first = next.at;
        runs.last = next.at;
        m = at + 1;
    }
    return runs;
}

bool CatchesUp(TaskType type) {
    switch (type) {
    case TaskType::Reminder:
    case TaskType::OpenFile:
    case TaskType::OpenFolder:
    case TaskType::CloseProgram:
    case TaskType::CleanJunk:
    case TaskType::BackupFile:
    case TaskType::BackupFolder: return true;
    default: return false;
    }
}

std::string MomentText(const LocalTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

Outcome MissedOutcome(const MissedRuns& runs) {
    std::string text = "错过 ";
    if (runs.count == 1) return {text + MomentText(runs.last), true};
    if (runs.count >= kMissedCountLimit)
        return {text + std::to_string(kMissedCountLimit) + " 次以上：自 " + MomentText(runs.first) + " 起", true};
    text += std::to_string(runs.count);
    return {text + " 次：" + MomentText(runs.first) + " 至 " + MomentText(runs.last), true};
}

Outcome CaughtUpOutcome(const LocalTime& dueAt, const Outcome& outcome) {
    return {"补做（原定 " + MomentText(dueAt) + "）：" + outcome.text, outcome.failed};
}

std::string CaughtUpReminderText(const std::string& message, const LocalTime& dueAt) {
    return "（原定 " + MomentText(dueAt) + " 的提醒，电脑当时未运行本程序）\r\n" + message;
}

std::string WatchedMinuteText(const LocalTime& t) { return MomentText(t); }

std::optional<std::int64_t> ParseWatchedMinute(const std::string& text) {
    int year, month, day, hour, minute;
    char end;
    if (text.size() != 16 || std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &year, &month, &day, &hour, &minute,
                                         &end) != 5)
        return std::nullopt;
    if (year < 1601 || !calendar::IsDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return std::nullopt;
    LocalTime t;
    t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute;
    if (WatchedMinuteText(t) != text) return std::nullopt;  // signs, blanks and short fields
    return calendar::MinuteNumber(t);
}

std::optional<std::int64_t> ReadWatchedMinute(RegistryAccessor& registry) {
    try {
        // The accessor is the caller's own: its key closes with it.
        if (!OpenStore(registry) || !registry.ValueExists(kWatchedMinuteValue)) return std::nullopt;
        return ParseWatchedMinute(registry.ReadString(kWatchedMinuteValue));
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

void WriteWatchedMinute(RegistryAccessor& registry, const LocalTime& t) {
    try {
        if (OpenStore(registry)) registry.WriteString(kWatchedMinuteValue, WatchedMinuteText(t));
    } catch (const StoreError&) {
        // The next minute tries again; a start after a kill then looks back a little further.
    }
}
