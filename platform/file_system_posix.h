// The file-system seam on POSIX, for the native tests and benchmarks. The
// engine's paths are Windows-style; here every "\" stands for "/", so
// "\tmp\x" is /tmp/x and the empty path is the root. Names are the bytes on
// disk, UTF-8 as a rule; a name with a real "\" in it cannot be reached.
#pragma once

#include "platform/file_system.h"

std::string PosixPath(const std::string& path);
// The engine's form of a POSIX path: "/" becomes "\".
std::string EnginePath(const std::string& posixPath);

class PosixFileSystem : public FileSystem {
public:
    std::string PathFromText(const std::string& gbk) override;  // iconv
    std::string TextFromPath(const std::string& path) override;  // iconv
    std::string LastErrorText() override;                         // strerror of errno
    bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
    std::optional<FileEntry> Stat(const std::string& path) override;
    std::optional<FolderId> Identify(const std::string& folder) override;  // device and inode
    bool CoarseTimes(const std::string& folder) override;                  // vfat and exfat
    bool MakeFolder(const std::string& path) override;
    // copy_file_range where the kernel can, else reads and writes; the last
    // access and last write times are carried over, and the mode bits.
    bool CopyNew(const std::string& from, const std::string& to) override;
    bool Rename(const std::string& from, const std::string& to, bool replace) override;
    bool Remove(const std::string& path) override;
    // The target side through descriptors: openat with O_NOFOLLOW, mkdirat,
    // renameat2, unlinkat, all relative to the held folder's descriptor.
    std::unique_ptr<HeldFolder> HoldTargetRoot(const std::string& path, bool& link) override;
    std::unique_ptr<HeldFolder> HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) override;
    bool ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries) override;
    bool CopyInto(const std::string& from, HeldFolder& folder, const std::string& name) override;
    bool RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace) override;
    bool RemoveIn(HeldFolder& folder, const std::string& name) override;
    LocalTime LocalTimeOf(FileTime time) override;  // localtime_r; FileTime counts from 1970
    bool IgnoresCase() override { return false; }
    std::uint32_t ProcessId() override;
    bool ProcessRunning(std::uint32_t id) override;
};
