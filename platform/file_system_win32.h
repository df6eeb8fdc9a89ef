// The file-system seam on Windows: the wide API, paths converted from the
// engine's UTF-8 and made absolute with the "\\?\" (or "\\?\UNC\") prefix, so
// that paths longer than MAX_PATH work. Names compare without case.
#pragma once

#include "platform/file_system.h"
#include "platform/listing_fallback.h"

#include <windows.h>

// The form the wide API gets a path in: "C:\a" becomes "\\?\C:\a",
// "\\server\share\a" "\\?\UNC\server\share\a", "D:" "\\?\D:\".
std::wstring LongPath(std::wstring path);
// A path of the engine's, and back.
std::wstring WideFromUtf8(const std::string& path);
std::string Utf8FromWide(const std::wstring& path);

// Opens `name` (one name, no folder part) in the folder held by `parent`,
// through NtCreateFile with `parent` as the root directory: the name is
// looked up in that folder and nowhere else, and, with `options` holding
// kOpenReparsePoint, a link there is opened as itself. INVALID_HANDLE_VALUE
// when it fails, the Win32 error set.
inline constexpr ULONG kNtOpen = 1, kNtCreate = 2, kNtOpenIf = 3;                      // dispositions
inline constexpr ULONG kFolderOnly = 0x1, kFileOnly = 0x40, kOpenReparsePoint = 0x200000;  // options
HANDLE OpenRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                    ULONG options);
// Renames the open file `file` to the name `to` in the folder held by
// `folder`, through the handles alone; false with the Win32 error set.
bool RenameRelative(HANDLE file, HANDLE folder, const std::wstring& to, bool replace);
// What an open handle says of itself; none when it cannot be asked.
std::optional<HandleFacts> FactsOf(HANDLE handle);

class Win32FileSystem : public FileSystem {
public:
    std::string PathFromText(const std::string& gbk) override;  // code page 936
    std::string TextFromPath(const std::string& path) override;
    std::string LastErrorText() override;  // the system's message for GetLastError()
    bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
    std::optional<FileEntry> Stat(const std::string& path) override;
    // Volume serial number and file index of the folder's handle.
    std::optional<FolderId> Identify(const std::string& folder) override;
    bool CoarseTimes(const std::string& folder) override;  // "FAT", "FAT32", "exFAT"
    bool MakeFolder(const std::string& path) override;
    bool CopyNew(const std::string& from, const std::string& to) override;
    // A replacing rename flushes the new file first and writes through; a
    // read-only file in its way is made writable, and read-only again when
    // the rename fails all the same.
    bool Rename(const std::string& from, const std::string& to, bool replace) override;
    bool Remove(const std::string& path) override;  // read-only files too
    // The target side through handles: each folder and file opened by name
    // relative to its held folder (OpenRelative), checked with CheckChild,
    // renamed and removed through its own handle.
    std::unique_ptr<HeldFolder> HoldTargetRoot(const std::string& path, bool& link) override;
    std::unique_ptr<HeldFolder> HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) override;
    bool ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries) override;
    bool CopyInto(const std::string& from, HeldFolder& folder, const std::string& name) override;
    bool RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace) override;
    bool RemoveIn(HeldFolder& folder, const std::string& name) override;
    LocalTime LocalTimeOf(FileTime time) override;  // FileTime is a FILETIME
    bool IgnoresCase() override { return true; }
    std::uint32_t ProcessId() override;
    bool ProcessRunning(std::uint32_t id) override;

private:
    ListingFallback listing_;
};
