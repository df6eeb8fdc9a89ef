#include "platform/file_system_win32.h"

#include "platform/clock_win32.h"
#include "platform/text_win32.h"

#include <windows.h>

#include <cwchar>

std::wstring LongPath(const std::string& path) {
    std::wstring wide = Wide(path);
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

// Clears the read-only attribute of `path` if it has it; true if it had.
bool MakeWritable(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
    std::wstring pattern = LongPath(folder);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty drive root has not even "." to list.
        std::optional<FileEntry> there = GetLastError() == ERROR_FILE_NOT_FOUND ? Stat(folder) : std::nullopt;
        if (!there || !there->directory) return false;
        entries.clear();
        return true;
    }
    std::vector<FileEntry> found;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        FileEntry entry = Describe(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        // Junctions and symbolic links to folders; other reparse points (cloud files) are walked.
        entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                     (data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || data.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
        entry.name = Narrow(data.cFileName);
        found.push_back(std::move(entry));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    entries = std::move(found);
    return true;
}

std::optional<FileEntry> Win32FileSystem::Stat(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return {};
    return Describe(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

bool Win32FileSystem::MakeFolder(const std::string& path) {
    const std::wstring wide = LongPath(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::CopyNew(const std::string& from, const std::string& to) {
    return CopyFileExW(LongPath(from).c_str(), LongPath(to).c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS) != 0;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to, bool replace) {
    const std::wstring source = LongPath(from), target = LongPath(to);
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
    return replace && GetLastError() == ERROR_ACCESS_DENIED && MakeWritable(target) &&
           MoveFileExW(source.c_str(), target.c_str(), flags);
}

bool Win32FileSystem::Remove(const std::string& path) {
    const std::wstring wide = LongPath(path);
    if (DeleteFileW(wide.c_str())) return true;
    return GetLastError() == ERROR_ACCESS_DENIED && MakeWritable(wide) && DeleteFileW(wide.c_str());
}

LocalTime Win32FileSystem::LocalTimeOf(FileTime time) {
    FILETIME utc{static_cast<DWORD>(time & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(time) >> 32)};
    FILETIME local;
    SYSTEMTIME t{};
    if (FileTimeToLocalFileTime(&utc, &local)) FileTimeToSystemTime(&local, &t);
    return LocalTimeFrom(t);
}

std::uint32_t Win32FileSystem::ProcessId() { return GetCurrentProcessId(); }

bool Win32FileSystem::ProcessRunning(std::uint32_t id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to open
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}
