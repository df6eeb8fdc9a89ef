// The file system as the backup engine sees it. Paths are GBK texts written
// the Windows way, names joined by "\" (a GBK trail byte 0x5C inside a name
// is no separator), folders without a trailing "\"; a drive alone ("D:")
// names its root. Adapters hold no state of their own, so one object serves
// any number of threads at once.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A last-write time in the adapter's own units: compared for equality and
// handed back to the same adapter, nothing else.
using FileTime = std::int64_t;

struct FileEntry {
    std::string name;      // no folder part
    bool directory = false;
    bool link = false;     // a symbolic link or junction; a folder behind one is not walked
    std::uint64_t size = 0;
    FileTime lastWrite = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The files and folders in `folder`, hidden and system ones included,
    // "." and ".." left out, in one pass. False when it cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) = 0;
    // What a listing would say of the file or folder at `path` (its name left
    // empty); none when there is nothing there.
    virtual std::optional<FileEntry> Stat(const std::string& path) = 0;
    // Makes one folder whose parent exists; true when it is a folder afterwards.
    virtual bool MakeFolder(const std::string& path) = 0;
    // Copies a file's content, attributes and last-write time to `to`, which
    // must not exist yet. A failed copy may leave part of `to` behind.
    virtual bool CopyNew(const std::string& from, const std::string& to) = 0;
    // Renames a file in one step; without `replace` it fails when `to` exists.
    virtual bool Rename(const std::string& from, const std::string& to, bool replace) = 0;
    virtual bool Remove(const std::string& path) = 0;
    virtual LocalTime LocalTimeOf(FileTime time) = 0;
    // Whether names differing only in the case of ASCII letters are one name.
    virtual bool IgnoresCase() = 0;
    // The two questions that tell a temporary file being written from one
    // that a run left behind: who we are, and whether another process lives.
    virtual std::uint32_t ProcessId() = 0;
    virtual bool ProcessRunning(std::uint32_t id) = 0;
};
