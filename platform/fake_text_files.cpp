#include "platform/fake_text_files.h"

std::optional<std::string> FakeTextFiles::ReadWholeFile(const std::string& path) {
    auto it = files.find(path);
    if (denyRead || it == files.end()) return std::nullopt;
    return it->second;
}

CreateResult FakeTextFiles::CreateNewFile(const std::string& path, const std::string& bytes) {
    if (files.count(path)) return CreateResult::AlreadyExists;
    if (denyCreate) return CreateResult::Failed;
    if (writeLimit >= 0 && static_cast<unsigned long>(writeLimit) < bytes.size()) {
        files[path] = bytes.substr(0, static_cast<size_t>(writeLimit));
        return CreateResult::Failed;
    }
    files[path] = bytes;
    return CreateResult::Written;
}

bool FakeTextFiles::MoveReplacing(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (denyMove || it == files.end()) return false;
    std::string content = std::move(it->second);
    files.erase(it);
    files[to] = std::move(content);
    return true;
}

bool FakeTextFiles::RemoveFile(const std::string& path) { return files.erase(path) != 0; }
