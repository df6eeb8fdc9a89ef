#include "app/main_window.h"

#include "actions/power.h"
#include "windows/reminder_window_win32.h"
#include "actions/tray_commands.h"
#include "windows/about_box_win32.h"
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

HICON AppIcon(const wchar_t* name) { return LoadIconW(GetModuleHandleW(nullptr), name); }

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

// The run log and its file, never destroyed either: the backup and netsh
// workers write to it whenever they end.
Win32LogFile& RunLogFile() {
    static Win32LogFile* file = new Win32LogFile(RunLogFolder());
    return *file;
}


// Posted by whichever thread wrote the line of a failed task.
constexpr UINT kTaskFailedMessage = WM_APP + 1;

constexpr wchar_t kFontFace[] = L"宋体";

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
                                          kLogonSwitch);
    self.osMajorVersion = OsMajorVersion();
    return self;
}

}  // namespace

RunLog& ProgramRunLog() {
    static RunLog* log = new RunLog(RunLogFile(), *new Win32Clock);
    return *log;
}

MainWindow::MainWindow(ProgramState& state)
    : state_(state),
      calls_(MakeSystemCalls(hwnd_)),
      actions_(*calls_, BackupFiles(), clock_, ::ShowReminder),
      countdown_(state, clock_, *this, *this, *calls_, actions_),
      scheduler_(state, clock_, *this, actions_, countdown_, &ProgramRunLog()),
      awake_([](bool on) { SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS); }) {
    // From a backup worker too: the window's own thread answers.
    actions_.OnBackupsChanged([this] {
        if (hwnd_) PostMessageW(hwnd_, kBackupsChangedMessage, 0, 0);
    });
    actions_.OnPowerNotes([](const std::string& text) { ProgramRunLog().Note({text}); });
    actions_.KeepVersions([this] { return state_.options.banben; });
}

bool MainWindow::Create() {
    if (!CreateWindowFor(kMainWindowClass, Wide(kMainCaption), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOPMOST,
                         401, 136, nullptr, AppIcon(L"MAINICON")))
        return false;
    CreateCountdownFace();
    FormCreate();
    return true;
}

// The countdown's labels, bar and buttons, with the texts the window is
// designed with. The cancel button comes first in the tab order and is the
// default button, so Enter and Esc both cancel.
void MainWindow::CreateCountdownFace() {
    HFONT font = SharedFont(kFontFace, 13, Dpi());
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    AddControl(hwnd_, L"STATIC", Wide("要想取消关机,请按下<取消关机>按钮,剩余 :"), SS_LEFT | SS_NOPREFIX, 16, 16, 318,
               13, kLabel1, font);
    AddControl(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 336, 16, 57, 13, kLabel2, font);
    AddControl(hwnd_, PROGRESS_CLASSW, L"", 0, 8, 56, 385, 17, kPgBar1, font);
    HWND cancel = AddControl(hwnd_, L"BUTTON", Wide("取消关机"), WS_TABSTOP | BS_DEFPUSHBUTTON, 232, 94, 105, 25,
                             kBitBtn2, font);
    HWND actNow =
        AddControl(hwnd_, L"BUTTON", Wide("立即关机"), WS_TABSTOP | BS_PUSHBUTTON, 64, 94, 105, 25, kBitBtn1, font);
    SendMessageW(actNow, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(SmallIcon(L"ACTNOW", Dpi())));
    SendMessageW(cancel, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(SmallIcon(L"CANCELACT", Dpi())));
}

// The glyphs and the tray icon again, drawn for the new scale.
void MainWindow::OnDpiChanged(int dpi) {
    SendDlgItemMessageW(hwnd_, kBitBtn1, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(SmallIcon(L"ACTNOW", dpi)));
    SendDlgItemMessageW(hwnd_, kBitBtn2, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(SmallIcon(L"CANCELACT", dpi)));
    tray_.ChangeIcon(SmallIcon(trayIcon_, dpi));
}

void MainWindow::FormCreate() {
    EnableShutdownPrivilege();
    const bool admin = IsUserAdmin();
    ProgramRunLog().Note(StartNote(TEMPIRO_PRODUCT_VERSION_STRING, admin));
    ProgramRunLog().WhenTaskFails([window = hwnd_] { PostMessageW(window, kTaskFailedMessage, 0, 0); });
    if (!admin) ShowReminder(kNotAdminNotice, "");
    if (!RunLogFile().Usable() && !RunLogFile().Folder().empty())
        ShowReminder(RunLogRefusedText(Narrow(RunLogFile().Folder())), "");
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetEnabled(kTimer2, false);

    state_.store = std::make_unique<TaskStore>(g_registryBackend, state_.options);
    const LoadReport report = state_.store->Load();
    if (std::optional<Outcome> note = RecoveryNote(state_.store->recovery())) ProgramRunLog().Note(*note);
    std::string notice = StoreNoticeText(report);
    if (!notice.empty()) {
        ShowReminder(notice, "");
        ProgramRunLog().Note(StoreNote(notice));
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
        ProgramRunLog().Note({*failed, true});

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
    SendDlgItemMessageW(hwnd_, kPgBar1, PBM_SETRANGE32, 0, std::max(state_.options.tishi, 0));
    scheduler_.SetMonitoring(state_.monitoring);
    SetEnabled(kTimer4, true);
    scheduler_.ClockMoved(ClockEvent::Start);
}

void MainWindow::StartTimer(TimerId id, unsigned intervalMs) { SetTimer(hwnd_, id, intervalMs, nullptr); }

void MainWindow::StopTimer(TimerId id) { KillTimer(hwnd_, id); }

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // An import handed over by "Tempiro.exe /import" is taken whenever it
    // comes: the store makes it whole, and a walk over the store that it
    // interrupts ends there (see the tick).
    if (msg == WM_COPYDATA) return ImportHandedOver(state_, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return Handle(msg, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kTrayCallbackMessage:
        if ((lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN) && CursorOverTrayIcon(hwnd_)) ShowTrayMenu();
        return 0;
    case kTaskFailedMessage:
        ShowTrayTip();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
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
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    }
    LRESULT result = Default(msg, wParam, lParam);
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
        ProgramRunLog().Note({kSuspendNote});
        break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        if (resumed_) break;
        resumed_ = true;
        ProgramRunLog().Note({kResumeNote});
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

void MainWindow::OnCommand(unsigned id) {
    switch (id) {
    case kBitBtn1: countdown_.BitBtn1Click(); break;
    case kBitBtn2: countdown_.BitBtn2Click(); break;
    case IDOK:  // Enter while a button without the default frame has the focus: that button
        if (GetFocus() == GetDlgItem(hwnd_, kBitBtn1))
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
    context.runLog = &ProgramRunLog();
    context.openRunLog = [this] { OpenRunLog(); };
    ShowSettingsWindow(context);
}

void MainWindow::ShowMonitoring(bool on) {
    ProgramRunLog().Note(MonitoringNote(on));
    CheckMenuItem(menu_, kCmdMonitor, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    trayIcon_ = on ? L"ENASHUT" : L"DISSHUT";
    tray_.Modify(SmallIcon(trayIcon_, Dpi()), TrayTip(on, ProgramRunLog().TaskFailed()));
}

void MainWindow::ShowTrayTip() {
    tray_.Modify(SmallIcon(trayIcon_, Dpi()), TrayTip(state_.monitoring, ProgramRunLog().TaskFailed()));
}

// The log in the user's editor, made first when missing; its failures count as seen.
void MainWindow::OpenRunLog() {
    if (!RunLogFile().Usable() && !RunLogFile().Folder().empty()) {
        ShowReminder(RunLogRefusedText(Narrow(RunLogFile().Folder())), "");
        return;
    }
    ProgramRunLog().Opening();
    if (!RunLogFile().Path().empty()) calls_->OpenDocument(RunLogFile().Path());
    ShowTrayTip();
}

void MainWindow::MyChangeCaption(const CountdownTexts& texts) {
    SetDlgItemTextW(hwnd_, kBitBtn1, Wide(texts.actNow).c_str());
    SetDlgItemTextW(hwnd_, kBitBtn2, Wide(texts.cancel).c_str());
    SetDlgItemTextW(hwnd_, kLabel1, Wide(texts.label1).c_str());
    SetWindowTextW(hwnd_, Wide(texts.caption).c_str());
}

void MainWindow::ShowProgress(int position, int maximum) {
    SendDlgItemMessageW(hwnd_, kPgBar1, PBM_SETRANGE32, 0, maximum);
    SendDlgItemMessageW(hwnd_, kPgBar1, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void MainWindow::ShowRemaining(const std::string& text) { SetDlgItemTextW(hwnd_, kLabel2, Wide(text).c_str()); }

void MainWindow::Show() {
    awake_.CountdownShown(true);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(GetDlgItem(hwnd_, kBitBtn2));
}

void MainWindow::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
    awake_.CountdownShown(false);
}

void MainWindow::FormClose() {
    ProgramRunLog().Note(EndNote());
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
