// The hidden main window: it receives the tray icon's notifications and the
// hotkeys, owns the three timers and the tray menu, and ends the program when
// it closes.
#pragma once

#include "actions/task_actions_win32.h"
#include "app/hotkeys_win32.h"
#include "scheduler/program_state.h"
#include "app/tray_icon_win32.h"
#include "platform/clock_win32.h"
#include "platform/timers.h"
#include "platform/window_win32.h"
#include "scheduler/scheduler.h"

inline constexpr wchar_t kMainWindowClass[] = L"TempiroMain";

class MainWindow : public Window, public TimerSwitch, public CountdownFace {
public:
    explicit MainWindow(ProgramState& state) : state_(state), scheduler_(state, clock_, *this, actions_, *this) {}
    // Creates the window and runs the start-up sequence; the window stays hidden.
    bool Create();


    void MyChangeCaption(const std::string& word) override;
    void Show() override;
    void PlayWarningSound(const std::string& soundPath) override;

protected:
    void StartTimer(TimerId id, unsigned intervalMs) override;
    void StopTimer(TimerId id) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void ShowTrayMenu();
    void OnCommand(unsigned command);
    void OnHotkey(Hotkey key);
    void OnTimer(UINT_PTR id);
    void N1Click();
    void Timer2Timer();
    void ShowMonitoring();

    ProgramState& state_;
    Win32Clock clock_;
    Win32TaskActions actions_;
    Scheduler scheduler_;
    int countdownPosition_ = 0;
    TrayIcon tray_;
    Hotkeys hotkeys_;
    HMENU menu_ = nullptr;
    UINT taskbarCreated_ = 0;
};
