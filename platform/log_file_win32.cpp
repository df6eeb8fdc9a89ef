#include "platform/log_file_win32.h"

#include "platform/text_win32.h"
#include "platform/utf8.h"

#include <windows.h>
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace {

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

}  // namespace

// Looked up at run time: Windows XP has no known folders.
std::wstring RunLogFolder() {
    std::wstring common;
    using KnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (auto known = shell ? reinterpret_cast<KnownFolderPath>(
                                 reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderPath")))
                           : nullptr) {
        PWSTR path = nullptr;
        if (SUCCEEDED(known(FOLDERID_ProgramData, 0, nullptr, &path)) && path) common = path;
        CoTaskMemFree(path);
    }
    if (common.empty()) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(L"ProgramData", value, MAX_PATH);
        if (length > 0 && length < MAX_PATH) common.assign(value, length);
    }
    while (!common.empty() && common.back() == L'\\') common.pop_back();
    return common.empty() ? std::wstring() : common + L"\\Tempiro";
}

Win32LogFile::Win32LogFile(const std::wstring& folder) : folder_(folder) {
    if (folder_.empty()) return;
    path_ = folder_ + L"\\运行记录.txt";
    older_ = folder_ + L"\\运行记录.old.txt";
}

std::string Win32LogFile::Encode(const std::string& gbk) {
    const std::wstring wide = Wide(gbk);
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

bool Win32LogFile::FolderReady() {
    if (folder_.empty()) return false;
    DWORD attributes = GetFileAttributesW(folder_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        attributes = GetFileAttributesW(folder_.c_str());
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

std::optional<std::uint64_t> Win32LogFile::Size() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path_.empty() || !GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) ||
        IsLink(data.dwFileAttributes))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32LogFile::Append(const std::string& bytes) {
    if (!FolderReady()) return false;
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD written = 0;
    const bool appended = GetFileInformationByHandle(file, &info) && !IsLink(info.dwFileAttributes) &&
                          WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    return appended;
}

bool Win32LogFile::Rotate() {
    return FolderReady() && MoveFileExW(path_.c_str(), older_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
