#include "platform/file_system_win32.h"

#include "platform/clock_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"

#include <windows.h>

#include <cwchar>

std::wstring WideFromUtf8(const std::string& path) {
    const std::u16string wide = Utf16FromUtf8(path);
    return std::wstring(wide.begin(), wide.end());
}

std::string Utf8FromWide(const std::wstring& path) {
    return Utf8FromUtf16(std::u16string(path.begin(), path.end()));
}

std::wstring LongPath(std::wstring wide) {
    if (wide.size() == 2 && wide[1] == L':') wide += L'\\';  // a drive alone is its root
    if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':') return L"\\\\?\\" + full;
    return full;
}

namespace {

struct NtName {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
};
struct NtObjectAttributes {
    ULONG length;
    HANDLE rootDirectory;
    NtName* objectName;
    ULONG attributes;
    PVOID securityDescriptor;
    PVOID securityQualityOfService;
};
struct NtIoStatus {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
using NtCreateFileCall = LONG(WINAPI*)(PHANDLE, ACCESS_MASK, NtObjectAttributes*, NtIoStatus*, PLARGE_INTEGER, ULONG,
                                       ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorCall = ULONG(WINAPI*)(LONG);

constexpr ULONG kCaseInsensitive = 0x40;
constexpr ULONG kSynchronous = 0x20, kBackupIntent = 0x4000;

template <typename F>
F NtFunction(const char* name) {
    static HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

}  // namespace

HANDLE OpenRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                    ULONG options) {
    static const auto create = NtFunction<NtCreateFileCall>("NtCreateFile");
    static const auto toError = NtFunction<StatusToErrorCall>("RtlNtStatusToDosError");
    // A name with a separator, or "." or "..", would reach past the folder.
    if (!create || !toError || name.empty() || name == L"." || name == L".." ||
        name.find_first_of(L"\\/:") != std::wstring::npos || name.size() * sizeof(wchar_t) > 0xFFFE) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring buffer = name;
    NtName ntName{static_cast<USHORT>(buffer.size() * sizeof(wchar_t)),
                  static_cast<USHORT>(buffer.size() * sizeof(wchar_t)), buffer.data()};
    NtObjectAttributes attributes{sizeof attributes, parent, &ntName, kCaseInsensitive, nullptr, nullptr};
    NtIoStatus io{};
    HANDLE opened = INVALID_HANDLE_VALUE;
    const LONG status = create(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                               disposition, options | kSynchronous | kBackupIntent, nullptr, 0);
    if (status < 0) {
        SetLastError(toError(status));
        return INVALID_HANDLE_VALUE;
    }
    return opened;
}

std::optional<HandleFacts> FactsOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    HandleFacts facts;
    facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.volume = info.dwVolumeSerialNumber;
    facts.names = info.nNumberOfLinks;
    wchar_t path[MAX_PATH];
    DWORD length = GetFinalPathNameByHandleW(handle, path, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length > 0 && length < MAX_PATH) {
        facts.path.assign(path, path + length);
    } else if (length >= MAX_PATH) {
        std::wstring longer(length, L'\0');
        length = GetFinalPathNameByHandleW(handle, longer.data(), length, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < longer.size()) facts.path.assign(longer.begin(), longer.begin() + length);
    }
    return facts;
}

namespace {

std::wstring Long(const std::string& path) { return LongPath(WideFromUtf8(path)); }

FileTime ToFileTime(const FILETIME& t) {
    return static_cast<FileTime>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

FileEntry Describe(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
    FileEntry entry;
    entry.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    entry.lastWrite = ToFileTime(lastWrite);
    return entry;
}

// Clears the read-only attribute of `path` if it has it; the attributes it
// had, when it had it.
std::optional<DWORD> MakeWritable(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return std::nullopt;
    if (!SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) return std::nullopt;
    return attributes;
}

// Writes a file's data from the cache to the disk. A read-only file is made
// writable for the moment it takes.
bool FlushToDisk(const std::wstring& path) {
    const std::optional<DWORD> attributes = MakeWritable(path);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool flushed = false;
    if (file != INVALID_HANDLE_VALUE) {
        flushed = FlushFileBuffers(file) != 0;
        CloseHandle(file);
    }
    if (attributes) SetFileAttributesW(path.c_str(), *attributes);
    return flushed;
}

}  // namespace

std::string Win32FileSystem::PathFromText(const std::string& gbk) { return Utf8FromWide(Wide(gbk)); }

std::string Win32FileSystem::TextFromPath(const std::string& path) { return Narrow(WideFromUtf8(path)); }

std::string Win32FileSystem::LastErrorText() { return SystemErrorText(GetLastError()); }

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
    std::wstring pattern = Long(folder);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    const bool found = listing_.List([&](ListingForm form) {
        const bool fast = form == ListingForm::Fast;
        find = FindFirstFileExW(pattern.c_str(), fast ? FindExInfoBasic : FindExInfoStandard, &data,
                                FindExSearchNameMatch, nullptr, fast ? FIND_FIRST_EX_LARGE_FETCH : 0);
        if (find != INVALID_HANDLE_VALUE) return ListingOutcome::Listed;
        error = GetLastError();
        // Vista knows neither the basic information nor the large fetch.
        return fast && (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED) ? ListingOutcome::Refused
                                                                                            : ListingOutcome::Failed;
    });
    if (!found) {
        // An empty drive root has not even "." to list.
        std::optional<FileEntry> there = error == ERROR_FILE_NOT_FOUND ? Stat(folder) : std::nullopt;
        if (!there || !there->directory) return false;
        entries.clear();
        return true;
    }
    std::vector<FileEntry> listed;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        FileEntry entry = Describe(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        // Junctions and symbolic links to folders; other reparse points (cloud files) are walked.
        entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                     (data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || data.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
        entry.name = Utf8FromWide(data.cFileName);
        listed.push_back(std::move(entry));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    entries = std::move(listed);
    return true;
}

std::optional<FileEntry> Win32FileSystem::Stat(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data)) return {};
    return Describe(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

std::optional<FolderId> Win32FileSystem::Identify(const std::string& folder) {
    HANDLE handle = CreateFileW(Long(folder).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(handle);
    if (!known) return {};
    return FolderId{info.dwVolumeSerialNumber,
                    (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool Win32FileSystem::CoarseTimes(const std::string& folder) {
    const std::wstring path = Long(folder);
    wchar_t volume[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH) ||
        !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH))
        return false;
    return _wcsicmp(fileSystem, L"FAT") == 0 || _wcsicmp(fileSystem, L"FAT32") == 0 ||
           _wcsicmp(fileSystem, L"exFAT") == 0;
}

bool Win32FileSystem::MakeFolder(const std::string& path) {
    const std::wstring wide = Long(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::CopyNew(const std::string& from, const std::string& to) {
    return CopyFileExW(Long(from).c_str(), Long(to).c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS) != 0;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to, bool replace) {
    const std::wstring source = Long(from), target = Long(to);
    if (!replace) return MoveFileExW(source.c_str(), target.c_str(), 0) != 0;
    // A power cut after the rename must not leave an empty file where a good copy was.
    if (!FlushToDisk(source)) return false;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    const std::optional<DWORD> attributes = MakeWritable(target);
    if (!attributes) return false;
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
    SetFileAttributesW(target.c_str(), *attributes);
    return false;
}

bool Win32FileSystem::Remove(const std::string& path) {
    const std::wstring wide = Long(path);
    if (DeleteFileW(wide.c_str())) return true;
    return GetLastError() == ERROR_ACCESS_DENIED && MakeWritable(wide) && DeleteFileW(wide.c_str());
}

// FileTimeToLocalFileTime would take today's offset: a file written in
// winter would get another stamp each time summer time begins or ends.
LocalTime Win32FileSystem::LocalTimeOf(FileTime time) {
    FILETIME utc{static_cast<DWORD>(time & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(time) >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return LocalTimeFrom(SYSTEMTIME{});
    return LocalTimeFrom(local);
}

std::uint32_t Win32FileSystem::ProcessId() { return GetCurrentProcessId(); }

bool Win32FileSystem::ProcessRunning(std::uint32_t id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to open
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}
