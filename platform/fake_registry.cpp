#include "platform/fake_registry.h"

#include <cctype>

std::string FakeRegistry::Fold(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string FakeRegistry::KeyId(RegRoot root, const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.front() == '\\') p.erase(0, 1);
    return (root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + Fold(p);
}

FakeRegistry::Key* FakeRegistry::Find(RegKey key) {
    auto it = open_.find(key);
    if (it == open_.end()) return nullptr;
    auto k = keys_.find(it->second.id);
    return k == keys_.end() ? nullptr : &k->second;
}

void FakeRegistry::Wrote() {
    ++writes;
    if (writesLeft > 0) --writesLeft;
}

bool FakeRegistry::FailsNow() {
    if (failsAfter < 0) return false;
    return failsAfter-- == 0;
}

bool FakeRegistry::MayChange() {
    if (diesAfter == 0) throw Died{};
    if (diesAfter > 0) --diesAfter;
    return true;
}

RegKey FakeRegistry::Open(RegRoot root, const std::string& path, bool create) {
    // As the real registry, a path below a root never begins with a backslash.
    if (denyOpen || (!path.empty() && path.front() == '\\')) return kNoKey;
    std::string id = KeyId(root, path);
    if (!keys_.count(id)) {
        if (!create) return kNoKey;
        MayChange();
        keys_[id];
    }
    RegKey handle = next_++;
    open_[handle] = {id, readOnlyKeys};
    return handle;
}

void FakeRegistry::Close(RegKey key) { open_.erase(key); }

bool FakeRegistry::ReadOnly(RegKey key) const {
    auto it = open_.find(key);
    return it != open_.end() && it->second.readOnly;
}

std::optional<std::uint32_t> FakeRegistry::ValueCount(RegKey key) {
    ++valueCounts;
    Key* k = Find(key);
    if (!k || denyValueCount) return std::nullopt;
    return static_cast<std::uint32_t>(k->values.size());
}

std::optional<RegValue> FakeRegistry::Query(RegKey key, const std::string& name) {
    ++queries;
    Key* k = Find(key);
    if (!k) return std::nullopt;
    auto it = k->values.find(Fold(name));
    if (it == k->values.end()) return std::nullopt;
    return it->second.second;
}

bool FakeRegistry::SetString(RegKey key, const std::string& name, const std::string& text) {
    Key* k = Find(key);
    if (!Writable(k) || ReadOnly(key)) return false;
    MayChange();
    k->values[Fold(name)] = {name, StringValue(text)};
    Wrote();
    return true;
}

bool FakeRegistry::SetDword(RegKey key, const std::string& name, std::uint32_t value) {
    Key* k = Find(key);
    if (!Writable(k) || ReadOnly(key)) return false;
    MayChange();
    k->values[Fold(name)] = {name, DwordValue(value)};
    Wrote();
    return true;
}

bool FakeRegistry::Delete(RegKey key, const std::string& name) {
    Key* k = Find(key);
    if (!Writable(k) || ReadOnly(key)) return false;
    if (!k->values.count(Fold(name))) return false;
    MayChange();
    k->values.erase(Fold(name));
    Wrote();
    return true;
}

void FakeRegistry::Put(RegRoot root, const std::string& path, const std::string& name, RegValue value) {
    keys_[KeyId(root, path)].values[Fold(name)] = {name, value};
}

std::optional<RegValue> FakeRegistry::Get(RegRoot root, const std::string& path, const std::string& name) const {
    auto k = keys_.find(KeyId(root, path));
    if (k == keys_.end()) return std::nullopt;
    auto it = k->second.values.find(Fold(name));
    if (it == k->second.values.end()) return std::nullopt;
    return it->second.second;
}

bool FakeRegistry::KeyExists(RegRoot root, const std::string& path) const {
    return keys_.count(KeyId(root, path)) != 0;
}

std::vector<std::string> FakeRegistry::ValueNames(RegRoot root, const std::string& path) const {
    std::vector<std::string> names;
    auto k = keys_.find(KeyId(root, path));
    if (k == keys_.end()) return names;
    for (const auto& [folded, entry] : k->second.values) names.push_back(entry.first);
    return names;
}

std::vector<std::string> FakeRegistry::Names(RegKey key) {
    std::vector<std::string> names;
    if (Key* k = Find(key))
        for (const auto& [folded, entry] : k->values) names.push_back(entry.first);
    return names;
}

bool FakeRegistry::RenameKey(RegRoot root, const std::string& path, const std::string& newName) {
    const std::string from = KeyId(root, path);
    const size_t slash = from.rfind('\\');
    const std::string to = from.substr(0, slash + 1) + Fold(newName);
    if (denyWrite || writesLeft == 0 || !keys_.count(from) || keys_.count(to) || FailsNow()) return false;
    MayChange();
    keys_[to] = std::move(keys_[from]);
    keys_.erase(from);
    for (auto& [handle, open] : open_)
        if (open.id == from) open.id = to;  // an open handle follows its key, as in the registry
    Wrote();
    return true;
}

bool FakeRegistry::DeleteKey(RegRoot root, const std::string& path) {
    const std::string id = KeyId(root, path);
    if (denyWrite || writesLeft == 0 || !keys_.count(id) || FailsNow()) return false;
    MayChange();
    keys_.erase(id);
    Wrote();
    return true;
}
