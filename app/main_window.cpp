#include "app/main_window.h"

#include "actions/reminder.h"
#include "app/shell_texts.h"
#include "platform/registry_win32.h"
#include "platform/system_win32.h"
#include "platform/text_win32.h"

#include <lmcons.h>
#include <mmsystem.h>

namespace {

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
    SetEnabled(kTimer2, false);

    state_.registry = std::make_unique<RegistryAccessor>(g_registryBackend);
    std::string notice = StoreNoticeText(LoadOptions(*state_.registry, state_.options));
    if (!notice.empty()) ShowReminder(notice, "");

    std::uint32_t secondsSinceBoot = GetTickCount() / 1000;
    std::int32_t kaiji = 0;
    try {
        kaiji = state_.registry->ReadInteger(kKaijiValue);
    } catch (const StoreError&) {
        // The store could not be read; the notice above has said so already.
    }
    if (ShouldShowBootTime(kaiji, secondsSinceBoot)) ShowReminder(BootTimeText(secondsSinceBoot), "");

    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    AllowMessageFromLowerIntegrity(hwnd_, taskbarCreated_);
    AllowMessageFromLowerIntegrity(hwnd_, kTrayCallbackMessage);
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
    SetEnabled(kTimer1, state_.monitoring);
}

void MainWindow::StartTimer(TimerId id, unsigned intervalMs) { SetTimer(hwnd_, id, intervalMs, nullptr); }

void MainWindow::StopTimer(TimerId id) { KillTimer(hwnd_, id); }

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
    switch (id) {
    case kTimer1: scheduler_.Timer1Timer(); break;
    case kTimer2: Timer2Timer(); break;
    case kTimer3: scheduler_.Timer3Timer(); break;
    }
}

void MainWindow::N1Click() {
    state_.monitoring = !state_.monitoring;
    SetEnabled(kTimer1, state_.monitoring);
    ShowMonitoring();
}

// The check mark of "启用监控(&E)" and the tray icon follow the switch.
void MainWindow::ShowMonitoring() {
    CheckMenuItem(menu_, kCmdMonitor, MF_BYCOMMAND | (state_.monitoring ? MF_CHECKED : MF_UNCHECKED));
    tray_.Modify(AppIcon(state_.monitoring ? L"ENASHUT" : L"DISSHUT"), state_.monitoring ? kTipEnabled : kTipDisabled);
}

void MainWindow::MyChangeCaption(const std::string& word) {
    SetWindowTextW(hwnd_, Wide("Windows 正在准备" + word + "...").c_str());
}

void MainWindow::Show() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MainWindow::PlayWarningSound(const std::string& soundPath) {
    PlaySoundW(Wide(soundPath).c_str(), nullptr, SND_FILENAME | SND_LOOP | SND_ASYNC);
}

// One second of the countdown. At its end the tick resumes (while monitoring
// is on); the power actions themselves are not carried out yet.
void MainWindow::Timer2Timer() {
    if (++countdownPosition_ < state_.options.tishi) return;
    countdownPosition_ = 0;
    ShowWindow(hwnd_, SW_HIDE);
    if (!state_.options.soundpath.empty()) PlaySoundW(nullptr, nullptr, 0);
    SetEnabled(kTimer1, state_.monitoring);
    SetEnabled(kTimer2, false);
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
