// The hidden main window: it receives the tray icon's notifications and the
// hotkeys, owns the three timers and the tray menu, and ends the program when
// it closes.
#pragma once

#include "app/hotkeys_win32.h"
#include "app/program_state.h"
#include "app/tray_icon_win32.h"
#include "platform/window_win32.h"

enum TimerId : UINT_PTR {
    kTimer1 = 1,  // the scheduler tick
    kTimer2 = 2,  // the countdown step
    kTimer3 = 3,  // re-arms the tick a minute after an immediate task
};

inline constexpr wchar_t kMainWindowClass[] = L"TempiroMain";

class MainWindow : public Window {
public:
    explicit MainWindow(ProgramState& state) : state_(state) {}
    // Creates the window and runs the start-up sequence; the window stays hidden.
    bool Create();

protected:
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
    void SetTimerEnabled(TimerId id, bool enabled);

    ProgramState& state_;
    TrayIcon tray_;
    Hotkeys hotkeys_;
    HMENU menu_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool timerEnabled_[4] = {};
};
