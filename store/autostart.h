// Starting with Windows. On XP the "Horlane" value under the Run key does it.
// From Vista on, User Account Control keeps an elevated program in the Run
// key from starting at logon, so the box also registers a Task Scheduler task
// that starts this exe at every user's logon with the highest run level.
#pragma once

#include "platform/logon_task.h"
#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>

inline constexpr char kRunKeyPath[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutostartValue[] = "Horlane";
inline constexpr unsigned kFirstMajorWithUac = 6;  // Vista

// The value as it is written: the path in quotes, so that a path with
// blanks cannot start a shorter one.
std::string AutostartCommand(const std::string& exePath);
// Whether a value names this exe: byte for byte, quoted or as it once was
// written, bare.
bool AutostartNames(const std::string& value, const std::string& exePath);

// The task's definition in the Task Scheduler's XML: a logon trigger for any
// user, the highest run level, no time limit, started on battery and never
// stopped for it, and this exe with `arguments`.
std::u16string LogonTaskDefinition(std::u16string_view exePath, std::u16string_view arguments);

// The box as the value shows it: on only when the value names this exe.
bool AutostartEnabled(RegistryAccessor& registry, const std::string& exePath);

// This copy as the autostart sees it.
struct AutostartTarget {
    std::string exePath;         // as the value names it
    std::u16string definition;   // the logon task's, from LogonTaskDefinition
    unsigned osMajorVersion = 0;
};

// The box on OK. The value is written over in place when the box is ticked
// (a kill cannot lose it half-way) and deleted when it is cleared; from
// Vista on the logon task is registered anew or removed. Throws StoreError
// on a failed value write; answers the error text for a task that could
// not be registered or removed.
std::optional<std::string> ApplyAutostart(RegistryAccessor& registry, LogonTaskScheduler& tasks, bool on,
                                          const AutostartTarget& self);

// At start: a PC set up before the logon task existed gets it once the value
// names this exe. Answers the error text for a registration that failed.
std::optional<std::string> EnsureLogonTask(RegistryAccessor& registry, LogonTaskScheduler& tasks,
                                           const AutostartTarget& self);

// The error a failed registration or removal shows, in the runtime's style.
std::string LogonTaskError(bool registering, const std::string& reason);

