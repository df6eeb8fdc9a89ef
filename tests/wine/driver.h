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
// A message to a window of any process, given up after five seconds when
// that process hangs (then `failed`). Pointers in it must be valid there.
LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT failed = 0);
bool SetText(HWND window, const std::wstring& text);

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

// Memory lent in the process of another window, for the messages whose
// pointers the receiver reads or fills in its own address space (those of
// the common controls are not carried across processes).
class ForeignMemory {
public:
    ForeignMemory(HWND window, size_t size);
    ~ForeignMemory();
    ForeignMemory(const ForeignMemory&) = delete;
    ForeignMemory& operator=(const ForeignMemory&) = delete;
    bool ok() const { return remote_ != nullptr; }
    LPARAM at(size_t offset = 0) const { return reinterpret_cast<LPARAM>(remote_ + offset); }
    bool Write(const void* data, size_t size, size_t offset = 0);
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE process_ = nullptr;
    BYTE* remote_ = nullptr;
};

// The cell texts of a report list view of any process, row by row.
std::vector<std::vector<std::wstring>> ListViewTexts(HWND list);
// Makes `row` the selected and focused row, as a click on it would.
bool SelectListRow(HWND list, int row);
// A cell's rectangle in the list's client coordinates (LVIR_BOUNDS).
std::optional<RECT> ListCellRect(HWND list, int row, int column);
// A click of the left button at a point of a window's client area, posted
// as the mouse would post it.
void PostClickAt(HWND window, POINT point);
// A button press that returns at once, for buttons that open a modal box.
void PostClick(HWND button);

// The time of a date and time picker of any process, and setting it.
std::optional<SYSTEMTIME> PickerTime(HWND picker);
bool SetPickerTime(HWND picker, const SYSTEMTIME& time);

// Whether this process could take a global hotkey now (it releases it again).
bool CanRegisterHotkey(UINT modifiers, UINT virtualKey);

// A process started by the test; stopped when the object goes, if still running.
class Process {
public:
    explicit Process(const std::wstring& exePath, const std::wstring& arguments = L"");
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

// Runs a command line to its end and returns its exit code (-1: did not run or end).
DWORD RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// The program under test, from the TEMPIRO_EXE environment variable.
std::wstring ProgramPath();

}  // namespace driver
