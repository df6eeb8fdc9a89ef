// A small Win32 test driver: finds windows, reads their texts, presses their
// buttons, reads the registry, and starts and stops the program under test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

// Top-level windows of any process, matched by class and caption (empty
// matches any), in z-order from the top.
std::vector<HWND> TopWindows(const std::wstring& className, const std::wstring& caption = L"",
                             DWORD processId = 0);
// Waits until `TopWindows` finds at least `count` windows; returns them.
std::vector<HWND> WaitForWindows(const std::wstring& className, const std::wstring& caption, size_t count,
                                 DWORD timeoutMs, DWORD processId = 0);
HWND WaitForWindow(const std::wstring& className, const std::wstring& caption, DWORD timeoutMs,
                   DWORD processId = 0);

std::wstring Text(HWND window);
std::wstring ClassOf(HWND window);
std::vector<HWND> Children(HWND parent);
std::vector<std::wstring> ChildTexts(HWND parent);
HWND ChildWithText(HWND parent, const std::wstring& text);
void Click(HWND button);

// Runs the calling thread's messages for a while (for windows of this process).
void PumpMessages(DWORD milliseconds);
// Polls `condition` until it holds or the time is up; pumps messages meanwhile.
template <typename F>
bool WaitUntil(F condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        PumpMessages(50);
    }
    return true;
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& path, const std::wstring& name);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);
bool WriteDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);

// The tips of the icons in the shell's notification area.
std::vector<std::wstring> TrayTips();

// Whether this process could take a global hotkey now (it releases it again).
bool CanRegisterHotkey(UINT modifiers, UINT virtualKey);

// A process started by the test; stopped when the object goes, if still running.
class Process {
public:
    explicit Process(const std::wstring& exePath);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    bool WaitExit(DWORD timeoutMs);
    // The exit code once the process has ended.
    std::optional<DWORD> ExitCode() const;

private:
    PROCESS_INFORMATION info_{};
};

// The program under test, from the TEMPIRO_EXE environment variable.
std::wstring ProgramPath();

}  // namespace driver
