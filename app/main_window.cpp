#include "app/main_window.h"

#include "actions/reminder.h"
#include "app/shell_texts.h"
#include "platform/registry_win32.h"
#include "platform/system_win32.h"
#include "platform/text_win32.h"

#include <lmcons.h>

namespace {

constexpr UINT kTimerIntervals[] = {0, 6000, 1000, 60000};  // indexed by TimerId

HICON AppIcon(const wchar_t* name) { return LoadIconW(GetModuleHandleW(nullptr), name); }

std::string CurrentUserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size)) return {};
    return Narrow(name);
}

Win32Registry g_registryBackend;

}  // namespace

bool MainWindow::Create() {
    if (!CreateWindowFor(kMainWindowClass, Wide(kMainCaption), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOPMOST,
                         401, 136, nullptr, AppIcon(L"MAINICON")))
        return false;
    FormCreate();
    return true;
}

void MainWindow::FormCreate() {
    EnableShutdownPrivilege();
    if (!IsUserAdmin()) ShowReminder(kNotAdminNotice, "");
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetTimerEnabled(kTimer2, false);

    state_.registry = std::make_unique<RegistryAccessor>(g_registryBackend);
    LoadReport report = LoadOptions(*state_.registry, state_.options);
    if (!report.ok()) {
        std::string notice = kStoreUnavailableNotice;
        for (const std::string& error : report.errors) notice += "\r\n" + error;
        ShowReminder(notice, "");
    }

    std::uint32_t secondsSinceBoot = GetTickCount() / 1000;
    std::int32_t kaiji = 0;
    try {
        kaiji = state_.registry->ReadInteger(kKaijiValue);
    } catch (const StoreError&) {
        // The store could not be read; the notice above has said so already.
    }
    if (ShouldShowBootTime(kaiji, secondsSinceBoot)) ShowReminder(BootTimeText(secondsSinceBoot), "");

    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    tray_.Add(hwnd_, AppIcon(L"MAINICON"), kTipEnabled);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    hotkeys_.Register(hwnd_, state_.options.rejian != 0);

    HotkeyCaptions captions = MenuCaptionsFor(state_.options.rejian, CurrentUserName());
    menu_ = CreatePopupMenu();
    for (const MenuEntry& entry : kTrayMenu) {
        if (entry.command == 0)
            AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu_, MF_STRING, entry.command, Wide(TrayMenuCaption(entry, captions)).c_str());
    }
    CheckMenuItem(menu_, kCmdMonitor, MF_BYCOMMAND | MF_CHECKED);
    SetTimerEnabled(kTimer1, true);
}

void MainWindow::SetTimerEnabled(TimerId id, bool enabled) {
    if (enabled)
        SetTimer(hwnd_, id, kTimerIntervals[id], nullptr);  // restarts the interval, as a re-enabled timer does
    else
        KillTimer(hwnd_, id);
    timerEnabled_[id] = enabled;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kTrayCallbackMessage:
        if (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN) ShowTrayMenu();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_HOTKEY:
        OnHotkey(hotkeys_.Identify(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    }
    LRESULT result = Default(msg, wParam, lParam);
    if (taskbarCreated_ != 0 && msg == taskbarCreated_) tray_.AddAgain();
    return result;
}

void MainWindow::ShowTrayMenu() {
    SetForegroundWindow(hwnd_);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // lets the menu close when the user clicks elsewhere
}

void MainWindow::OnCommand(unsigned command) {
    switch (command) {
    case kCmdMonitor: N1Click(); break;
    case kCmdExit: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    default: break;  // the other entries have no command yet
    }
}

void MainWindow::OnHotkey(Hotkey) {
    // The hotkeys are registered so that they are this program's; what they do comes with the menu commands.
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id == kTimer3) {
        SetTimerEnabled(kTimer1, true);
        SetTimerEnabled(kTimer3, false);
    }
}

void MainWindow::N1Click() {
    bool monitoring = GetMenuState(menu_, kCmdMonitor, MF_BYCOMMAND) & MF_CHECKED;
    monitoring = !monitoring;
    SetTimerEnabled(kTimer1, monitoring);
    CheckMenuItem(menu_, kCmdMonitor, MF_BYCOMMAND | (monitoring ? MF_CHECKED : MF_UNCHECKED));
    tray_.Modify(AppIcon(monitoring ? L"ENASHUT" : L"DISSHUT"), monitoring ? kTipEnabled : kTipDisabled);
}

void MainWindow::FormClose() {
    tray_.Remove();
    state_.registry.reset();
    DestroyWindow(hwnd_);
}

void MainWindow::FormDestroy() {
    hotkeys_.Unregister();
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
    PostQuitMessage(0);
}
