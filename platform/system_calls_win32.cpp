#include "platform/system_calls_win32.h"

#include "platform/system_win32.h"
#include "platform/text_win32.h"

#include <mmsystem.h>
#include <ras.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <thread>
#include <vector>

// The connection record of Windows XP and later, which every later system
// still accepts. Its size differs between the 32- and the 64-bit build (the
// connection handle is a pointer, packed on 4 bytes), so it is always taken
// from this build's own layout.
static_assert(sizeof(RASCONNW) == (sizeof(void*) == 8 ? 1372 : 1368), "RASCONNW has the XP layout");

Win32SystemCalls::~Win32SystemCalls() {
    if (wakeTimer_) CloseHandle(wakeTimer_);
}

void Win32SystemCalls::ExitWindowsEx(unsigned flags) { ::ExitWindowsEx(flags, 0); }

void Win32SystemCalls::SetSystemPowerState(bool suspend, bool force) { ::SetSystemPowerState(suspend, force); }

void Win32SystemCalls::NtShutdownSystem(int action) {
    using NtShutdown = LONG(NTAPI*)(int);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return;
    if (auto shutdown =
            reinterpret_cast<NtShutdown>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtShutdownSystem"))))
        shutdown(action);
}

namespace {

// The last error of a failed call; never 0, which would read as success.
std::uint32_t LastError() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

}  // namespace

std::uint32_t Win32SystemCalls::SetWakeTimer(const LocalTime& wakeAt) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(wakeAt.year);
    local.wMonth = static_cast<WORD>(wakeAt.month);
    local.wDay = static_cast<WORD>(wakeAt.day);
    local.wDayOfWeek = static_cast<WORD>(wakeAt.dayOfWeek);
    local.wHour = static_cast<WORD>(wakeAt.hour);
    local.wMinute = static_cast<WORD>(wakeAt.minute);
    // The time zone's rule for that date, so a wake time across a change to
    // or from summer time still means the wall-clock time the user chose.
    SYSTEMTIME utc{};
    FILETIME due{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &due))
        return LastError();
    if (!wakeTimer_) wakeTimer_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    if (!wakeTimer_) return LastError();
    LARGE_INTEGER dueTime;
    dueTime.LowPart = due.dwLowDateTime;
    dueTime.HighPart = static_cast<LONG>(due.dwHighDateTime);
    SetLastError(ERROR_SUCCESS);
    if (!SetWaitableTimer(wakeTimer_, &dueTime, 0, nullptr, nullptr, TRUE)) return LastError();
    // Set, but a machine that cannot resume by a timer says so in the last
    // error of a call that succeeded.
    return GetLastError() == ERROR_NOT_SUPPORTED ? kErrorNotSupported : ERROR_SUCCESS;
}

namespace {

using PowerGetActiveSchemeFn = DWORD(WINAPI*)(HKEY, GUID**);
using PowerReadValueIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);

// GUID_SLEEP_SUBGROUP and its GUID_ALLOW_RTC_WAKE.
const GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
const GUID kAllowWakeTimers = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// The power plan functions of Vista and later, looked up at run time in the
// system folder's powrprof.dll (by its full path: the program runs
// elevated), so that the program starts where they are missing.
struct PowerPlanFunctions {
    PowerGetActiveSchemeFn activeScheme = nullptr;
    PowerReadValueIndexFn readAc = nullptr;
    PowerReadValueIndexFn readDc = nullptr;

    PowerPlanFunctions() {
        wchar_t system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        HMODULE powrprof = LoadLibraryExW((std::wstring(system, length) + L"\\powrprof.dll").c_str(), nullptr,
                                          LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!powrprof) return;
        const auto find = [powrprof](const char* name) {
            return reinterpret_cast<void*>(GetProcAddress(powrprof, name));
        };
        activeScheme = reinterpret_cast<PowerGetActiveSchemeFn>(find("PowerGetActiveScheme"));
        readAc = reinterpret_cast<PowerReadValueIndexFn>(find("PowerReadACValueIndex"));
        readDc = reinterpret_cast<PowerReadValueIndexFn>(find("PowerReadDCValueIndex"));
    }
};

}  // namespace

WakeTimerSetting Win32SystemCalls::ReadWakeTimerSetting() {
    static const PowerPlanFunctions power;
    GUID* scheme = nullptr;
    if (!power.activeScheme || power.activeScheme(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return {};
    const auto read = [scheme](PowerReadValueIndexFn readIndex) -> std::optional<std::uint32_t> {
        DWORD index = 0;
        if (!readIndex || readIndex(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &index) != ERROR_SUCCESS)
            return std::nullopt;
        return index;
    };
    const WakeTimerSetting setting{read(power.readAc), read(power.readDc)};
    LocalFree(scheme);
    return setting;
}

namespace {

BOOL CALLBACK CloseAllProgramsProc(HWND window, LPARAM) {
    WindowFacts facts;
    facts.visible = IsWindowVisible(window);
    facts.minimised = IsIconic(window);
    HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_HWNDPARENT));
    facts.ownedByAnotherWindow = owner && owner != GetDesktopWindow();
    facts.toolWindow = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    facts.ownProcess = process == GetCurrentProcessId();
    wchar_t title[256];
    facts.titled = GetWindowTextW(window, title, 256) != 0;
    if (ShouldCloseWindow(facts)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Dial-up and sound live in DLLs that are not KnownDLLs: loaded from the
// system folder at first use, never through the import table, which the
// loader would resolve from the exe's own folder first.
struct DialupFunctions {
    using Enum = DWORD(WINAPI*)(LPRASCONNW, LPDWORD, LPDWORD);
    using HangUp = DWORD(WINAPI*)(HRASCONN);
    using Autodial = BOOL(WINAPI*)(DWORD, HWND);
    Enum enumConnections = SystemFunctionAs<Enum>(L"rasapi32.dll", "RasEnumConnectionsW");
    HangUp hangUp = SystemFunctionAs<HangUp>(L"rasapi32.dll", "RasHangUpW");
    Autodial autodial = SystemFunctionAs<Autodial>(L"wininet.dll", "InternetAutodial");
};
const DialupFunctions& Ras() {
    static const DialupFunctions functions;
    return functions;
}

struct SoundFunctions {
    using Play = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
    using Mci = MCIERROR(WINAPI*)(LPCWSTR, LPWSTR, UINT, HWND);
    Play play = SystemFunctionAs<Play>(L"winmm.dll", "PlaySoundW");
    Mci mci = SystemFunctionAs<Mci>(L"winmm.dll", "mciSendStringW");
};
const SoundFunctions& Sound() {
    static const SoundFunctions functions;
    return functions;
}

}  // namespace

void CloseAllProgramWindows() { EnumWindows(CloseAllProgramsProc, 0); }

void Win32SystemCalls::CloseAllPrograms() { CloseAllProgramWindows(); }

std::optional<std::vector<DialupHandle>> Win32SystemCalls::DialupConnections() {
    RASCONNW connections[kMaxDialupConnections] = {};
    connections[0].dwSize = sizeof(RASCONNW);
    DWORD size = sizeof connections;
    DWORD count = 0;
    if (!Ras().enumConnections || Ras().enumConnections(connections, &size, &count) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<DialupHandle> handles;
    for (DWORD i = 0; i < count && i < kMaxDialupConnections; ++i)
        handles.push_back(reinterpret_cast<DialupHandle>(connections[i].hrasconn));
    return handles;
}

bool Win32SystemCalls::HangUp(DialupHandle connection) {
    return Ras().hangUp && Ras().hangUp(reinterpret_cast<HRASCONN>(connection)) == ERROR_SUCCESS;
}

bool Win32SystemCalls::Autodial() {
    return Ras().autodial && Ras().autodial(INTERNET_AUTODIAL_FORCE_UNATTENDED, owner_) != FALSE;
}

namespace {

// Starts the system folder's cmd.exe hidden. Named by its full path, as the
// application and again, quoted, at the start of its command line, so that
// no cmd.exe of the program's or the current folder is ever taken for it.
// The registry's AutoRun commands and delayed expansion, which a user can set
// without administrator rights, are switched off (/d, /v:off). The process
// handle, or none.
HANDLE StartSystemCmd(const std::wstring& parameters, const std::wstring& folder, DWORD priority) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring cmd = std::wstring(system, length) + L"\\cmd.exe";
    std::wstring line = L"\"" + cmd + L"\" /d /v:off " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, priority, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the process to end and closes its handle.
std::optional<unsigned long> ExitCodeOf(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process, &code) != FALSE;
    CloseHandle(process);
    return known ? std::optional<unsigned long>(code) : std::nullopt;
}

}  // namespace

void Win32SystemCalls::RunCmdHidden(const std::string& parameters, CmdEnded ended) {
    wchar_t windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    HANDLE process = StartSystemCmd(Wide(parameters), windowsFolder, NORMAL_PRIORITY_CLASS);
    if (!process || !ended) {
        if (process) CloseHandle(process);
        if (ended) ended(std::nullopt);
        return;
    }
    try {
        std::thread([process, ended = std::move(ended)] { ended(ExitCodeOf(process)); }).detach();
    } catch (...) {
        CloseHandle(process);  // no thread to be had: the command runs, its end goes untold
    }
}

void Win32SystemCalls::PlayLoop(const std::string& path) {
    if (Sound().play) Sound().play(Wide(path).c_str(), nullptr, SND_FILENAME | SND_LOOP | SND_ASYNC);
}

// Ends the looping sound at once; the file is not played again.
void Win32SystemCalls::Stop() {
    if (Sound().play) Sound().play(nullptr, nullptr, 0);
}

namespace {

// The system error a ShellExecute result at or below 32 stands for, where
// the call left none behind.
DWORD ShellExecuteError(INT_PTR result) {
    switch (result) {
    case 0: return ERROR_OUTOFMEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return static_cast<DWORD>(result);  // 2, 3, 5, 8 and 11 are system errors already
    }
}

}  // namespace

std::optional<std::string> Win32SystemCalls::ShellOpen(const std::string& target, const std::string& workingFolder) {
    const std::wstring folder = Wide(workingFolder);
    SetLastError(ERROR_SUCCESS);
    const INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", Wide(target).c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL));
    if (result > 32) return std::nullopt;
    const DWORD error = GetLastError();
    return SystemErrorText(error != ERROR_SUCCESS ? error : ShellExecuteError(result));
}

void Win32SystemCalls::OpenDocument(const std::wstring& path) {
    ShellExecuteW(owner_, nullptr, path.c_str(), L"", L"", SW_SHOWNORMAL);
}

void Win32SystemCalls::OpenList(const std::wstring& path, const std::wstring& folder) {
    ShellExecuteW(owner_, L"open", path.c_str(), L"", folder.c_str(), SW_SHOWNORMAL);
}

void Win32SystemCalls::MciCommand(const std::string& command) {
    if (Sound().mci) Sound().mci(Wide(command).c_str(), nullptr, 0, owner_);
}

// A send, so the monitor is off when it returns; a window that does not
// answer within a few seconds is skipped, so one hung program cannot freeze
// this one.
void Win32SystemCalls::MonitorOff() {
    constexpr LPARAM kPowerOff = 2;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, kPowerOff, SMTO_ABORTIFHUNG, 3000, &result);
}

std::vector<ProcessEntry> Win32SystemCalls::Processes() {
    std::vector<ProcessEntry> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        processes.push_back({entry.th32ProcessID, Narrow(entry.szExeFile)});
    CloseHandle(snapshot);
    return processes;
}

bool Win32SystemCalls::Terminate(std::uint32_t processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (!process) return false;
    const bool ended = TerminateProcess(process, 0) != FALSE;
    CloseHandle(process);
    return ended;
}

std::optional<unsigned long> Win32SystemCalls::RunCmdHiddenAndWait(const std::wstring& parameters,
                                                                   const std::wstring& folder) {
    HANDLE process = StartSystemCmd(parameters, folder, IDLE_PRIORITY_CLASS);
    if (!process) return std::nullopt;
    // The GUI thread waits here on purpose, without pumping messages, so no
    // tick can run while the batch cleans.
    return ExitCodeOf(process);
}

namespace {

std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string ExecutablePath() { return Narrow(ModulePath()); }

std::wstring ExecutableFolderWide() {
    const std::wstring path = ModulePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::string ExecutableFolder() { return Narrow(ExecutableFolderWide()); }

std::wstring Win32SystemCalls::ProgramFolder() { return ExecutableFolderWide(); }
