#include "platform/registry.h"

std::string FailedToGetData(const std::string& name) { return "Failed to get data for '" + name + "'"; }
std::string InvalidDataType(const std::string& name) { return "Invalid data type for '" + name + "'"; }
std::string FailedToSetData(const std::string& name) { return "Failed to set data for '" + name + "'"; }

bool RegistryAccessor::OpenKey(const std::string& path, bool canCreate) {
    CloseKey();
    std::string relative = path;
    if (!relative.empty() && relative.front() == '\\') relative.erase(0, 1);
    key_ = backend_.Open(root_, relative, canCreate);
    return key_ != kNoKey;
}

void RegistryAccessor::CloseKey() {
    if (key_ != kNoKey) backend_.Close(key_);
    key_ = kNoKey;
}

std::uint32_t RegistryAccessor::ValueCount() {
    if (key_ == kNoKey) return 0;
    return backend_.ValueCount(key_).value_or(0);
}

bool RegistryAccessor::ValueExists(const std::string& name) {
    return key_ != kNoKey && backend_.Query(key_, name).has_value();
}

std::string RegistryAccessor::ReadString(const std::string& name) {
    std::optional<RegValue> value = key_ != kNoKey ? backend_.Query(key_, name) : std::nullopt;
    if (!value) return {};
    if (value->type != RegType::String && value->type != RegType::ExpandString)
        throw StoreError(InvalidDataType(name));
    return value->text;
}

std::int32_t RegistryAccessor::ReadInteger(const std::string& name) {
    std::optional<RegValue> value = key_ != kNoKey ? backend_.Query(key_, name) : std::nullopt;
    if (!value) throw StoreError(FailedToGetData(name));
    if (value->type != RegType::Dword) throw StoreError(InvalidDataType(name));
    return static_cast<std::int32_t>(value->dword);
}

void RegistryAccessor::WriteString(const std::string& name, const std::string& text) {
    if (key_ == kNoKey || !backend_.SetString(key_, name, text)) throw StoreError(FailedToSetData(name));
}

void RegistryAccessor::WriteInteger(const std::string& name, std::int32_t value) {
    if (key_ == kNoKey || !backend_.SetDword(key_, name, static_cast<std::uint32_t>(value)))
        throw StoreError(FailedToSetData(name));
}

bool RegistryAccessor::DeleteValue(const std::string& name) {
    return key_ != kNoKey && backend_.Delete(key_, name);
}

std::optional<RegValue> RegistryAccessor::Query(const std::string& name) {
    return key_ != kNoKey ? backend_.Query(key_, name) : std::nullopt;
}

void RegistryAccessor::Put(const std::string& name, const std::optional<RegValue>& value) {
    if (!value)
        DeleteValue(name);
    else if (value->type == RegType::Dword)
        WriteInteger(name, static_cast<std::int32_t>(value->dword));
    else if (value->type != RegType::Other)
        WriteString(name, value->text);
}

std::vector<std::string> RegistryAccessor::Names() {
    return key_ != kNoKey ? backend_.Names(key_) : std::vector<std::string>{};
}
