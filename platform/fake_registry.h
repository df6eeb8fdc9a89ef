// An in-memory registry backend for the native tests and benchmarks. Key paths
// and value names compare case-insensitively, as in the real registry.
#pragma once

#include "platform/registry.h"

#include <map>
#include <string>
#include <vector>

class FakeRegistry : public RegistryBackend {
public:
    RegKey Open(RegRoot root, const std::string& path, bool create) override;
    void Close(RegKey key) override;
    bool ReadOnly(RegKey key) const override;
    std::optional<std::uint32_t> ValueCount(RegKey key) override;
    std::optional<RegValue> Query(RegKey key, const std::string& name) override;
    bool SetString(RegKey key, const std::string& name, const std::string& text) override;
    bool SetDword(RegKey key, const std::string& name, std::uint32_t value) override;
    bool Delete(RegKey key, const std::string& name) override;
    std::vector<std::string> Names(RegKey key) override;
    bool RenameKey(RegRoot root, const std::string& path, const std::string& newName) override;
    bool DeleteKey(RegRoot root, const std::string& path) override;

    // Direct access for setting up and checking, outside any open key.
    void Put(RegRoot root, const std::string& path, const std::string& name, RegValue value);
    std::optional<RegValue> Get(RegRoot root, const std::string& path, const std::string& name) const;
    bool KeyExists(RegRoot root, const std::string& path) const;
    std::vector<std::string> ValueNames(RegRoot root, const std::string& path) const;

    // Failure injection: opening fails, every write to a key fails, the
    // writes fail once this many more have succeeded (-1: no limit), keys
    // open for reading alone (as a key whose ACL refuses writing does), or
    // the value count cannot be had.
    bool denyOpen = false;
    bool denyWrite = false;
    int writesLeft = -1;
    bool readOnlyKeys = false;
    bool denyValueCount = false;
    // The program "dies" once this many more changes have been made (-1: never):
    // the next change throws Died, which no store code catches, and leaves
    // the registry as it stood, as a kill does. Value writes and deletes, key
    // creations, renames and deletes all count as changes.
    int diesAfter = -1;
    struct Died {};
    // This many more changes succeed, the one after fails (-1: none fails),
    // and every change after that succeeds again: a write refused once.
    int failsAfter = -1;

    int writes = 0;   // successful SetString, SetDword and Delete calls
    int queries = 0;
    int valueCounts = 0;  // ValueCount calls
    int openKeys() const { return static_cast<int>(open_.size()); }

private:
    struct Key {
        std::map<std::string, std::pair<std::string, RegValue>> values;  // folded name -> (name, value)
    };
    static std::string Fold(const std::string& s);
    static std::string KeyId(RegRoot root, const std::string& path);
    Key* Find(RegKey key);
    bool Writable(Key* key) { return key && !denyWrite && writesLeft != 0 && !FailsNow(); }
    bool FailsNow();
    void Wrote();
    bool MayChange();  // throws Died when the program dies now

    std::map<std::string, Key> keys_;
    struct OpenKey {
        std::string id;
        bool readOnly = false;
    };
    std::map<RegKey, OpenKey> open_;
    RegKey next_ = 1;
};

inline RegValue StringValue(const std::string& text) { return {RegType::String, text, 0}; }
inline RegValue DwordValue(std::uint32_t value) { return {RegType::Dword, {}, value}; }
