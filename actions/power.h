// The power actions: what a countdown's word, a tray entry or a hotkey turns
// into, and the wake moment of a scheduled hibernation.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"

#include <cstdint>
#include <functional>
#include <string>

// The wake moment of a wake text: day 1 is `today`, day 2 the next day and so
// on, at hour:minute:00. "不唤醒" and an empty text ask for none. Throws
// ConversionError for a field that is not a number, and for a time of day
// that does not exist.
std::optional<LocalTime> WakeMoment(const std::string& wakeSpec, const LocalTime& today);

// Arms the wake timer when the text asks for one, then suspends (not forced).
void HibernateComputer(const std::string& wakeSpec, const LocalTime& today, PowerSystem& power);

// Carries out a countdown's word; the hang-up goes to `hangUp`. An empty or
// unknown word does nothing.
void ExecutePowerAction(const std::string& word, const std::string& wakeSpec, const LocalTime& today,
                        PowerSystem& power, const std::function<void()>& hangUp);

// The tray menu's power entries and the hotkeys act at once, with the
// close-all sweep where the entry calls for it.
enum class TrayPower { LogOff, Standby, Hibernate, Restart, ShutDown, FastRestart, FastShutDown };
void RunTrayPower(TrayPower entry, std::int32_t shutapp, PowerSystem& power);

enum class PowerHotkey { F8, F9, F10, F11 };
void RunHotkeyPower(PowerHotkey key, PowerSystem& power);
