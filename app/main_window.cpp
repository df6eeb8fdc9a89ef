#include "app/main_window.h"

#include "actions/power.h"
#include "windows/reminder_window_win32.h"
#include "actions/tray_commands.h"
#include "windows/about_box_win32.h"
#include "app/command_line.h"
#include "app/settings_command_win32.h"
#include "app/shell_texts.h"
#include "platform/file_system_win32.h"
#include "platform/log_file_win32.h"
#include "platform/logon_task_win32.h"
#include "platform/registry_win32.h"
#include "platform/system_win32.h"
#include "platform/system_calls_win32.h"
#include "platform/text_win32.h"
#include "scheduler/missed_runs.h"
#include "windows/settings_window_win32.h"

#include "tempiro_version.h"

#include <commctrl.h>
#include <lmcons.h>

#include <algorithm>

namespace {

// The tray icon and the button glyphs: small icons, drawn for the DPI.
HICON SmallIcon(const wchar_t* name, int dpi) { return SharedIcon(name, SmallIconSizeFor(dpi)); }

std::string CurrentUserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size)) return {};
    return Narrow(name);
}

Win32Registry g_registryBackend;

// The backup workers' file system. It keeps no state and is never destroyed,
// so a backup still running while the program ends never meets a dead object.
FileSystem& BackupFiles() {
    static FileSystem* files = new Win32FileSystem;
    return *files;
}


// Posted by whichever thread wrote the line of a failed task.
constexpr UINT kTaskFailedMessage = WM_APP + 1;

// The tray callback is let through the message filter, so any process can
// send it: the menu opens only while the cursor is over the program's own
// icon, where the shell can tell (Shell_NotifyIconGetRect, Windows 7 on;
// looked up at run time).
bool CursorOverTrayIcon(HWND owner) {
    using GetRect = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    static const auto getRect = reinterpret_cast<GetRect>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "Shell_NotifyIconGetRect")));
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = owner;
    icon.uID = kTrayIconId;
    RECT place{};
    const HRESULT found = getRect ? getRect(&icon, &place) : E_NOTIMPL;
    POINT cursor{};
    if (!GetCursorPos(&cursor)) return false;
    const IconPlace told = found == E_NOTIMPL ? IconPlace::Untold : SUCCEEDED(found) ? IconPlace::Known : IconPlace::Failed;
    return TrayMenuMayOpen(told, {place.left, place.top, place.right, place.bottom}, cursor.x, cursor.y);
}

constexpr UINT_PTR kTrayRetryTimer = 10;  // beside the scheduler's four

Win32LogonTasks g_logonTasks;

// This copy as the autostart box writes it and the logon task starts it.
AutostartTarget ThisProgram() {
    AutostartTarget self;
    self.exePath = ExecutablePath();
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    self.definition = LogonTaskDefinition(std::u16string_view(reinterpret_cast<const char16_t*>(path), length),
                                          reinterpret_cast<const char16_t*>(kLogonSwitch));
    self.osMajorVersion = OsMajorVersion();
    return self;
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, RunLog& runLog, Win32LogFile& runLogFile)
    : state_(state),
      runLog_(runLog),
      runLogFile_(runLogFile),
      calls_(MakeSystemCalls(hwnd_)),
      actions_(*calls_, BackupFiles(), clock_, ::ShowReminder),
      face_(*this, [this](bool shown) { awake_.CountdownShown(shown); }),
      countdown_(state.options, clock_, *this, face_, *calls_, actions_),
      scheduler_(state, clock_, *this, actions_, countdown_, &runLog),
      awake_([](bool on) { SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS); }) {
    // From a backup worker too: the window's own thread answers.
    actions_.OnBackupsChanged([this] {
        if (hwnd_) PostMessageW(hwnd_, kBackupsChangedMessage, 0, 0);
    });
    actions_.OnPowerNotes([this](const std::string& text) { runLog_.Note({text}); });
    actions_.KeepVersions([this] { return state_.options.banben; });
    scheduler_.ShowMonitoringWith([this](bool on) { ShowMonitoring(on); });
}

bool MainWindow::Create() {
    if (!CreateWindowFor(kMainWindowClass, Wide(kMainCaption), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOPMOST,
                         401, 136, nullptr))
        return false;
    face_.Create(std::max(state_.options.tishi, 0));
    FormCreate();
    return true;
}

// The glyphs and the tray icon again, drawn for the new scale.
void MainWindow::OnDpiChanged(int dpi) {
    face_.OnDpiChanged(dpi);
    tray_.ChangeIcon(SmallIcon(trayIcon_, dpi));
}

void MainWindow::FormCreate() {
    EnableShutdownPrivilege();
    const bool admin = IsUserAdmin();
    runLog_.Note(StartNote(TEMPIRO_PRODUCT_VERSION_STRING, admin));
    runLog_.WhenTaskFails([window = hwnd_] { PostMessageW(window, kTaskFailedMessage, 0, 0); });
    if (!admin) ShowReminder(kNotAdminNotice, "");
    if (!runLogFile_.Usable() && !runLogFile_.Folder().empty())
        ShowReminder(RunLogRefusedText(Narrow(runLogFile_.Folder())), "");
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);

    state_.store = std::make_unique<TaskStore>(g_registryBackend, state_.options);
    const LoadReport report = state_.store->Load();
    if (std::optional<Outcome> note = RecoveryNote(state_.store->recovery())) runLog_.Note(*note);
    std::string notice = StoreNoticeText(report);
    if (!notice.empty()) {
        ShowReminder(notice, "");
        runLog_.Note(StoreNote(notice));
    }

    // The 64-bit count: the 32-bit one wraps after 49.7 days and would show
    // the notice again on a machine that has been up that long.
    const std::uint64_t secondsSinceBoot = GetTickCount64() / 1000;
    std::int32_t kaiji = 0;
    try {
        TaskStore::Reader reader(*state_.store);
        kaiji = reader.registry().ReadInteger(kKaijiValue);
    } catch (const StoreError&) {
        // The store could not be read; the notice above has said so already.
    }
    if (ShouldShowBootTime(kaiji, secondsSinceBoot)) ShowReminder(BootTimeText(secondsSinceBoot), "");
    RegistryAccessor registry = state_.store->Accessor();
    if (std::optional<std::string> failed = EnsureLogonTask(registry, g_logonTasks, ThisProgram()))
        runLog_.Note({*failed, true});

    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    AllowMessageFromLowerIntegrity(hwnd_, taskbarCreated_);
    AllowMessageFromLowerIntegrity(hwnd_, kTrayCallbackMessage);
    if (tray_.Add(hwnd_, SmallIcon(trayIcon_, Dpi()), kTipEnabled)) SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMs, nullptr);
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
    scheduler_.SetMonitoring(state_.monitoring);
    SetEnabled(kTimer4, true);
    scheduler_.ClockMoved(ClockEvent::Start);
}

void MainWindow::StartTimer(TimerId id, unsigned intervalMs) { SetTimer(hwnd_, id, intervalMs, nullptr); }

void MainWindow::StopTimer(TimerId id) { KillTimer(hwnd_, id); }

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    // An import handed over by "Tempiro.exe /import" is taken whenever it
    // comes: the store makes it whole, and a walk over the store that it
    // interrupts ends there (see the tick).
    case WM_COPYDATA: return ImportHandedOver(state_, reinterpret_cast<const COPYDATASTRUCT*>(lParam), runLog_);
    case kTrayCallbackMessage:
        if ((lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN) && CursorOverTrayIcon(hwnd_)) ShowTrayMenu();
        return 0;
    case kTaskFailedMessage:
        ShowTrayTip();
        return 0;
    case WM_HOTKEY:
        return OnHotkey(hotkeys_.Identify(wParam)) ? 1 : 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case kBackupsChangedMessage:
        OnBackupsChanged();
        return 0;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam);
        return TRUE;
    case WM_TIMECHANGE:
        scheduler_.ClockMoved(ClockEvent::Jump);
        return 0;
    case WM_QUERYENDSESSION:  // a shutdown started in Windows waits for the backups, or is forced
        return actions_.BackupFilesLeft() ? FALSE : TRUE;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    }
    LRESULT result = Window::HandleMessage(msg, wParam, lParam);
    if (taskbarCreated_ != 0 && msg == taskbarCreated_ && tray_.AddAgain())
        SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMs, nullptr);
    return result;
}

// While backups run, Windows names the reason this program asks a shutdown
// to wait.
void MainWindow::OnBackupsChanged() {
    const bool running = actions_.BackupFilesLeft().has_value();
    awake_.BackupsRunning(running);
    if (running == shutdownBlocked_) return;
    shutdownBlocked_ = running;
    if (running)
        ShutdownBlockReasonCreate(hwnd_, Wide(kBackupBlockReason).c_str());
    else
        ShutdownBlockReasonDestroy(hwnd_);
}

// A resume comes as PBT_APMRESUMEAUTOMATIC, and again as PBT_APMRESUMESUSPEND
// when a user is there: the first of them is dealt with.
void MainWindow::OnPowerBroadcast(WPARAM event) {
    switch (event) {
    case PBT_APMSUSPEND:
        resumed_ = false;
        runLog_.Note({kSuspendNote});
        break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        if (resumed_) break;
        resumed_ = true;
        runLog_.Note({kResumeNote});
        scheduler_.ClockMoved(ClockEvent::Resume);
        break;
    default: break;
    }
}

void MainWindow::ShowTrayMenu() {
    SetForegroundWindow(hwnd_);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // lets the menu close when the user clicks elsewhere
}

void MainWindow::OnCommand(int id, int /*code*/) {
    switch (id) {
    case kBitBtn1: countdown_.BitBtn1Click(); break;
    case kBitBtn2: countdown_.BitBtn2Click(); break;
    case IDOK:
        if (face_.EnterButton() == kBitBtn1)
            countdown_.BitBtn1Click();
        else
            countdown_.BitBtn2Click();
        break;
    case kCmdMonitor: N1Click(); break;
    case kCmdSettings: N4Click(); break;
    case kCmdAbout: ShowAboutBox(); break;
    case kCmdExit: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    default:
        if (std::optional<TrayCommand> command = TrayCommandFor(static_cast<MenuCommand>(id)))
            RunTrayCommand(*command, state_.options.shutapp, clock_.Now(), *calls_);
        break;
    }
}

// The hotkeys act at once, without the countdown.
bool MainWindow::OnHotkey(std::optional<PowerAction> action) {
    if (!action) return false;
    RunHotkeyPower(*action, *calls_);
    return true;
}

void MainWindow::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimer1: scheduler_.Timer1Timer(); break;
    case kTimer2: countdown_.Timer2Timer(); break;
    case kTimer3: scheduler_.Timer3Timer(); break;
    case kTimer4: scheduler_.Timer4Timer(); break;
    case kTrayRetryTimer:
        if (!tray_.RetryAdd()) KillTimer(hwnd_, kTrayRetryTimer);
        break;
    }
}

void MainWindow::N1Click() {
    scheduler_.SetMonitoring(!state_.monitoring);
    ShowMonitoring(state_.monitoring);
}

// The tick rests while the settings window is open; closing it lets the
// tick run again only where the monitoring switch allows.
void MainWindow::N4Click() {
    if (!SettingsWindowOpen()) scheduler_.HoldTick(true);
    SettingsContext context;
    context.state = &state_;
    context.clock = &clock_;
    context.osMajorVersion = OsMajorVersion();
    context.power = calls_.get();
    context.exePath = ExecutablePath();
    context.autostart = ThisProgram();
    context.logonTasks = &g_logonTasks;
    context.closed = [this] { scheduler_.HoldTick(false); };
    context.runLog = &runLog_;
    context.openRunLog = [this] { OpenRunLog(); };
    ShowSettingsWindow(context);
}

void MainWindow::ShowMonitoring(bool on) {
    runLog_.Note(MonitoringNote(on));
    CheckMenuItem(menu_, kCmdMonitor, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    trayIcon_ = on ? L"ENASHUT" : L"DISSHUT";
    tray_.Modify(SmallIcon(trayIcon_, Dpi()), TrayTip(on, runLog_.TaskFailed()));
}

void MainWindow::ShowTrayTip() {
    tray_.Modify(SmallIcon(trayIcon_, Dpi()), TrayTip(state_.monitoring, runLog_.TaskFailed()));
}

// The log in the user's editor, made first when missing; its failures count as seen.
void MainWindow::OpenRunLog() {
    if (!runLogFile_.Usable() && !runLogFile_.Folder().empty()) {
        ShowReminder(RunLogRefusedText(Narrow(runLogFile_.Folder())), "");
        return;
    }
    runLog_.Opening();
    if (!runLogFile_.Path().empty()) calls_->OpenDocument(runLogFile_.Path());
    ShowTrayTip();
}

void MainWindow::OnClose() {
    runLog_.Note(EndNote());
    tray_.Remove();
    state_.store.reset();
    DestroyWindow(hwnd_);
}

void MainWindow::FormDestroy() {
    hotkeys_.Unregister();
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
    PostQuitMessage(0);
}
