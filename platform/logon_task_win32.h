// The logon task through the Task Scheduler's COM interface (Vista on).
// The calling thread has COM initialised.
#pragma once

#include "platform/logon_task.h"

class Win32LogonTasks : public LogonTaskScheduler {
public:
    bool Present() override;
    std::optional<std::string> Register(const std::u16string& definition) override;
    std::optional<std::string> Remove() override;
};
