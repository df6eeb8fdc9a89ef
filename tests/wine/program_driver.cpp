#include "tests/wine/program_driver.h"

#include "windows/reminder_window_win32.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/log_file_win32.h"
#include "platform/text_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace driver {

void PutRecord(int n, const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    const std::wstring number = std::to_wstring(n);
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"A" + number, Wide(a));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"B" + number, Wide(b));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"C" + number, Wide(c));
    WriteString(HKEY_LOCAL_MACHINE, kStore, L"D" + number, Wide(d));
}

bool PutRecords(const std::vector<std::vector<std::string>>& records) {
    int n = 0;
    for (const std::vector<std::string>& r : records) PutRecord(++n, r.at(0), r.at(1), r.at(2), r.at(3));
    return WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", static_cast<DWORD>(n));
}

StoredTexts StoredRecord(int n) {
    StoredTexts texts;
    for (const wchar_t* letter : {L"A", L"B", L"C", L"D"})
        texts.push_back(ReadString(HKEY_LOCAL_MACHINE, kStore, letter + std::to_wstring(n)));
    return texts;
}

StoredTexts Record(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    return {Wide(a), Wide(b), Wide(c), Wide(d)};
}

std::vector<std::wstring> Texts(std::initializer_list<std::string> texts) {
    std::vector<std::wstring> wide;
    for (const std::string& text : texts) wide.push_back(Wide(text));
    return wide;
}

HWND OpenSettings(HWND main) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    PostMessageW(main, WM_COMMAND, kCmdSettings, 0);
    HWND settings = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> found = TopWindows(kSettingsClass, L"", pid);
        settings = found.empty() ? nullptr : found.front();
        return settings && IsWindowVisible(settings);
    }, 10000);
    return settings;
}

HWND Button(HWND window, const std::string& text) { return ChildWithText(window, Wide(text)); }

HWND OpenEditor(HWND settings, const std::string& buttonText) {
    DWORD pid = 0;
    GetWindowThreadProcessId(settings, &pid);
    const std::vector<HWND> before = TopWindows(kEditorClass, L"", pid);
    Click(Button(settings, buttonText));
    HWND editor = nullptr;
    WaitUntil([&] {
        for (HWND w : TopWindows(kEditorClass, L"", pid)) {
            if (std::find(before.begin(), before.end(), w) == before.end() && IsWindowVisible(w)) editor = w;
        }
        return editor != nullptr;
    }, 10000);
    return editor;
}

void ChooseTaskType(HWND editor, int index) {
    HWND types = GetDlgItem(editor, kTypeList);
    Send(types, CB_SETCURSEL, static_cast<WPARAM>(index));
    Send(editor, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
}

bool SetPickerClock(HWND picker, WORD hour, WORD minute) {
    SYSTEMTIME time;
    GetLocalTime(&time);
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = time.wMilliseconds = 0;
    return SetPickerTime(picker, time);
}

bool PressToClose(HWND window, HWND button) {
    if (!button) return false;
    PostClick(button);
    return WaitUntil([&] { return !IsWindow(window); }, 10000);
}

namespace {

bool ProgramIsRecordingFlavour() {
    const std::wstring suffix = L"\\tempirorecording.exe";
    std::wstring path = ProgramPath();
    std::transform(path.begin(), path.end(), path.begin(), ::towlower);
    return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool PutTaskDueEveryMinute(const std::string& type, DWORD tishi) {
    if (type != "断开拨号" && !ProgramIsRecordingFlavour()) {
        ADD_FAILURE() << "only TempiroRecording.exe may be given this task; the program is "
                      << Narrow(ProgramPath());
        return false;
    }
    PutRecord(1, "每隔1分开始0时0分", type, "", "启用");
    return WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1) &&
           WriteDword(HKEY_LOCAL_MACHINE, kStore, L"tishi", tishi);
}

void FreshPrefixState() {
    // A copy left by the case before is asked to exit as its tray menu's
    // exit asks, which takes its icon away; one that does not is ended.
    for (HWND main : TopWindows(kMainWindowClass, L"", 0)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        if (pid == GetCurrentProcessId()) continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        PostMessageW(main, WM_CLOSE, 0, 0);
        if (process && WaitForSingleObject(process, 10000) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
        }
        if (process) CloseHandle(process);
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Qelvora");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                      &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Horlane");
        RegCloseKey(run);
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    DeleteFileW((std::wstring(temp) + L"tempiro-calls.txt").c_str());
    for (const wchar_t* log : {L"\\运行记录.txt", L"\\运行记录.old.txt"}) DeleteFileW((RunLogFolder() + log).c_str());
}

std::vector<std::string> TempFileLines(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = folder + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    // Only whole lines: one the program is still writing is left for the next look.
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<std::string> RecordedCalls() { return TempFileLines(L"tempiro-calls.txt"); }

HWND StartAndWait(Process& program) {
    if (!program.started()) return nullptr;
    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout, program.id());
    WaitUntil([] { return ReadDword(HKEY_LOCAL_MACHINE, kStore, L"rejian").has_value(); }, kStartTimeout);
    return main;
}

SYSTEMTIME EarlyInAMinute(WORD latestSecond) {
    SYSTEMTIME now;
    WaitUntil([&] {
        GetLocalTime(&now);
        return now.wSecond <= latestSecond;
    }, 61000);
    return now;
}

std::vector<HWND> ReminderWindows(DWORD pid) { return TopWindows(L"", Wide(kReminderCaption), pid); }

size_t RemindersSaying(DWORD pid, const std::string& message) {
    const std::wstring wanted = Wide(message);
    return RemindersWith(pid, [&](const std::wstring& text) { return text == wanted; });
}

HWND WaitForCountdown(DWORD pid, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil([&] {
        for (HWND w : TopWindows(kMainWindowClass, L"", pid)) {
            if (IsWindowVisible(w)) dialog = w;
        }
        return dialog != nullptr;
    }, timeoutMs);
    return dialog;
}

namespace {

int SecondsIn(const std::wstring& label) {
    const std::wstring unit = Wide(" 秒");
    if (label.size() <= unit.size() || label.compare(label.size() - unit.size(), unit.size(), unit) != 0) return -1;
    const std::wstring digits = label.substr(0, label.size() - unit.size());
    auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    if (digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), isDigit)) return -1;
    return std::stoi(digits);
}

}  // namespace

CountdownWatch WatchCountdown(HWND dialog, DWORD timeoutMs) {
    CountdownWatch watch;
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    watch.hid = WaitUntil([&] {
        // Look first, then ask whether it still shows: what was seen then was
        // seen while it showed.
        const size_t reminders = TopWindows(L"", Wide(kReminderCaption), pid).size();
        const int seconds = SecondsIn(Text(GetDlgItem(dialog, kLabel2)));
        if (!IsWindowVisible(dialog)) return true;
        watch.remindersWhileShown = std::max(watch.remindersWhileShown, reminders);
        if (watch.remaining.empty() || watch.remaining.back() != seconds) watch.remaining.push_back(seconds);
        return false;
    }, timeoutMs);
    return watch;
}

}  // namespace driver
