#pragma once

#include "platform/registry.h"

// The real registry. Every key is opened in the 64-bit view, so the 32- and
// 64-bit builds share one store and one autostart entry on 64-bit Windows.
class Win32Registry : public RegistryBackend {
public:
    RegKey Open(RegRoot root, const std::string& path, bool create) override;
    void Close(RegKey key) override;
    std::optional<RegValue> Query(RegKey key, const std::string& name) override;
    bool SetString(RegKey key, const std::string& name, const std::string& text) override;
    bool SetDword(RegKey key, const std::string& name, std::uint32_t value) override;
    bool Delete(RegKey key, const std::string& name) override;
};
