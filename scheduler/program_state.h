// Process-wide state, one instance each, alive from start-up to the end.
#pragma once

#include "platform/registry.h"
#include "scheduler/power_action.h"
#include "store/options.h"

#include <memory>
#include <optional>
#include <string>

struct ProgramState {
    StoreOptions options;
    std::unique_ptr<RegistryAccessor> registry;     // released when the main window closes
    std::optional<PowerAction> PendingPowerAction;  // the action waiting for its countdown
    std::string WakeSpec;                           // the wake text of a due hibernate task
    bool monitoring = true;                         // the tray menu's "启用监控(&E)" switch
    bool tickHeld = false;                          // the settings window is open: no task fires
};
