// Program entry: the command line read once, then one instance per machine,
// a hidden main window and the message loop; or, started by the
// junk-cleaning batch with "/clean", the cleaning alone; or, with "/import"
// or "/export", a settings file in or out.
#include "actions/junk_cleaner_win32.h"
#include "app/command_line.h"
#include "app/instance_guard_win32.h"
#include "app/main_window.h"
#include "app/settings_command_win32.h"
#include "app/shell_texts.h"
#include "platform/clock_win32.h"
#include "platform/log_file_win32.h"
#include "platform/system_win32.h"
#include "platform/text_win32.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

namespace {

// The arguments after the program's name, as the runtime splits them.
std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

// The run log and its file, made by start-up where a mode writes to it and
// never destroyed: backup and netsh workers still running as the program
// ends write to it.
struct ProgramLog {
    Win32LogFile file{RunLogFolder()};
    Win32Clock clock;
    RunLog log{file, clock};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    LoadDllsFromSystemFolderOnly();
    // The running copy holds the mutex and waits for the batch or the
    // command: such a copy opens no window and leaves the mutex alone.
    const StartCommand command = ParseCommandLine(commandLine ? commandLine : L"", Arguments());
    switch (command.mode) {
    case StartMode::Clean: return RunJunkCleaning();
    case StartMode::Usage: return kExitUsage;
    case StartMode::Import: return ImportSettingsFile(command.file, command.append, (new ProgramLog)->log);
    case StartMode::Export: return ExportSettingsFile(command.file);
    case StartMode::Normal:
    case StartMode::Logon: break;
    }

    // The mutex is never closed: it marks the running copy in this session
    // until the process ends; the machine-wide guard marks it in every session.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(kMutexName).c_str());
    const bool sessionCopy = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    const GuardFound guard = TakeMachineGuard();
    switch (AnswerAtStart(sessionCopy, guard, command.mode == StartMode::Logon)) {
    case StartAnswer::Run: break;
    case StartAnswer::EndSilently: return 0;
    case StartAnswer::ShowNotice:
        MessageBoxW(nullptr, Wide(kAlreadyRunning).c_str(), Wide(kAlreadyRunningTitle).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    SetErrorBoxTitle(kAppTitle);
    // The folder chooser's new dialog style needs COM on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_DATE_CLASSES |
                                                        ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    ProgramState state;
    ProgramLog& log = *new ProgramLog;
    MainWindow mainWindow(state, log.log, log.file);
    if (!mainWindow.Create()) return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageW(active, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
