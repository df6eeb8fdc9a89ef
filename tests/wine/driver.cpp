#include "tests/wine/driver.h"

#include <commctrl.h>

namespace driver {

namespace {

struct Search {
    std::wstring className, caption;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!search->className.empty() && ClassOf(window) != search->className) return TRUE;
    if (!search->caption.empty() && Text(window) != search->caption) return TRUE;
    if (search->processId) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != search->processId) return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(const std::wstring& className, const std::wstring& caption, DWORD processId) {
    Search search{className, caption, processId, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> WaitForWindows(const std::wstring& className, const std::wstring& caption, size_t count,
                                 DWORD timeoutMs, DWORD processId) {
    std::vector<HWND> found;
    WaitUntil([&] { return (found = TopWindows(className, caption, processId)).size() >= count; }, timeoutMs);
    return found;
}

HWND WaitForWindow(const std::wstring& className, const std::wstring& caption, DWORD timeoutMs, DWORD processId) {
    std::vector<HWND> found = WaitForWindows(className, caption, 1, timeoutMs, processId);
    return found.empty() ? nullptr : found.front();
}

std::wstring Text(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    return std::wstring(buffer, wcsnlen(buffer, 1024));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND child : Children(parent)) texts.push_back(Text(child));
    return texts;
}

HWND ChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child : Children(parent)) {
        if (Text(child) == text) return child;
    }
    return nullptr;
}

void Click(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

namespace {

std::optional<std::vector<BYTE>> ReadValue(HKEY root, const std::wstring& path, const std::wstring& name,
                                           DWORD* type) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    std::optional<std::vector<BYTE>> result;
    if (RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 2);
        if (RegQueryValueExW(key, name.c_str(), nullptr, type, data.data(), &size) == ERROR_SUCCESS) {
            data.resize(size);
            result = data;
        }
    }
    RegCloseKey(key);
    return result;
}

bool WriteValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& path, const std::wstring& name) {
    DWORD type = 0;
    auto data = ReadValue(root, path, name, &type);
    if (!data || type != REG_DWORD || data->size() != sizeof(DWORD)) return std::nullopt;
    return *reinterpret_cast<const DWORD*>(data->data());
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name) {
    DWORD type = 0;
    auto data = ReadValue(root, path, name, &type);
    if (!data || type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(data->data()), data->size() / sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

bool WriteDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    return WriteValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    return WriteValue(root, path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> TrayTips() {
    // The shell keeps each icon's tip in a tooltip control of its own process;
    // the tool records are read through memory lent in that process.
    std::vector<std::wstring> tips;
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return tips;
    DWORD shellPid = 0;
    GetWindowThreadProcessId(tray, &shellPid);
    HANDLE shell = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shellPid);
    if (!shell) return tips;
    constexpr SIZE_T kTextChars = 256;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(shell, nullptr, sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    for (HWND tooltip : TopWindows(TOOLTIPS_CLASSW, L"", shellPid)) {
        LRESULT count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
            wchar_t empty[kTextChars] = {};
            WriteProcessMemory(shell, remote, &info, sizeof info, nullptr);
            WriteProcessMemory(shell, remote + sizeof info, empty, sizeof empty, nullptr);
            if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)))
                continue;
            wchar_t text[kTextChars] = {};
            ReadProcessMemory(shell, remote + sizeof info, text, sizeof text, nullptr);
            text[kTextChars - 1] = 0;
            if (text[0]) tips.emplace_back(text);
        }
    }
    VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
    CloseHandle(shell);
    return tips;
}

bool CanRegisterHotkey(UINT modifiers, UINT virtualKey) {
    constexpr int kProbeId = 0xB000;
    if (!RegisterHotKey(nullptr, kProbeId, modifiers, virtualKey)) return false;
    UnregisterHotKey(nullptr, kProbeId);
    return true;
}

Process::Process(const std::wstring& exePath) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_))
        info_ = PROCESS_INFORMATION{};
}

Process::~Process() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool Process::WaitExit(DWORD timeoutMs) {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
    DWORD code = 0;
    if (!info_.hProcess || !GetExitCodeProcess(info_.hProcess, &code) || code == STILL_ACTIVE) return std::nullopt;
    return code;
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMPIRO_EXE", path, MAX_PATH);
    return path;
}

}  // namespace driver
