#include "platform/file_system.h"

#include <string_view>

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c; }

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

ChildCheck CheckChild(const HandleFacts& held, const std::u16string& name, const HandleFacts& child) {
    if (child.link) return ChildCheck::Link;
    if (child.volume != held.volume) return ChildCheck::OtherVolume;
    if (name.empty() || name.find_first_of(u"\\/:") != std::u16string::npos) return ChildCheck::Elsewhere;
    if (held.path.empty() || child.path.empty()) return ChildCheck::Safe;
    std::u16string_view parent = held.path;
    if (!parent.empty() && parent.back() == u'\\') parent.remove_suffix(1);  // a drive's root
    const std::u16string_view path = child.path;
    // Names compare as the volume keeps them; only the case of ASCII letters
    // may differ between a listed name and the one a handle reports.
    return path.size() == parent.size() + 1 + name.size() && path.substr(0, parent.size()) == parent &&
                   path[parent.size()] == u'\\' && EqualIgnoringAsciiCase(path.substr(parent.size() + 1), name)
               ? ChildCheck::Safe
               : ChildCheck::Elsewhere;
}

FolderTrust JudgeFolder(const std::string& owner, const std::optional<std::vector<AccessEntry>>& access,
                        const std::vector<std::string>& trusted) {
    auto isTrusted = [&](const std::string& sid) {
        for (const std::string& one : trusted) {
            if (one == sid) return true;
        }
        return false;
    };
    if (!isTrusted(owner)) return FolderTrust::ForeignOwner;
    if (!access) return FolderTrust::OthersMayChange;
    for (const AccessEntry& entry : *access) {
        if (entry.allows && (entry.rights & kChangeRights) && !isTrusted(entry.sid)) return FolderTrust::OthersMayChange;
    }
    return FolderTrust::Trusted;
}

std::unique_ptr<HeldFolder> FileSystem::HoldTargetRoot(const std::string& path, bool& link) {
    link = false;
    const std::optional<FileEntry> there = Stat(path);
    if (!there || !there->directory) return nullptr;
    return std::make_unique<HeldFolder>(path);
}

std::unique_ptr<HeldFolder> FileSystem::HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) {
    const std::string path = parent.path + "\\" + name;
    if (make) MakeFolder(path);
    const std::optional<FileEntry> there = Stat(path);
    if (!there || !there->directory) return nullptr;
    return std::make_unique<HeldFolder>(path);
}

bool FileSystem::ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries) {
    return ListFolder(folder.path, entries);
}

bool FileSystem::CopyInto(const std::string& from, HeldFolder& folder, const std::string& name) {
    return CopyNew(from, folder.path + "\\" + name);
}

bool FileSystem::RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace) {
    return Rename(folder.path + "\\" + from, folder.path + "\\" + to, replace);
}

bool FileSystem::RemoveIn(HeldFolder& folder, const std::string& name) { return Remove(folder.path + "\\" + name); }
