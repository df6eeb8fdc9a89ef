// The notification-area icon of the main window: its record is kept in its
// current state so it can be sent again after the taskbar restarts, or until
// the shell takes it at logon.
#pragma once

#include "app/tray_retry.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
inline constexpr UINT kTrayIconId = 100;

class TrayIcon : private TrayShell {
public:
    // Each answers whether the add should be tried again in kTrayRetryMs.
    bool Add(HWND owner, HICON icon, const std::string& tip);
    bool AddAgain();  // after "TaskbarCreated"
    bool RetryAdd();
    void Modify(HICON icon, const std::string& tip);
    void ChangeIcon(HICON icon);  // the same icon drawn at another size, say
    void Remove();

private:
    bool Add() override;
    bool Modify() override;
    void SetTip(const std::string& tip);
    NOTIFYICONDATAW data_{};
    TrayAdder adder_{*this};
};
