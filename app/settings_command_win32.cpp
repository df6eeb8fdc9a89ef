#include "app/settings_command_win32.h"

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/clock_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_files_win32.h"
#include "platform/text_win32.h"
#include "windows/settings_window_win32.h"

#include <vector>

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

constexpr DWORD kAnswerMs = 120000;     // the longest the sender waits for the copy's import
constexpr DWORD kStartingCopyMs = 10000;  // for the window of a copy that holds the mutex already
constexpr DWORD kRetryMs = 250;
constexpr char kNotOurCopy[] = "运行中的 Tempiro 窗口不属于以管理员身份运行的本程序，文件未交给它";

// The file's full path, so that the running copy, whose current folder is
// another, opens the same file; none for a name no file can have.
std::optional<std::wstring> FullPath(const std::wstring& file) {
    std::vector<wchar_t> buffer(kLongestPath + 1);
    const DWORD length = GetFullPathNameW(file.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    std::wstring full(buffer.data(), length);
    if (!IsFullPath(std::u16string_view(reinterpret_cast<const char16_t*>(full.data()), full.size())))
        return std::nullopt;
    return full;
}

// The path in the program's GBK, as the file dialogs hand it to the import;
// none when GBK cannot hold it (such a file cannot be imported through the
// dialogs either).
std::optional<std::string> GbkPath(const std::wstring& path) {
    std::string gbk = Narrow(path);
    if (Wide(gbk) != path) return std::nullopt;
    return gbk;
}

// The running copy's main window, waiting for it while a copy that holds
// the mutex is still starting; none when no copy runs, nullptr when one runs
// but shows no window.
std::optional<HWND> RunningCopy() {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND main = FindWindowW(kMainWindowClass, nullptr)) return main;
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, Wide(kMutexName).c_str());
        const bool held = mutex || GetLastError() == ERROR_ACCESS_DENIED;
        if (mutex) CloseHandle(mutex);  // held no longer than asked: a copy starting now must not meet it
        if (!held) return std::nullopt;
        if (GetTickCount() - start > kStartingCopyMs) return nullptr;
        Sleep(kRetryMs);
    }
}

// The file behind a path, as its volume and index: another case, a short
// name or a "\\?\" prefix change nothing.
std::optional<std::pair<DWORD, ULONGLONG>> FileIdentity(const wchar_t* path) {
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known) return std::nullopt;
    return std::make_pair(info.dwVolumeSerialNumber, (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

// Any program may register the main window's class and the mutex: the file
// goes only to a window whose process runs this very exe, elevated.
bool IsOurElevatedCopy(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = id ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr;
    if (!process) return false;
    std::vector<wchar_t> image(kLongestPath + 1);
    DWORD size = static_cast<DWORD>(image.size());
    const bool named = QueryFullProcessImageNameW(process, 0, image.data(), &size);
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const bool elevated = OpenProcessToken(process, TOKEN_QUERY, &token) &&
                          GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) &&
                          elevation.TokenIsElevated;
    if (token) CloseHandle(token);
    CloseHandle(process);
    std::vector<wchar_t> own(kLongestPath + 1);
    const DWORD ownLength = GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size()));
    if (!named || !elevated || ownLength == 0 || ownLength >= own.size()) return false;
    const auto theirs = FileIdentity(image.data());
    return theirs && theirs == FileIdentity(own.data());
}

// One message: the copy takes the import whenever it comes, so there is
// nothing to try again; the wait covers an import of many thousand tasks.
int HandOverTo(HWND main, std::wstring file, bool append) {
    COPYDATASTRUCT data{append ? kHandOverAppend : kHandOverReplace,
                        static_cast<DWORD>(file.size() * sizeof(wchar_t)), file.data()};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerMs,
                             &answer))
        return kExitNoAnswer;  // hung, gone, or a copy of higher integrity that refuses this one
    return HandOverAnswer(static_cast<std::intptr_t>(answer)).value_or(kExitNoAnswer);
}

int ImportHere(const std::string& file, bool append, RunLog& runLog) {
    Win32Registry backend;
    Win32TextFiles files;
    StoreOptions options;
    TaskStore store(backend, options);
    // The store as a start loads it, once the file has proved a settings file.
    auto load = [&] {
        store.Load();
        if (std::optional<Outcome> note = RecoveryNote(store.recovery())) runLog.Note(*note);
    };
    return ExitCodeOf(ImportNamedFile(store, files, file, append, load, &runLog).status);
}

}  // namespace

int ImportSettingsFile(const std::wstring& file, bool append, RunLog& runLog) {
    const std::optional<std::wstring> full = FullPath(file);
    const std::optional<std::string> gbk = full ? GbkPath(*full) : std::nullopt;
    if (!gbk) return kExitNotOpened;
    const std::optional<HWND> copy = RunningCopy();
    if (!copy) return ImportHere(*gbk, append, runLog);
    HWND target = *copy;
    // Another program's window of the class may stand first: the copy's own is looked for behind it.
    while (target && !IsOurElevatedCopy(target)) target = FindWindowExW(nullptr, target, kMainWindowClass, nullptr);
    if (*copy && !target) {
        runLog.Note({"导入设置失败：" + *gbk + "  ——  " + kNotOurCopy, true});
        return kExitNotOurCopy;
    }
    return target ? HandOverTo(target, *full, append) : kExitNoAnswer;
}

int ExportSettingsFile(const std::wstring& file) {
    const std::optional<std::wstring> full = FullPath(file);
    const std::optional<std::string> gbk = full ? GbkPath(*full) : std::nullopt;
    if (!gbk) return kExitNotOpened;
    Win32Registry backend;
    Win32TextFiles files;
    Win32Clock clock;
    StoreOptions options;
    TaskStore store(backend, options);
    return ExitCodeOf(ExportStore(store, files, *gbk, ExportTimeNow(clock)));
}

LRESULT ImportHandedOver(ProgramState& state, const COPYDATASTRUCT* data, RunLog& runLog) {
    const std::optional<HandOver> request =
        data ? ReadHandOver(data->dwData, data->lpData, data->cbData) : std::nullopt;
    if (!request) return 0;
    const std::optional<std::string> file = GbkPath(std::wstring(request->file.begin(), request->file.end()));
    if (!file) return kHandOverReply + kExitNotOpened;
    if (!state.store) return kHandOverReply + kExitStoreFailed;
    Win32TextFiles files;
    const ImportOutcome outcome = ImportNamedFile(*state.store, files, *file, request->append, {}, &runLog);
    if (outcome.storeChanged()) SettingsImported(!request->append);
    return kHandOverReply + ExitCodeOf(outcome.status);
}
