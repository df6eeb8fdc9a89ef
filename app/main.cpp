// Program entry: one instance per machine, a hidden main window, the message
// loop; or, started by the junk-cleaning batch with "/clean", the cleaning
// alone; or, with "/import" or "/export", a settings file in or out.
#include "actions/junk_cleaner_win32.h"
#include "app/instance_guard_win32.h"
#include "app/main_window.h"
#include "app/settings_command_win32.h"
#include "app/shell_texts.h"
#include "platform/system_win32.h"
#include "platform/text_win32.h"
#include "store/autostart.h"

#include <commctrl.h>
#include <cwchar>
#include <objbase.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    LoadDllsFromSystemFolderOnly();
    // The running copy holds the mutex and waits for the batch: this copy
    // opens no window and leaves the mutex alone.
    if (commandLine && _wcsicmp(commandLine, kJunkCleaningSwitch) == 0) return RunJunkCleaning();
    if (const std::optional<int> code = RunSettingsCommand()) return *code;

    // The mutex is never closed: it marks the running copy in this session
    // until the process ends; the machine-wide guard marks it in every session.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(kMutexName).c_str());
    const bool sessionCopy = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    const GuardFound guard = TakeMachineGuard();
    const bool byLogon = commandLine && StartedByLogon(reinterpret_cast<const char16_t*>(commandLine));
    switch (AnswerAtStart(sessionCopy, guard, byLogon)) {
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
    MainWindow mainWindow(state);
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
