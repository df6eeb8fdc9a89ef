#include "platform/log_file_win32.h"

#include "platform/file_system_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"

#include <windows.h>
#include <aclapi.h>
#include <initguid.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

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

namespace {

constexpr wchar_t kCurrentName[] = L"运行记录.txt";
constexpr wchar_t kOlderName[] = L"运行记录.old.txt";
// Full control for SYSTEM and Administrators, reading for Users; the P
// keeps %ProgramData%'s rights (Users may make files there) from coming in.
constexpr wchar_t kFolderRights[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

std::string SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
    std::string out;
    for (const wchar_t* c = text; *c; ++c) out += static_cast<char>(*c);  // digits, "S" and "-" only
    LocalFree(text);
    return out;
}

// SYSTEM, Administrators, TrustedInstaller, and the account this process runs as.
std::vector<std::string> TrustedOwners() {
    std::vector<std::string> trusted = {"S-1-5-18", "S-1-5-32-544",
                                        "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(TOKEN_USER) BYTE buffer[256];
        DWORD size = 0;
        if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
            trusted.push_back(SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid));
        CloseHandle(token);
    }
    return trusted;
}

FolderTrust Judge(HANDLE folder, const std::vector<std::string>& trusted) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return FolderTrust::ForeignOwner;
    std::optional<std::vector<AccessEntry>> entries;
    if (dacl) {
        entries.emplace();
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (!GetAce(dacl, i, &ace)) continue;
            const auto* header = static_cast<const ACE_HEADER*>(ace);
            if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
                auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
                entries->push_back({SidText(&allowed->SidStart), true, allowed->Mask});
            } else if (header->AceType != ACCESS_DENIED_ACE_TYPE) {
                entries->push_back({"", true, kChangeRights});  // a kind not read here: taken for the worst
            }
        }
    }
    const FolderTrust trust = JudgeFolder(SidText(owner), entries, trusted);
    LocalFree(descriptor);
    return trust;
}

// The folder's own rights, set on the held handle by its owner.
bool SetFolderRights(HANDLE folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderRights, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    const bool set = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present &&
                     SetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

void MakeFolder(const std::wstring& folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderRights, SDDL_REVISION_1, &descriptor, nullptr))
        return;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    CreateDirectoryW(folder.c_str(), &attributes);
    LocalFree(descriptor);
}

// Held without FILE_SHARE_DELETE: the folder cannot be renamed or removed,
// so the handle and the folder's path name the same folder throughout.
HANDLE HoldFolder(const std::wstring& folder) {
    return CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
                                           READ_CONTROL | WRITE_DAC | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

Win32LogFile::Win32LogFile(const std::wstring& folder) : folder_(folder) {
    if (folder_.empty()) return;
    path_ = folder_ + L"\\" + kCurrentName;
    HANDLE held = HoldFolder(folder_);
    if (held == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        MakeFolder(folder_);
        held = HoldFolder(folder_);
    }
    if (held == INVALID_HANDLE_VALUE) return;
    const std::optional<HandleFacts> facts = FactsOf(held);
    const std::vector<std::string> trusted = TrustedOwners();
    FolderTrust trust = facts && facts->folder && !facts->link ? Judge(held, trusted) : FolderTrust::ForeignOwner;
    // A folder of ours with rights too wide (as one made before it had its
    // own) is given its own; one of another owner is left as it is.
    if (trust == FolderTrust::OthersMayChange && SetFolderRights(held)) trust = Judge(held, trusted);
    if (trust == FolderTrust::Trusted)
        folderHandle_ = held;
    else
        CloseHandle(held);
}

Win32LogFile::~Win32LogFile() {
    if (folderHandle_ != INVALID_HANDLE_VALUE) CloseHandle(folderHandle_);
}

std::string Win32LogFile::Encode(const std::string& gbk) {
    const std::wstring wide = Wide(gbk);
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

// The current file, opened relative to the held folder as itself; none for
// a link, a folder, or a file with more names than this one.
HANDLE Win32LogFile::OpenCurrent(ACCESS_MASK access, ULONG disposition) {
    if (!Usable()) return INVALID_HANDLE_VALUE;
    HANDLE file = OpenRelative(folderHandle_, kCurrentName, access | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, disposition, kFileOnly | kOpenReparsePoint);
    if (file == INVALID_HANDLE_VALUE) return file;
    const std::optional<HandleFacts> facts = FactsOf(file);
    if (facts && !facts->link && !facts->folder && facts->names == 1) return file;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

std::optional<std::uint64_t> Win32LogFile::Size() {
    HANDLE file = OpenCurrent(0, kNtOpen);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    const bool known = GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (!known) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool Win32LogFile::Append(const std::string& bytes) {
    HANDLE file = OpenCurrent(FILE_APPEND_DATA, kNtOpenIf);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool appended = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    return appended;
}

// Renamed by its handle to a name in the held folder, replacing the older
// file; a folder in that place makes it fail.
bool Win32LogFile::Rotate() {
    HANDLE file = OpenCurrent(DELETE, kNtOpen);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool renamed = RenameRelative(file, folderHandle_, kOlderName, true);
    CloseHandle(file);
    return renamed;
}
