// The notification-area icon of the main window: its record is kept in its
// current state so it can be sent again after the taskbar restarts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
inline constexpr UINT kTrayIconId = 100;

class TrayIcon {
public:
    void Add(HWND owner, HICON icon, const std::string& tip);
    void Modify(HICON icon, const std::string& tip);
    void ChangeIcon(HICON icon);  // the same icon drawn at another size, say
    void AddAgain();  // after "TaskbarCreated"
    void Remove();

private:
    void SetTip(const std::string& tip);
    NOTIFYICONDATAW data_{};
};
