// The program under test as the Wine tests see it: its store in the test's
// prefix, the task records written there and the reminder windows it opens.
#pragma once

#include "actions/reminder.h"
#include "app/main_window.h"
#include "platform/text_win32.h"
#include "tests/wine/driver.h"

#include <algorithm>
#include <string>
#include <vector>

namespace driver {

inline const std::wstring kStore = L"Software\\Qelvora\\Tempiro";
constexpr DWORD kStartTimeout = 20000;

// Starts the program and waits until start-up has loaded the options.
inline HWND StartAndWait(Process& program) {
    if (!program.started()) return nullptr;
    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout, program.id());
    WaitUntil([] { return ReadDword(HKEY_LOCAL_MACHINE, kStore, L"rejian").has_value(); }, kStartTimeout);
    return main;
}

inline void PutRecord(int n, const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    const std::wstring number = std::to_wstring(n);
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"A" + number, Wide(a));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"B" + number, Wide(b));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"C" + number, Wide(c));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"D" + number, Wide(d));
}

// Reminder windows of `pid` with a text for which `matches` holds.
template <typename F>
size_t RemindersWith(DWORD pid, F matches) {
    size_t count = 0;
    for (HWND w : TopWindows(L"", Wide(kReminderCaption), pid)) {
        std::vector<std::wstring> texts = ChildTexts(w);
        if (std::any_of(texts.begin(), texts.end(), matches)) ++count;
    }
    return count;
}

inline size_t RemindersSaying(DWORD pid, const std::string& message) {
    return RemindersWith(pid, [&](const std::wstring& text) { return text == Wide(message); });
}

// Waits for the next moment at most `latestSecond` seconds into a minute and
// returns it, so that a record due in that minute stays due for a check of
// 60 - latestSecond seconds.
inline SYSTEMTIME EarlyInAMinute(WORD latestSecond) {
    SYSTEMTIME now;
    WaitUntil([&] {
        GetLocalTime(&now);
        return now.wSecond <= latestSecond;
    }, 61000);
    return now;
}

}  // namespace driver
