#include "platform/file_system_win32.h"

#include "platform/clock_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

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

// Through ntdll itself: kernel32's FileRenameInfo takes the name for a path
// of the current folder under Wine.
bool RenameRelative(HANDLE file, HANDLE folder, const std::wstring& to, bool replace) {
    using SetInformation = LONG(WINAPI*)(HANDLE, NtIoStatus*, PVOID, ULONG, ULONG);
    static const auto set = NtFunction<SetInformation>("NtSetInformationFile");
    static const auto toError = NtFunction<StatusToErrorCall>("RtlNtStatusToDosError");
    constexpr ULONG kFileRenameInformation = 10;
    if (!set || !toError || to.empty() || to.find_first_of(L"\\/:") != std::wstring::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), rename->FileName);
    NtIoStatus io{};
    const LONG status = set(file, &io, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
    if (status < 0) SetLastError(toError(status));
    return status >= 0;
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

namespace {

struct Win32Held : HeldFolder {
    Win32Held(std::string path, HANDLE folder, HandleFacts held)
        : HeldFolder(std::move(path)), handle(folder), facts(std::move(held)) {}
    ~Win32Held() override { CloseHandle(handle); }
    const HANDLE handle;
    const HandleFacts facts;
};

Win32Held& Held(HeldFolder& folder) { return static_cast<Win32Held&>(folder); }

constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A folder handle kept only when it is a folder and no link; `name` given,
// only where CheckChild finds it below `parent`.
std::unique_ptr<HeldFolder> Keep(HANDLE handle, std::string path, const Win32Held* parent, const std::wstring& name,
                                 bool* link) {
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const std::optional<HandleFacts> facts = FactsOf(handle);
    DWORD error = ERROR_SUCCESS;
    if (!facts || facts->link)
        error = ERROR_CANT_ACCESS_FILE;
    else if (!facts->folder)
        error = ERROR_DIRECTORY;
    else if (parent && CheckChild(parent->facts, std::u16string(name.begin(), name.end()), *facts) != ChildCheck::Safe)
        error = ERROR_CANT_ACCESS_FILE;
    if (error == ERROR_SUCCESS) return std::make_unique<Win32Held>(std::move(path), handle, *facts);
    if (link) *link = facts && facts->link;
    CloseHandle(handle);
    SetLastError(error);
    return nullptr;
}

bool SetBasic(HANDLE file, DWORD attributes, const FILETIME* created = nullptr, const FILETIME* written = nullptr) {
    FILE_BASIC_INFO basic{};
    if (created) basic.CreationTime.QuadPart = ToFileTime(*created);
    if (written) basic.LastWriteTime.QuadPart = ToFileTime(*written);
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

bool Dispose(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// A file of the folder opened as itself, for its attributes; none for a
// link, a folder, or a file with a second name, whose attributes are never
// changed.
HANDLE OpenOwnFile(HANDLE folder, const std::wstring& name, ACCESS_MASK access, DWORD& attributes) {
    HANDLE file = OpenRelative(folder, name, access | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, kNtOpen,
                               kFileOnly | kOpenReparsePoint);
    if (file == INVALID_HANDLE_VALUE) return file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        info.nNumberOfLinks == 1) {
        attributes = info.dwFileAttributes;
        return file;
    }
    CloseHandle(file);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

std::unique_ptr<HeldFolder> Win32FileSystem::HoldTargetRoot(const std::string& path, bool& link) {
    link = false;
    HANDLE folder = CreateFileW(Long(path).c_str(), kFolderAccess | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr);
    return Keep(folder, path, nullptr, L"", &link);
}

std::unique_ptr<HeldFolder> Win32FileSystem::HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) {
    const std::wstring wide = WideFromUtf8(name);
    HANDLE folder = OpenRelative(Held(parent).handle, wide, kFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 make ? kNtOpenIf : kNtOpen, kFolderOnly | kOpenReparsePoint);
    return Keep(folder, parent.path + "\\" + name, &Held(parent), wide, nullptr);
}

bool Win32FileSystem::ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries) {
    std::vector<FileEntry> listed;
    alignas(LONGLONG) static thread_local BYTE start[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS query = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(Held(folder).handle, query, start, sizeof start)) {
        query = FileFullDirectoryInfo;
        for (DWORD offset = 0;;) {
            const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(start + offset);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                FileEntry entry;
                entry.name = Utf8FromWide(name);
                entry.directory = (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                entry.link = (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                entry.size = static_cast<std::uint64_t>(info->EndOfFile.QuadPart);
                entry.lastWrite = info->LastWriteTime.QuadPart;
                listed.push_back(std::move(entry));
            }
            if (info->NextEntryOffset == 0) break;
            offset += info->NextEntryOffset;
        }
    }
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND) return false;
    entries = std::move(listed);
    return true;
}

// The content in large reads and writes, then the source's attributes and
// times on the new file's own handle.
bool Win32FileSystem::CopyInto(const std::string& from, HeldFolder& folder, const std::string& name) {
    HANDLE in = CreateFileW(Long(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE out = INVALID_HANDLE_VALUE;
    if (GetFileInformationByHandle(in, &info))
        out = OpenRelative(Held(folder).handle, WideFromUtf8(name), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, kNtCreate,
                           kFileOnly);
    bool copied = out != INVALID_HANDLE_VALUE;
    if (copied) {
        static thread_local std::vector<char> buffer(1 << 20);
        for (;;) {
            DWORD read = 0, written = 0;
            if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
                copied = false;
                break;
            }
            if (read == 0) break;
            if (!WriteFile(out, buffer.data(), read, &written, nullptr) || written != read) {
                copied = false;
                break;
            }
        }
        constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        const DWORD error = GetLastError();
        copied = SetBasic(out, info.dwFileAttributes & kKept, &info.ftCreationTime, &info.ftLastWriteTime) && copied;
        CloseHandle(out);
        if (!copied) SetLastError(error);
    }
    const DWORD error = GetLastError();
    CloseHandle(in);
    SetLastError(error);
    return copied;
}

bool Win32FileSystem::RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace) {
    const HANDLE dir = Held(folder).handle;
    DWORD attributes = 0;
    HANDLE file = OpenOwnFile(dir, WideFromUtf8(from), DELETE, attributes);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ready = true;
    if (replace) {
        // A power cut after the rename must not leave an empty file where a good copy was.
        const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        if (readOnly) ready = SetBasic(file, attributes & ~FILE_ATTRIBUTE_READONLY);
        HANDLE data = ready ? OpenRelative(dir, WideFromUtf8(from), GENERIC_WRITE, kShareAll, kNtOpen,
                                           kFileOnly | kOpenReparsePoint)
                            : INVALID_HANDLE_VALUE;
        ready = data != INVALID_HANDLE_VALUE && FlushFileBuffers(data);
        if (data != INVALID_HANDLE_VALUE) CloseHandle(data);
        if (readOnly) SetBasic(file, attributes);
    }
    const std::wstring target = WideFromUtf8(to);
    bool renamed = ready && RenameRelative(file, dir, target, replace);
    if (!renamed && ready && replace && GetLastError() == ERROR_ACCESS_DENIED) {
        // A read-only file in the way, of this one name: writable for the rename.
        DWORD old = 0;
        HANDLE there = OpenOwnFile(dir, target, 0, old);
        if (there != INVALID_HANDLE_VALUE && (old & FILE_ATTRIBUTE_READONLY) &&
            SetBasic(there, old & ~FILE_ATTRIBUTE_READONLY)) {
            CloseHandle(there);
            there = INVALID_HANDLE_VALUE;
            renamed = RenameRelative(file, dir, target, true);
            if (!renamed && (there = OpenOwnFile(dir, target, 0, old)) != INVALID_HANDLE_VALUE)
                SetBasic(there, old | FILE_ATTRIBUTE_READONLY);
        }
        if (there != INVALID_HANDLE_VALUE) CloseHandle(there);
        if (!renamed) SetLastError(ERROR_ACCESS_DENIED);
    }
    CloseHandle(file);
    return renamed;
}

bool Win32FileSystem::RemoveIn(HeldFolder& folder, const std::string& name) {
    DWORD attributes = 0;
    HANDLE file = OpenOwnFile(Held(folder).handle, WideFromUtf8(name), DELETE, attributes);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool removed = Dispose(file);
    if (!removed && (attributes & FILE_ATTRIBUTE_READONLY) && SetBasic(file, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        removed = Dispose(file);
        if (!removed) SetBasic(file, attributes);
    }
    CloseHandle(file);
    return removed;
}
