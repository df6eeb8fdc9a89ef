// The hidden main window: it receives the tray icon's notifications and the
// hotkeys, owns the three timers and the tray menu, and is the countdown
// dialog before a power action. Closing it ends the program.
#pragma once

#include "actions/program_actions.h"
#include "app/hotkeys_win32.h"
#include "app/system_calls_factory.h"
#include "app/tray_icon_win32.h"
#include "platform/clock_win32.h"
#include "platform/log_file_win32.h"
#include "scheduler/timers.h"
#include "platform/window_win32.h"
#include "scheduler/countdown.h"
#include "scheduler/keep_awake.h"
#include "scheduler/program_state.h"
#include "scheduler/scheduler.h"
#include "windows/countdown_face_win32.h"

#include <memory>

inline constexpr wchar_t kMainWindowClass[] = L"TempiroMain";

// Posted when a backup starts or ends.
inline constexpr UINT kBackupsChangedMessage = WM_APP + 2;
inline constexpr char kBackupBlockReason[] = "Tempiro 正在备份文件";

class MainWindow : public Window, public TimerSwitch {
public:
    // The run log and its file outlive the window: workers write to them
    // whenever they end.
    MainWindow(ProgramState& state, RunLog& runLog, Win32LogFile& runLogFile);
    // Creates the window and runs the start-up sequence; the window stays hidden.
    bool Create();

protected:
    void StartTimer(TimerId id, unsigned intervalMs) override;
    void StopTimer(TimerId id) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged(int dpi) override;

private:
    void FormCreate();
    void FormDestroy();
    void ShowTrayMenu();
    void OnCommand(int id, int code) override;
    void OnClose() override;  // FormClose
    bool OnHotkey(std::optional<PowerAction> action);  // whether the key was one of the four
    void OnTimer(UINT_PTR id);
    void N1Click();
    void N4Click();
    void OnBackupsChanged();
    void OnPowerBroadcast(WPARAM event);
    void ShowTrayTip();  // the switch's and the run log's lines, the icon as it is
    void OpenRunLog();
    // The check mark of "启用监控(&E)" and the tray icon and tip.
    void ShowMonitoring(bool on);

    ProgramState& state_;
    RunLog& runLog_;
    Win32LogFile& runLogFile_;
    Win32Clock clock_;
    std::unique_ptr<SystemCalls> calls_;
    ProgramActions actions_;
    CountdownWindowFace face_;
    Countdown countdown_;
    Scheduler scheduler_;
    TrayIcon tray_;
    const wchar_t* trayIcon_ = L"MAINICON";  // the resource the tray shows
    Hotkeys hotkeys_;
    HMENU menu_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool shutdownBlocked_ = false;
    bool resumed_ = false;  // the resume since the last suspend has been dealt with
    KeepAwake awake_;
};
