// The file-system seam on Windows: the wide API, paths converted from GBK and
// made absolute with the "\\?\" (or "\\?\UNC\") prefix, so that paths longer
// than MAX_PATH work. Names compare without case.
#pragma once

#include "platform/file_system.h"

// The form the wide API gets a path in: "C:\a" becomes "\\?\C:\a",
// "\\server\share\a" "\\?\UNC\server\share\a", "D:" "\\?\D:\".
std::wstring LongPath(const std::string& path);

class Win32FileSystem : public FileSystem {
public:
    bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
    std::optional<FileEntry> Stat(const std::string& path) override;
    bool MakeFolder(const std::string& path) override;
    bool CopyNew(const std::string& from, const std::string& to) override;
    // A read-only file in the way of a replacing rename is made writable first.
    bool Rename(const std::string& from, const std::string& to, bool replace) override;
    bool Remove(const std::string& path) override;  // read-only files too
    LocalTime LocalTimeOf(FileTime time) override;  // FileTime is a FILETIME
    bool IgnoresCase() override { return true; }
    std::uint32_t ProcessId() override;
    bool ProcessRunning(std::uint32_t id) override;
};
