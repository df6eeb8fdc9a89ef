// Process-wide state, one instance each, alive from start-up to the end.
#pragma once

#include "scheduler/power_action.h"
#include "store/options.h"
#include "store/task_store.h"

#include <memory>
#include <optional>
#include <string>

struct ProgramState {
    StoreOptions options;                           // read by all; written by the store alone
    std::unique_ptr<TaskStore> store;               // released when the main window closes
    std::optional<PowerAction> PendingPowerAction;  // the action waiting for its countdown
    std::string WakeSpec;                           // the wake text of a due hibernate task
    bool monitoring = true;                         // the tray menu's "启用监控(&E)" switch
    bool tickHeld = false;                          // the settings window is open: no task fires
};
