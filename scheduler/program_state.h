// Process-wide state, one instance each, alive from start-up to the end.
#pragma once

#include "store/options.h"
#include "store/task_store.h"

#include <memory>

struct ProgramState {
    StoreOptions options;              // read by all; written by the store alone
    std::unique_ptr<TaskStore> store;  // released when the main window closes
    bool monitoring = true;            // the tray menu's "启用监控(&E)" switch
    bool tickHeld = false;             // the settings window is open: no task fires
};
