#include "app/tray_icon_win32.h"

#include "platform/text_win32.h"

#include <cwchar>

void TrayIcon::SetTip(const std::string& tip) {
    std::wstring text = Wide(tip);
    std::wmemset(data_.szTip, 0, 64);
    wcsncpy(data_.szTip, text.c_str(), 63);
}

bool TrayIcon::Add() { return Shell_NotifyIconW(NIM_ADD, &data_) != FALSE; }

bool TrayIcon::Modify() { return Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE; }

bool TrayIcon::Add(HWND owner, HICON icon, const std::string& tip) {
    data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data_.hWnd = owner;
    data_.uID = kTrayIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayCallbackMessage;
    data_.hIcon = icon;
    SetTip(tip);
    return adder_.Attempt();
}

// The record keeps the change while the icon waits for its add.
void TrayIcon::Modify(HICON icon, const std::string& tip) {
    data_.hIcon = icon;
    SetTip(tip);
    if (adder_.Shown()) Modify();
}

void TrayIcon::ChangeIcon(HICON icon) {
    if (!data_.hWnd) return;  // not shown yet
    data_.hIcon = icon;
    if (adder_.Shown()) Modify();
}

bool TrayIcon::AddAgain() { return adder_.Restart(); }

bool TrayIcon::RetryAdd() { return adder_.Attempt(); }

void TrayIcon::Remove() { Shell_NotifyIconW(NIM_DELETE, &data_); }
