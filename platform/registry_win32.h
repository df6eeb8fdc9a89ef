#pragma once

#include "platform/registry.h"

#include <set>

// The real registry. Every key is opened in the 64-bit view, so the 32- and
// 64-bit builds share one store and one autostart entry on 64-bit Windows.
// A key whose ACL refuses writing opens for reading, so the tasks of a store
// locked that way still run.
class Win32Registry : public RegistryBackend {
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

private:
    std::set<RegKey> readOnly_;  // the open keys that were opened for reading alone
};
