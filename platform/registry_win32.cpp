#include "platform/registry_win32.h"

#include "platform/text_win32.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

HKEY Handle(RegKey key) { return reinterpret_cast<HKEY>(key); }

constexpr REGSAM kFullAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;

}  // namespace

RegKey Win32Registry::Open(RegRoot root, const std::string& path, bool create) {
    HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::wstring wpath = Wide(path);
    auto open = [&](REGSAM access, HKEY& key) {
        return create ? RegCreateKeyExW(base, wpath.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
                      : RegOpenKeyExW(base, wpath.c_str(), 0, access, &key);
    };
    HKEY key = nullptr;
    LONG rc = open(kFullAccess, key);
    if (rc == ERROR_ACCESS_DENIED && open(kReadAccess, key) == ERROR_SUCCESS) {
        readOnly_.insert(reinterpret_cast<RegKey>(key));
        return reinterpret_cast<RegKey>(key);
    }
    return rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : kNoKey;
}

void Win32Registry::Close(RegKey key) {
    readOnly_.erase(key);
    RegCloseKey(Handle(key));
}

bool Win32Registry::ReadOnly(RegKey key) const { return readOnly_.count(key) != 0; }

std::optional<std::uint32_t> Win32Registry::ValueCount(RegKey key) {
    DWORD values = 0;
    if (RegQueryInfoKeyW(Handle(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return values;
}

std::optional<RegValue> Win32Registry::Query(RegKey key, const std::string& name) {
    std::wstring wname = Wide(name);
    // Task texts are short: one call into a buffer on the stack serves almost
    // every read, which matters because the tick reads two values per record.
    BYTE stackBuffer[512];
    std::vector<BYTE> heapBuffer;
    BYTE* data = stackBuffer;
    DWORD type = 0;
    DWORD size = sizeof stackBuffer;
    LONG rc = RegQueryValueExW(Handle(key), wname.c_str(), nullptr, &type, data, &size);
    if (rc == ERROR_MORE_DATA) {
        heapBuffer.resize(size);
        data = heapBuffer.data();
        rc = RegQueryValueExW(Handle(key), wname.c_str(), nullptr, &type, data, &size);
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    RegValue value;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        value.type = type == REG_SZ ? RegType::String : RegType::ExpandString;
        std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), text.size()));  // a string read stops at the first zero
        value.text = Narrow(text);
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        value.type = RegType::Dword;
        std::memcpy(&value.dword, data, sizeof(DWORD));
    }
    return value;
}

bool Win32Registry::SetString(RegKey key, const std::string& name, const std::string& text) {
    std::wstring wtext = Wide(text);
    return RegSetValueExW(Handle(key), Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wtext.c_str()),
                          static_cast<DWORD>((wtext.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Win32Registry::SetDword(RegKey key, const std::string& name, std::uint32_t value) {
    DWORD data = value;
    return RegSetValueExW(Handle(key), Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool Win32Registry::Delete(RegKey key, const std::string& name) {
    return RegDeleteValueW(Handle(key), Wide(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::Names(RegKey key) {
    std::vector<std::string> names;
    std::vector<wchar_t> name(16384);  // the longest value name the registry allows, and its zero
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumValueW(Handle(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.push_back(Narrow(std::wstring(name.data(), length)));
    }
    return names;
}

bool Win32Registry::RenameKey(RegRoot root, const std::string& path, const std::string& newName) {
    HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    if (RegOpenKeyExW(base, Wide(path).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegRenameKey(key, nullptr, Wide(newName).c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(RegRoot root, const std::string& path) {
    HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    return RegDeleteKeyExW(base, Wide(path).c_str(), KEY_WOW64_64KEY, 0) == ERROR_SUCCESS;
}
