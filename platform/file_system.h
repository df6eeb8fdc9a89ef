// The file system as the backup engine sees it. Paths are written the Windows
// way, names joined by "\", folders without a trailing "\"; a drive alone
// ("D:") names its root. They are UTF-8, not the program's GBK: a name found
// on disk may hold any character (Korean, emoji), and it must reach the copy
// and the rename unchanged. Only the two roots of a task come from its stored
// GBK text, through PathFromText. Adapters hold no state of their own that
// could clash between threads, so one object serves any number of them.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A last-write time in 100-ns units from an epoch of the adapter's own.
using FileTime = std::int64_t;
inline constexpr FileTime kFileTimeSecond = 10000000;

struct FileEntry {
    std::string name;      // no folder part
    bool directory = false;
    bool link = false;     // a symbolic link or junction; a folder behind one is not walked
    std::uint64_t size = 0;
    FileTime lastWrite = 0;
};

// What makes a folder the same folder whatever path reaches it: another
// case, a short 8.3 name, a "\\?\" prefix or a link on the way.
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FolderId&) const = default;
};

// What an opened handle says of itself: asked of the handle, never of a
// path, which a standard user may have swapped since.
struct HandleFacts {
    bool folder = false;
    bool link = false;         // any reparse point: a junction, a symbolic link, a mount point
    std::uint64_t volume = 0;  // the volume's serial number
    std::uint32_t names = 1;   // hard links: names the file has in all
    std::u16string path;       // the handle's full final path; empty when it cannot be told
};

enum class ChildCheck { Safe, Link, OtherVolume, Elsewhere };
// Whether an entry opened relative to a held folder by `name` is what the
// listing showed there: no reparse point, on the held folder's volume, and
// (where both paths can be told) named by the held folder's path and that
// name alone. Nothing is deleted or written through a handle that is not Safe.
ChildCheck CheckChild(const HandleFacts& held, const std::u16string& name, const HandleFacts& child);

// A folder of a backup's target, held open while a run works in it. Its path
// names it in failures, and is what the fallbacks below go by.
struct HeldFolder {
    explicit HeldFolder(std::string folderPath) : path(std::move(folderPath)) {}
    virtual ~HeldFolder() = default;
    const std::string path;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // A path of the engine's from a stored GBK text.
    virtual std::string PathFromText(const std::string& gbk) = 0;
    // And back, for the run log: a character GBK cannot hold becomes "?".
    virtual std::string TextFromPath(const std::string& path) = 0;
    // Why the last call of this thread that failed did, in the user's
    // language, as GBK text; asked right after that call.
    virtual std::string LastErrorText() = 0;
    // The files and folders in `folder`, hidden and system ones included,
    // "." and ".." left out, in one pass. False when it cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) = 0;
    // What a listing would say of the file or folder at `path` (its name left
    // empty); none when there is nothing there.
    virtual std::optional<FileEntry> Stat(const std::string& path) = 0;
    // The folder at `path`, links on the way followed; none when it is no folder.
    virtual std::optional<FolderId> Identify(const std::string& folder) = 0;
    // Whether the volume of `folder` keeps last-write times in 2-second
    // steps (FAT and exFAT).
    virtual bool CoarseTimes(const std::string& folder) = 0;
    // Makes one folder whose parent exists; true when it is a folder afterwards.
    virtual bool MakeFolder(const std::string& path) = 0;
    // Copies a file's content, attributes and last-write time to `to`, which
    // must not exist yet. A failed copy may leave part of `to` behind.
    virtual bool CopyNew(const std::string& from, const std::string& to) = 0;
    // Renames a file in one step; without `replace` it fails when `to` exists.
    // A replacing rename puts the new file on disk before the old one goes,
    // and leaves the old one as it was when it fails.
    virtual bool Rename(const std::string& from, const std::string& to, bool replace) = 0;
    virtual bool Remove(const std::string& path) = 0;

    // The target side, walked by handle from its root. The adapters open
    // the root once, each folder below it by name relative to its held
    // parent, and create, rename and remove files relative to the held
    // folder, so that no junction swapped in on the way is ever entered or
    // written through. The fallbacks here go by path: they serve fakes alone.
    //
    // The folder at `path`; none when there is none, or it is a link, which
    // sets `link`.
    virtual std::unique_ptr<HeldFolder> HoldTargetRoot(const std::string& path, bool& link);
    // The subfolder `name` of `parent`, made first when missing and `make`;
    // none when it is a link, a file, or not where its name says.
    virtual std::unique_ptr<HeldFolder> HoldSubfolder(HeldFolder& parent, const std::string& name, bool make);
    virtual bool ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries);
    // As CopyNew, to the new file `name` in `folder`.
    virtual bool CopyInto(const std::string& from, HeldFolder& folder, const std::string& name);
    // As Rename, from one name in `folder` to another; a file in the way
    // with a second name is never made writable.
    virtual bool RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace);
    virtual bool RemoveIn(HeldFolder& folder, const std::string& name);
    // The local time of a moment by the rules of the time zone in force at
    // that moment (summer time or not), whatever they are today.
    virtual LocalTime LocalTimeOf(FileTime time) = 0;
    // Whether names differing only in the case of ASCII letters are one name.
    virtual bool IgnoresCase() = 0;
    // The two questions that tell a temporary file being written from one
    // that a run left behind: who we are, and whether another process lives.
    virtual std::uint32_t ProcessId() = 0;
    virtual bool ProcessRunning(std::uint32_t id) = 0;
};

// One entry of an access list: the account's SID in its string form
// ("S-1-5-32-545"), whether it allows or denies, and the rights it names.
struct AccessEntry {
    std::string sid;
    bool allows = true;
    std::uint32_t rights = 0;
};
// The rights that change a folder or what is in it: making files and
// folders in it, writing, deleting, and changing its rights or owner.
inline constexpr std::uint32_t kChangeRights =
    0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;
enum class FolderTrust { Trusted, OthersMayChange, ForeignOwner };
// What the program may make of a folder it writes to as administrator: it
// must be owned by one of `trusted`, and its access list (none at all lets
// everyone in) must allow no one else a right of kChangeRights.
FolderTrust JudgeFolder(const std::string& owner, const std::optional<std::vector<AccessEntry>>& access,
                        const std::vector<std::string>& trusted);
