// The settings window "设置": the task list and the options.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "scheduler/program_state.h"
#include "store/autostart.h"
#include "store/run_log.h"
#include "store/settings_file.h"

#include <functional>
#include <string>

struct SettingsContext {
    ProgramState* state = nullptr;
    Clock* clock = nullptr;
    unsigned osMajorVersion = 0;
    PowerSystem* power = nullptr;   // the task editor's reading of the wake timer setting
    std::string exePath;            // the program folder's, and the sound dialog's start
    AutostartTarget autostart;      // what "开机启动Tempiro(&S)" writes and registers
    LogonTaskScheduler* logonTasks = nullptr;
    std::function<void()> closed;   // the scheduler tick may run again
    RunLog* runLog = nullptr;       // an import writes its line there
    std::function<void()> openRunLog;  // "运行记录(&L)"
};

// Opens the window, or brings the open one to the front. The caller holds
// the tick from the first call until `closed` runs.
void ShowSettingsWindow(const SettingsContext& context);
bool SettingsWindowOpen();

// After an import that did not come through the window (a file handed to
// the running copy by "Tempiro.exe /import"): what the window's own import
// does after it, in an open window and in open "修改" editors.
void SettingsImported(bool replaced);

// The moment of an export as the file's header shows it, now.
ExportTime ExportTimeNow(Clock& clock);
