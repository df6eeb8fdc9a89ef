// "Tempiro.exe /import FILE [/append]" and "Tempiro.exe /export FILE" (see
// app/command_line.h): no window, no question, no message box, and an exit
// code. Like the junk cleaning's "/clean", they leave the single-instance
// mutex to the running copy. An import goes to the copy running in this
// session, whose main window takes it as its settings window's import would;
// with none running it is written to the store here. The export reads the
// store, where the running copy keeps everything, and needs no copy.
#pragma once

#include "scheduler/program_state.h"
#include "store/run_log.h"

#include <windows.h>

#include <string>

// The two commands' exit codes.
int ImportSettingsFile(const std::wstring& file, bool append, RunLog& runLog);
int ExportSettingsFile(const std::wstring& file);

// In the running copy: a WM_COPYDATA that may be an import handed over by
// such a command. Returns the message's answer; 0 for data that is not one.
LRESULT ImportHandedOver(ProgramState& state, const COPYDATASTRUCT* data, RunLog& runLog);
