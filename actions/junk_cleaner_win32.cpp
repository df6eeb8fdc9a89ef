#include "actions/junk_cleaner_win32.h"

#include "platform/file_system_win32.h"

#include <string>

namespace {

// The roots are full paths and every name below them is one listed there, so
// the "\\?\" form names exactly the entry meant, past MAX_PATH too.
std::wstring SystemPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return {};
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return full;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_NETPATH ||
           error == ERROR_BAD_NET_NAME || error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

}  // namespace

Win32JunkFolders::~Win32JunkFolders() {
    for (const Held& folder : held_) CloseHandle(folder.handle);
}

// TEMP, as the batch read it before; the program's environment is the one it
// was started with.
std::wstring Win32JunkFolders::UserTemp() {
    const DWORD size = GetEnvironmentVariableW(L"TEMP", nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(L"TEMP", value.data(), size));
    return FullPath(value);
}

std::wstring Win32JunkFolders::WindowsTemp() {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return FullPath(std::wstring(windows, length) + L"\\Temp");
}

// Held without FILE_SHARE_DELETE: whoever wants to rename or remove the
// folder needs DELETE access to it, which the sharing refuses while it is
// held. Opened as a reparse point itself, a link is seen as one and never
// followed. A folder below a root is kept only where CheckChild finds it.
JunkFolders::Opened Win32JunkFolders::Keep(HANDLE folder, const std::wstring* name) {
    if (folder == INVALID_HANDLE_VALUE) return IsMissing(GetLastError()) ? Opened::Missing : Opened::Refused;
    const std::optional<HandleFacts> facts = FactsOf(folder);
    Opened opened = Opened::Held;
    if (!facts)
        opened = Opened::Refused;
    else if (facts->link)
        opened = Opened::Link;
    else if (!facts->folder)
        opened = Opened::Missing;
    else if (name && CheckChild(held_.back().facts, std::u16string(name->begin(), name->end()), *facts) != ChildCheck::Safe)
        opened = Opened::Refused;
    if (opened == Opened::Held)
        held_.push_back({folder, *facts});
    else
        CloseHandle(folder);
    return opened;
}

JunkFolders::Opened Win32JunkFolders::HoldRoot(const std::wstring& path) {
    return Keep(CreateFileW(SystemPath(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                nullptr);
}

JunkFolders::Opened Win32JunkFolders::HoldChild(const std::wstring& name) {
    if (held_.empty()) return Opened::Refused;
    return Keep(OpenRelative(held_.back().handle, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, kNtOpen, kFolderOnly | kOpenReparsePoint),
                &name);
}

bool Win32JunkFolders::HeldIntact() {
    if (held_.empty()) return false;
    const std::optional<HandleFacts> facts = FactsOf(held_.back().handle);
    return facts && facts->folder && !facts->link;
}

// Listed through the held handle itself, not through its path.
std::vector<JunkFolders::Entry> Win32JunkFolders::ListHeld() {
    std::vector<Entry> entries;
    if (held_.empty()) return entries;
    alignas(LONGLONG) BYTE buffer[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS query = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(held_.back().handle, query, buffer, sizeof buffer)) {
        query = FileFullDirectoryInfo;
        for (DWORD offset = 0;;) {
            const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer + offset);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                entries.push_back({std::move(name), (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                   (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            }
            if (info->NextEntryOffset == 0) break;
            offset += info->NextEntryOffset;
        }
    }
    return entries;
}

void Win32JunkFolders::Release() {
    if (held_.empty()) return;
    CloseHandle(held_.back().handle);
    held_.pop_back();
}

// The file is opened relative to its held folder, as itself (a link too,
// never its target), and a folder put in its place is not opened at all. It
// is deleted through that handle, and only when CheckChild finds it where
// its name says. Only the read-only attribute keeps a file from being
// deleted; it is cleared on this very handle, and set again when the file
// stays. A file with more names than this one keeps its attributes: they
// belong to every name, also to one outside the folder.
bool Win32JunkFolders::RemoveFile(const std::wstring& name) {
    if (held_.empty()) return false;
    HANDLE file = OpenRelative(held_.back().handle, name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kNtOpen,
                               kFileOnly | kOpenReparsePoint);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const std::optional<HandleFacts> facts = FactsOf(file);
    bool removed = false;
    if (facts && !facts->folder &&
        CheckChild(held_.back().facts, std::u16string(name.begin(), name.end()), *facts) == ChildCheck::Safe &&
        GetFileInformationByHandle(file, &info)) {
        const bool readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        const bool writable = !readOnly || (info.nNumberOfLinks <= 1 &&
                                            SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
        FILE_DISPOSITION_INFO disposition{TRUE};
        removed = writable && SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
        if (readOnly && writable && !removed) {
            basic.FileAttributes = info.dwFileAttributes;
            SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
        }
    }
    CloseHandle(file);
    return removed;
}


namespace {

// Standard output as the batch hands it over: a file (the list) or a pipe
// gets UTF-8 after a byte-order mark, a console the text itself.
class ListWriter {
public:
    ListWriter() : out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
        DWORD mode = 0;
        console_ = out_ && out_ != INVALID_HANDLE_VALUE && GetConsoleMode(out_, &mode);
        if (!console_) Write("\xEF\xBB\xBF");
    }

    void Line(const std::wstring& text) {
        const std::wstring line = text + L"\r\n";
        DWORD written = 0;
        if (console_) {
            WriteConsoleW(out_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr,
                            nullptr);
        Write(bytes);
    }

private:
    void Write(const std::string& bytes) {
        if (!out_ || out_ == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    HANDLE out_;
    bool console_ = false;
};

}  // namespace

int RunJunkCleaning() {
    ListWriter list;
    Win32JunkFolders folders;
    return CleanJunk(folders, [&](const std::wstring& line) { list.Line(line); });
}
