// The eight power actions, each with one row: the word its countdown shows,
// the task type that schedules it, its call, and whether the close-all sweep
// goes before it.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "store/task_texts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class PowerAction { LogOff, Standby, Hibernate, Restart, ShutDown, FastRestart, FastShutDown, HangUp };
inline constexpr int kPowerActionCount = 8;

enum class Sweep { Always, WhenShutappIsOne, Never };

// Receives what a hibernation has to tell of its wake timer, one text at a
// time, before the machine sleeps.
using PowerNotes = std::function<void(const std::string& text)>;

// What a call may use: the wake text of a scheduled hibernation with the day
// it counts from, the hang-up, which is the network's, and where the wake
// timer's texts go (nowhere when empty).
struct PowerCallInputs {
    PowerSystem& power;
    const std::string& wakeSpec;
    const LocalTime& today;
    const std::function<void()>& hangUp;
    const PowerNotes& notes;
};

struct PowerActionRow {
    PowerAction action;
    const char* word;  // what the countdown shows
    TaskType type;
    Sweep sweep;
    bool waitsForBackups;  // a countdown that ends while backups run holds the action until they end
    void (*call)(const PowerCallInputs& in);
};

// In the order of the enum.
extern const PowerActionRow kPowerActions[kPowerActionCount];

inline const PowerActionRow& RowOf(PowerAction action) { return kPowerActions[static_cast<int>(action)]; }

// The action a task type waits for its countdown with; none for an immediate type.
std::optional<PowerAction> PowerActionFor(TaskType type);

// Whether the close-all sweep goes first, before the countdown and from the tray alike.
inline bool SweepsFirst(PowerAction action, std::int32_t shutapp) {
    const Sweep sweep = RowOf(action).sweep;
    return sweep == Sweep::Always || (sweep == Sweep::WhenShutappIsOne && shutapp == 1);
}

// Makes the row's call: a countdown's end, or its "立即…". A hibernation that
// arms its wake timer and is given `notes` reads the power plan's setting
// after it and hands `notes` the texts of WakeTimerNotes before it suspends.
void ExecutePowerAction(PowerAction action, const std::string& wakeSpec, const LocalTime& today, PowerSystem& power,
                        const std::function<void()>& hangUp, const PowerNotes& notes = {});

// What arming the wake timer for `wakeAt` came to, as SetWakeTimer answered,
// "唤醒定时器已设定：2026-12-10 07:30" or "唤醒定时器设定失败：…"; then, when
// the power plan forbids wake timers, "电源选项禁止了唤醒定时器（交流电源/电池）"
// naming where.
std::vector<std::string> WakeTimerNotes(const LocalTime& wakeAt, std::uint32_t error, const WakeTimerSetting& setting);

// The wake moment of a wake text: day 1 is `today`, day 2 the next day and so
// on, at hour:minute:00. "不唤醒" and an empty text ask for none. Throws
// ConversionError for a field that is not a number, and for a time of day
// that does not exist.
std::optional<LocalTime> WakeMoment(const std::string& wakeSpec, const LocalTime& today);
