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

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT failed) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return failed;
    return static_cast<LRESULT>(result);
}

bool SetText(HWND window, const std::wstring& text) {
    return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

ForeignMemory::ForeignMemory(HWND window, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) remote_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
}

ForeignMemory::~ForeignMemory() {
    if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool ForeignMemory::Write(const void* data, size_t size, size_t offset) {
    return remote_ && WriteProcessMemory(process_, remote_ + offset, data, size, nullptr);
}

bool ForeignMemory::Read(void* data, size_t size, size_t offset) const {
    return remote_ && ReadProcessMemory(process_, remote_ + offset, data, size, nullptr);
}

std::vector<std::wstring> TrayTips() {
    // The shell keeps each icon's tip in a tooltip control of its own process.
    std::vector<std::wstring> tips;
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return tips;
    DWORD shellPid = 0;
    GetWindowThreadProcessId(tray, &shellPid);
    constexpr SIZE_T kTextChars = 256;
    ForeignMemory remote(tray, sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t));
    if (!remote.ok()) return tips;
    for (HWND tooltip : TopWindows(TOOLTIPS_CLASSW, L"", shellPid)) {
        LRESULT count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<wchar_t*>(remote.at(sizeof info));
            wchar_t text[kTextChars] = {};
            remote.Write(&info, sizeof info);
            remote.Write(text, sizeof text, sizeof info);
            if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), remote.at())) continue;
            remote.Read(text, sizeof text, sizeof info);
            text[kTextChars - 1] = 0;
            if (text[0]) tips.emplace_back(text);
        }
    }
    return tips;
}

std::vector<std::vector<std::wstring>> ListViewTexts(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    constexpr size_t kTextChars = 1024;
    ForeignMemory remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote.ok()) return rows;
    const auto header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
    const int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring>& cells = rows.emplace_back();
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof item));
            item.cchTextMax = kTextChars;
            wchar_t text[kTextChars] = {};
            remote.Write(&item, sizeof item);
            remote.Write(text, sizeof text, sizeof item);
            Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.at());
            remote.Read(text, sizeof text, sizeof item);
            text[kTextChars - 1] = 0;
            cells.emplace_back(text);
        }
    }
    return rows;
}

bool SelectListRow(HWND list, int row) {
    ForeignMemory remote(list, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return remote.Write(&item, sizeof item) &&
           Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.at()) != 0;
}

std::optional<RECT> ListCellRect(HWND list, int row, int column) {
    ForeignMemory remote(list, sizeof(RECT));
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    if (!remote.Write(&cell, sizeof cell) ||
        !Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), remote.at()) || !remote.Read(&cell, sizeof cell))
        return std::nullopt;
    return cell;
}

void PostClickAt(HWND window, POINT point) {
    const LPARAM where = MAKELPARAM(point.x, point.y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(window, WM_LBUTTONUP, 0, where);
}

void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::optional<SYSTEMTIME> PickerTime(HWND picker) {
    ForeignMemory remote(picker, sizeof(SYSTEMTIME));
    SYSTEMTIME time{};
    if (!remote.Write(&time, sizeof time) || Send(picker, DTM_GETSYSTEMTIME, 0, remote.at(), GDT_ERROR) != GDT_VALID ||
        !remote.Read(&time, sizeof time))
        return std::nullopt;
    return time;
}

bool SetPickerTime(HWND picker, const SYSTEMTIME& time) {
    ForeignMemory remote(picker, sizeof(SYSTEMTIME));
    return remote.Write(&time, sizeof time) && Send(picker, DTM_SETSYSTEMTIME, GDT_VALID, remote.at()) != 0;
}

bool CanRegisterHotkey(UINT modifiers, UINT virtualKey) {
    constexpr int kProbeId = 0xB000;
    if (!RegisterHotKey(nullptr, kProbeId, modifiers, virtualKey)) return false;
    UnregisterHotKey(nullptr, kProbeId);
    return true;
}

Process::Process(const std::wstring& exePath, const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exePath + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_))
        info_ = PROCESS_INFORMATION{};
}

DWORD RunToEnd(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
}

Process::~Process() {
    if (!info_.hProcess) return;
    // Ended before the next case starts its own copy, however loaded the machine.
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT && TerminateProcess(info_.hProcess, 1))
        WaitForSingleObject(info_.hProcess, 10000);
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
