// The registry seam. A backend does the raw key and value operations; the
// accessor on top of it gives the program one current key, typed reads and the
// runtime's error texts, and is the same code natively and on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

enum class RegRoot { LocalMachine, CurrentUser };

enum class RegType { String, ExpandString, Dword, Other };

struct RegValue {
    RegType type = RegType::Other;
    std::string text;      // String and ExpandString: GBK bytes up to the first zero
    std::uint32_t dword = 0;  // Dword
};

using RegKey = std::uintptr_t;  // 0 is no key
constexpr RegKey kNoKey = 0;

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;
    // path is relative to the root, without a leading backslash
    // Opens for reading and writing; where writing is refused but reading is
    // not, opens for reading alone, and ReadOnly tells so afterwards.
    virtual RegKey Open(RegRoot root, const std::string& path, bool create) = 0;
    virtual void Close(RegKey key) = 0;
    virtual bool ReadOnly(RegKey key) const = 0;
    // How many values the key holds; none when that cannot be asked.
    virtual std::optional<std::uint32_t> ValueCount(RegKey key) = 0;
    virtual std::optional<RegValue> Query(RegKey key, const std::string& name) = 0;
    virtual bool SetString(RegKey key, const std::string& name, const std::string& text) = 0;
    virtual bool SetDword(RegKey key, const std::string& name, std::uint32_t value) = 0;
    virtual bool Delete(RegKey key, const std::string& name) = 0;
    // The names of the key's values, in no particular order.
    virtual std::vector<std::string> Names(RegKey key) = 0;
    // Whole keys, by path from the root: a rename keeps the key's values
    // and gives it `newName` beside where it stood, failing when that name
    // is taken; a delete removes a key that has no subkeys, with its values.
    virtual bool RenameKey(RegRoot root, const std::string& path, const std::string& newName) = 0;
    virtual bool DeleteKey(RegRoot root, const std::string& path) = 0;
};

// A failed store read or write. It ends the command that ran into it; the
// command's caller shows the text in a message box and the program goes on.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegistryAccessor {
public:
    explicit RegistryAccessor(RegistryBackend& backend) : backend_(backend) {}
    ~RegistryAccessor() { CloseKey(); }
    RegistryAccessor(const RegistryAccessor&) = delete;
    RegistryAccessor& operator=(const RegistryAccessor&) = delete;

    void SetRoot(RegRoot root) { root_ = root; }
    // Closes the current key first. A leading backslash makes the path
    // absolute from the root (the only form the program uses). Returns
    // whether a key is now open; reads and writes after a failed open act on
    // no key and fail as the typed operations describe.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();
    bool HasKey() const { return key_ != kNoKey; }
    // The current key was opened for reading alone: every write to it fails.
    bool KeyReadOnly() const { return key_ != kNoKey && backend_.ReadOnly(key_); }
    // The number of values in the current key; 0 without a key or when the
    // count cannot be had.
    std::uint32_t ValueCount();

    bool ValueExists(const std::string& name);
    // A missing value reads as the empty text; a value of another type throws.
    std::string ReadString(const std::string& name);
    // A missing value throws, and so does a value of another type.
    std::int32_t ReadInteger(const std::string& name);
    void WriteString(const std::string& name, const std::string& text);
    void WriteInteger(const std::string& name, std::int32_t value);
    bool DeleteValue(const std::string& name);
    // The value as it stands, none when missing; and a value put back as it
    // stood: none deletes it, a text or a number is written (throwing as the
    // writes above), another type is left alone.
    std::optional<RegValue> Query(const std::string& name);
    void Put(const std::string& name, const std::optional<RegValue>& value);
    std::vector<std::string> Names();

private:
    RegistryBackend& backend_;
    RegRoot root_ = RegRoot::CurrentUser;
    RegKey key_ = kNoKey;
};

std::string FailedToGetData(const std::string& name);
std::string InvalidDataType(const std::string& name);
std::string FailedToSetData(const std::string& name);
