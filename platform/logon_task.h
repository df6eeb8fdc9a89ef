// The seam to the Task Scheduler: the one task that starts this program at
// every user's logon. Each call answers none on success, or the system's
// words for what failed.
#pragma once

#include <optional>
#include <string>

inline constexpr char16_t kLogonTaskName[] = u"Tempiro";

class LogonTaskScheduler {
public:
    virtual ~LogonTaskScheduler() = default;
    // Whether the task is registered; false also when that cannot be asked.
    virtual bool Present() = 0;
    // Creates the task, or replaces the one registered, from its definition.
    virtual std::optional<std::string> Register(const std::u16string& definition) = 0;
    // A task that is not there counts as removed.
    virtual std::optional<std::string> Remove() = 0;
};
