// Runs missed while the program was not running, the PC slept or the wall
// clock jumped: which moments a schedule came due at in such a gap, how the
// run log names them, and which task types may be caught up on afterwards.
// The program keeps the last minute it was awake in (the watched minute) in
// the store, so that the gap after a kill is known at the next start.
#pragma once

#include "platform/clock.h"
#include "platform/registry.h"
#include "store/run_log.h"
#include "store/short_date.h"
#include "store/task_texts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

inline constexpr char kWatchedMinuteValue[] = "zuihou";
// The run log's lines when the PC goes to sleep and wakes.
inline constexpr char kSuspendNote[] = "电脑进入睡眠";
inline constexpr char kResumeNote[] = "电脑从睡眠中恢复";
// How far back a gap is looked into, and how many runs of one task are counted.
inline constexpr std::int64_t kMissedLookBackMinutes = 31 * 1440;
inline constexpr int kMissedCountLimit = 1000;

// The due moments of one schedule in a gap.
struct MissedRuns {
    int count = 0;  // at most kMissedCountLimit
    LocalTime first, last;
};

// The minutes at which schedule `a` came due from minute number `from` up to,
// not including, `to` (calendar::MinuteNumber), by the next-run reading the
// editor shows. A gap is looked into for its last kMissedLookBackMinutes at
// most. Idle and boot schedules wait for no moment: none for them, as for a
// text of no kind.
MissedRuns MissedRunsOf(const std::string& a, std::int64_t from, std::int64_t to,
                        const std::function<const ShortDateFormat&()>& dateFormat);

// The types run once afterwards when the user asks for catching up: never a
// power action, the dial, the hang-up or the adapter switch.
bool CatchesUp(TaskType type);

// "2026-12-09 08:30"
std::string MomentText(const LocalTime& t);
// "错过 2026-12-09 08:30", or "错过 3 次：2026-12-08 08:30 至 2026-12-10 08:30",
// "错过 1000 次以上：自 …" at the limit; a failure, for the tray tip.
Outcome MissedOutcome(const MissedRuns& runs);
// What a caught-up task came to: "补做（原定 2026-12-09 08:30）：" + its outcome.
Outcome CaughtUpOutcome(const LocalTime& dueAt, const Outcome& outcome);
// The message of a caught-up reminder, saying when it was due.
std::string CaughtUpReminderText(const std::string& message, const LocalTime& dueAt);

// The watched minute as the store keeps it, "2026-12-09 08:30", and back;
// none for any other text.
std::string WatchedMinuteText(const LocalTime& t);
std::optional<std::int64_t> ParseWatchedMinute(const std::string& text);
// From and to the store key; a value that cannot be read or written counts as none.
std::optional<std::int64_t> ReadWatchedMinute(RegistryAccessor& registry);
void WriteWatchedMinute(RegistryAccessor& registry, const LocalTime& t);
