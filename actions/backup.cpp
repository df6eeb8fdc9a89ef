#include "actions/backup.h"


#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

std::string BackupStamp(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4d%.2d%.2d%.2d%.2d%.2d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

namespace {

size_t ExtensionStart(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name.size() : dot;
}

// Offset just past the last "\", or 0 when there is none. The engine's paths
// are UTF-8, in which no byte of a character is 0x5C.
size_t AfterLastSeparator(const std::string& path) {
    size_t separator = path.rfind('\\');
    return separator == std::string::npos ? 0 : separator + 1;
}

// "D:\" becomes "D:" and "C:\data\" becomes "C:\data": a folder in the form
// that names are joined to with "\".
std::string WithoutTrailingSeparators(std::string path) {
    while (!path.empty() && AfterLastSeparator(path) == path.size()) path.pop_back();
    return path;
}

bool ForceDirectories(FileSystem& fs, const std::string& path) {
    if (std::optional<FileEntry> there = fs.Stat(path)) return there->directory;
    size_t cut = AfterLastSeparator(path);
    if (cut > 0) ForceDirectories(fs, path.substr(0, cut - 1));  // failing, it makes the next step fail
    return fs.MakeFolder(path);
}

std::uint32_t NameHash(const std::string& key) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

std::string TempName(std::uint32_t hash, unsigned long processId, unsigned long long serial) {
    char text[80];
    std::snprintf(text, sizeof text, "~tempiro-%08x-%lu-%llu.tmp", hash, processId, serial);
    return text;
}

struct TempOwner {
    std::uint32_t fileHash;
    std::uint32_t processId;
    std::string name;
};

// Only a name exactly as TempName writes it counts: a user's own file that
// merely looks alike is never taken for a leftover.
std::optional<TempOwner> ParseTempName(const std::string& name) {
    unsigned hash;
    unsigned long processId;
    unsigned long long serial;
    if (std::sscanf(name.c_str(), "~tempiro-%8x-%lu-%llu.tmp", &hash, &processId, &serial) != 3) return {};
    if (processId > UINT32_MAX || TempName(hash, processId, serial) != name) return {};
    return TempOwner{hash, static_cast<std::uint32_t>(processId), name};
}

// The temporary files this process is writing at the moment, by name (the
// serial in them makes names unique within the process). A run tells a
// leftover from a copy in progress this way: a temporary file of this
// process that is not in the set, or of a process that no longer runs, is
// left over; one of another running process is left alone, even if that id
// has been reused. Never destroyed: detached workers may outlive static
// destruction.
class Writing {
public:
    static Writing& Now() {
        static Writing* const writing = new Writing;
        return *writing;
    }
    std::string Begin(std::uint32_t hash, std::uint32_t processId) {
        std::string name = TempName(hash, processId, ++serial_);
        std::lock_guard<std::mutex> lock(mutex_);
        names_.insert(name);
        return name;
    }
    void End(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        names_.erase(name);
    }
    bool Contains(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        return names_.count(name) != 0;
    }

private:
    std::atomic<unsigned long long> serial_{};
    std::mutex mutex_;
    std::unordered_set<std::string> names_;
};

// Registers a temporary name for as long as its copy is being written.
class WritingTemp {
public:
    WritingTemp(std::uint32_t hash, std::uint32_t processId) : name(Writing::Now().Begin(hash, processId)) {}
    ~WritingTemp() { Writing::Now().End(name); }
    WritingTemp(const WritingTemp&) = delete;
    WritingTemp& operator=(const WritingTemp&) = delete;
    const std::string name;
};

// A destination folder as listed once in a run, with what the run added.
struct DestFolder {
    bool usable{};
    HeldFolder* held = nullptr;  // while the run works in it
    std::string error;  // why it is not, in the system's words
    std::map<std::string, FileTime> entries;                        // last-write times by name key, sorted
    std::unordered_set<std::string> notFiles;                       // keys of folders and links: never pruned
    std::unordered_multimap<std::uint32_t, TempOwner> leftovers;  // temporary files by file-name hash
};

constexpr char kTargetIsLink[] = "目标文件夹是链接，未写入";

// The target's folders, held along the path to the one being worked in: the
// root opened once, each folder below it entered from the one before, so
// that a folder swapped for a junction is never entered, even half-way.
class TargetWalk {
public:
    TargetWalk(FileSystem& fs, const std::string& root) : fs_(fs) {
        bool link = false;
        root_ = fs.HoldTargetRoot(root, link);
        if (!root_) rootError_ = link ? std::string(kTargetIsLink) : fs.LastErrorText();
    }
    const std::string& RootError() const { return rootError_; }

    // The folder at `relative` ("" for the root, else "\a\b"), made on the way
    // when missing and `make`; none where that fails.
    HeldFolder* Enter(const std::string& relative, bool make) {
        if (!root_) return nullptr;
        std::vector<std::string> names;
        for (size_t start = 1; start <= relative.size();) {
            const size_t end = std::min(relative.find('\\', start), relative.size());
            names.push_back(relative.substr(start, end - start));
            start = end + 1;
        }
        size_t keep = 0;
        while (keep < held_.size() && keep < names.size() && held_[keep].first == names[keep]) ++keep;
        while (held_.size() > keep) held_.pop_back();  // let go from the innermost out
        HeldFolder* folder = held_.empty() ? root_.get() : held_.back().second.get();
        for (size_t i = keep; i < names.size(); ++i) {
            std::unique_ptr<HeldFolder> child = fs_.HoldSubfolder(*folder, names[i], make);
            if (!child) return nullptr;
            folder = child.get();
            held_.emplace_back(names[i], std::move(child));
        }
        return folder;
    }

private:
    FileSystem& fs_;
    std::unique_ptr<HeldFolder> root_;
    std::string rootError_;
    std::vector<std::pair<std::string, std::unique_ptr<HeldFolder>>> held_;
};

// All files below a source folder, depth first, grouped by folder: the list
// is complete before anything is copied.
struct SourceFolder {
    std::string relative;  // "" for the source itself, else "\a\b"
    std::vector<FileEntry> files;
};

// Keeps a run out of its own copies: the source's folder that is the target
// (a target inside its source) is not walked, nor the one whose copies would
// land in the source itself (a source inside its target). Folders compare by
// identity, so another case, a short name, a "\\?\" prefix or a link on the
// way changes nothing.
class Fence {
public:
    Fence(FileSystem& fs, const std::string& source, const std::string& target)
        : fs_(fs), source_(source), target_(target), sourceId_(fs.Identify(source)), targetId_(fs.Identify(target)) {}

    bool Allows(const std::string& relative) const {
        if (!sourceId_ || !targetId_) return true;  // no target, nothing copied anyway
        const std::optional<FolderId> walked = relative.empty() ? sourceId_ : fs_.Identify(source_ + relative);
        return walked != targetId_ && fs_.Identify(target_ + relative) != sourceId_;
    }

private:
    FileSystem& fs_;
    const std::string& source_;
    const std::string& target_;
    const std::optional<FolderId> sourceId_;
    const std::optional<FolderId> targetId_;
};

// `unlisted` hears of each folder that could not be listed, by its path
// relative to the root ("" for the root), right after the listing failed.
std::vector<SourceFolder> ListSourceTree(FileSystem& fs, const std::string& root, const Fence& fence,
                                         const std::function<void(const std::string&)>& unlisted) {
    std::vector<SourceFolder> tree;
    std::vector<std::string> pending;
    if (fence.Allows("")) pending.emplace_back();
    while (!pending.empty()) {
        SourceFolder folder{std::move(pending.back()), {}};
        pending.pop_back();
        std::vector<FileEntry> entries;
        if (!fs.ListFolder(root + folder.relative, entries)) {
            unlisted(folder.relative);
            continue;
        }
        size_t firstSubfolder = pending.size();
        for (FileEntry& entry : entries) {
            if (!entry.directory) {
                folder.files.push_back(std::move(entry));
            } else if (!entry.link) {
                std::string relative = folder.relative + "\\" + entry.name;
                if (fence.Allows(relative)) pending.push_back(std::move(relative));
            }
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstSubfolder), pending.end());
        if (!folder.files.empty()) tree.push_back(std::move(folder));
    }
    return tree;
}

// One run, counting into `tally` as it goes: what it copied, what was
// current, and what failed, the first few failures with their names (relative
// to a source folder) and the system's words.
class BackupRun {
public:
    BackupRun(FileSystem& fs, bool keepVersions, bool coarseTimes, BackupTally& tally, BackupActivity* activity,
              std::int32_t versionsKept)
        : fs_(fs), keepVersions_(keepVersions), coarseTimes_(coarseTimes), ignoresCase_(fs.IgnoresCase()),
          self_(fs.ProcessId()), tally_(tally), activity_(activity), versionsKept_(versionsKept) {}
    // Files found and not gone through stop counting, however the run ends.
    ~BackupRun() { Done(pending_); }

    void BackUpFile(const std::string& source, const std::string& target) {
        std::optional<FileEntry> file = fs_.Stat(source);
        if (!file || file->directory) {
            static const std::string kNoFile = "不是文件";
            Failed(source, file ? &kNoFile : nullptr);
            return;
        }
        file->name = source.substr(AfterLastSeparator(source));
        Found(1);
        walk_.emplace(fs_, target);
        DestFolder& folder = Destination("", false);
        if (folder.usable)
            BackUp(source, *file, "", folder);
        else
            Failed(file->name, &folder.error);
        Done(1);
    }

    void BackUpFolder(const std::string& source, const std::string& target) {
        const Fence fence(fs_, source, target);
        auto unlisted = [&](const std::string& relative) { Failed(relative.empty() ? source : relative.substr(1)); };
        const std::vector<SourceFolder> tree = ListSourceTree(fs_, source, fence, unlisted);
        for (const SourceFolder& group : tree) Found(static_cast<std::int64_t>(group.files.size()));
        walk_.emplace(fs_, target);
        for (const SourceFolder& group : tree) {
            DestFolder& folder = Destination(group.relative, true);
            for (const FileEntry& file : group.files) {
                if (folder.usable)
                    BackUp(source + group.relative + "\\" + file.name, file, group.relative, folder);
                else
                    Failed(Shown(group.relative, file.name), &folder.error);
                Done(1);
            }
        }
    }

private:
    void Found(std::int64_t count) {
        pending_ += count;
        if (activity_) activity_->FilesFound(count);
    }
    void Done(std::int64_t count) {
        pending_ -= count;
        if (activity_) activity_->FilesDone(count);
    }

    // Names that differ only in the case of ASCII letters are one name to
    // Windows.
    std::string Key(std::string name) const {
        if (!ignoresCase_) return name;
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return name;
    }

    // The folder at `relative` below the target, held while the run works in it.
    DestFolder& Destination(const std::string& relative, bool create) {
        auto [it, added] = folders_.try_emplace(Key(relative));
        DestFolder& folder = it->second;
        folder.held = walk_->Enter(relative, create);
        if (!added) {
            folder.usable = folder.usable && folder.held;
            return folder;
        }
        std::vector<FileEntry> entries;
        folder.usable = folder.held && fs_.ListHeld(*folder.held, entries);
        if (!folder.usable) folder.error = walk_->RootError().empty() ? fs_.LastErrorText() : walk_->RootError();
        for (FileEntry& entry : entries) {
            if (std::optional<TempOwner> owner = ParseTempName(entry.name)) {
                folder.leftovers.emplace(owner->fileHash, std::move(*owner));
            } else {
                folder.entries.emplace(Key(entry.name), entry.lastWrite);
                if (entry.directory || entry.link) folder.notFiles.insert(Key(entry.name));
            }
        }
        return folder;
    }

    // A file's name as a failure shows it: below the source folder, or alone.
    static std::string Shown(const std::string& relative, const std::string& name) {
        return relative.empty() ? name : relative.substr(1) + "\\" + name;
    }

    // Counts a failure; the first few keep their name and why, which is
    // `error` or else the system's text of the call that just failed.
    void Failed(const std::string& path, const std::string* error = nullptr) {
        ++tally_.failed;
        if (tally_.failures.size() >= kRunLogFailuresShown) return;
        std::string why = error ? *error : fs_.LastErrorText();
        tally_.failures.push_back({fs_.TextFromPath(path), std::move(why)});
    }

    void BackUp(const std::string& from, const FileEntry& file, const std::string& relative, DestFolder& folder) {
        const std::string key = Key(file.name);
        const std::uint32_t hash = NameHash(key);
        RemoveLeftovers(folder, hash);
        std::string finalName, stamp;
        if (keepVersions_) {
            stamp = BackupStamp(fs_.LocalTimeOf(file.lastWrite));
            if (!HasVersion(folder, key, stamp)) finalName = VersionName(file.name, stamp);
        } else {
            auto copy = folder.entries.find(key);
            // A folder of that name makes the rename fail: nothing is copied then.
            if (copy == folder.entries.end() || Differs(copy->second, file.lastWrite)) finalName = file.name;
        }
        if (finalName.empty()) {
            ++tally_.current;
        } else if (std::optional<std::string> error = Place(from, file, finalName, hash, folder)) {
            Failed(Shown(relative, file.name), &*error);
        } else {
            ++tally_.copied;
        }
        if (keepVersions_ && versionsKept_ > 0) Prune(folder, key, Key(VersionName(key, stamp)));
    }

    // Removes all but the newest versionsKept_ versions of the file `key`:
    // the files named base + "_" + 14 digits + extension, whose names sort
    // as their stamps do. The version of the source as it is now always
    // stays, even when its stamp is older than the others (a file restored
    // from an old copy).
    void Prune(DestFolder& folder, const std::string& key, const std::string& current) {
        const size_t dot = ExtensionStart(key);
        const std::string prefix = key.substr(0, dot) + "_";
        const std::string extension = key.substr(dot);
        const size_t length = prefix.size() + 14 + extension.size();
        std::vector<std::map<std::string, FileTime>::iterator> versions;
        for (auto it = folder.entries.lower_bound(prefix);
             it != folder.entries.end() && std::string_view(it->first).starts_with(prefix); ++it) {
            const std::string_view name = it->first;
            const std::string_view stamp = name.substr(prefix.size(), 14);
            if (name.size() == length && name.ends_with(extension) &&
                std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                !folder.notFiles.count(it->first) && it->first != current)
                versions.push_back(it);
        }
        const size_t kept = static_cast<size_t>(versionsKept_) - (folder.entries.count(current) ? 1 : 0);
        for (size_t i = 0; i + kept < versions.size(); ++i) {
            if (fs_.RemoveIn(*folder.held, versions[i]->first)) {
                ++tally_.removed;
                folder.entries.erase(versions[i]);
            }
        }
    }

    // Whether two last-write times fall in different seconds, either way round.
    // FAT keeps times in 2-second steps: with it on either side, times up to 2
    // seconds apart are one time, or every odd second would be copied again.
    bool Differs(FileTime a, FileTime b) {
        if (coarseTimes_ && (a > b ? a - b : b - a) <= 2 * kFileTimeSecond) return false;
        return a != b && BackupStamp(fs_.LocalTimeOf(a)) != BackupStamp(fs_.LocalTimeOf(b));
    }

    // A name base + "_*" + extension whose own base ends in the stamp (so is
    // 14 characters long at least).
    static bool HasVersion(const DestFolder& folder, const std::string& key, const std::string& stamp) {
        const size_t dot = ExtensionStart(key);
        const std::string prefix = key.substr(0, dot) + "_";
        const std::string extension = key.substr(dot);
        for (auto it = folder.entries.lower_bound(prefix);
             it != folder.entries.end() && std::string_view(it->first).starts_with(prefix); ++it) {
            const std::string_view name = it->first;
            if (name.substr(prefix.size()).ends_with(extension) &&
                name.substr(0, ExtensionStart(it->first)).ends_with(stamp))
                return true;
        }
        return false;
    }

    bool IsLeftover(const TempOwner& temp) {
        return temp.processId == self_ ? !Writing::Now().Contains(temp.name) : !fs_.ProcessRunning(temp.processId);
    }

    void RemoveLeftovers(const DestFolder& folder, std::uint32_t hash) {
        auto [first, last] = folder.leftovers.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (IsLeftover(it->second)) fs_.RemoveIn(*folder.held, it->second.name);
        }
    }

    // Copies to a temporary name beside the final one, then renames it into
    // place: a version never replaces an existing file, a mirror copy does.
    // None when it is in place, else the system's text of the failed call.
    std::optional<std::string> Place(const std::string& from, const FileEntry& file, const std::string& finalName,
                                     std::uint32_t hash, DestFolder& folder) {
        WritingTemp temp(hash, self_);
        if (fs_.CopyInto(from, *folder.held, temp.name) &&
            fs_.RenameIn(*folder.held, temp.name, finalName, !keepVersions_)) {
            folder.entries.insert_or_assign(Key(finalName), file.lastWrite);
            return std::nullopt;
        }
        std::string error = tally_.failures.size() < kRunLogFailuresShown ? fs_.LastErrorText() : std::string();
        fs_.RemoveIn(*folder.held, temp.name);
        return error;
    }

    FileSystem& fs_;
    const bool keepVersions_;
    const bool coarseTimes_;
    const bool ignoresCase_;
    const std::uint32_t self_;
    BackupTally& tally_;
    BackupActivity* const activity_;
    const std::int32_t versionsKept_;
    std::int64_t pending_ = 0;  // files found and not gone through
    std::unordered_map<std::string, DestFolder> folders_;  // by key of the folder's path below the target
    std::optional<TargetWalk> walk_;
};

}  // namespace

std::string VersionName(const std::string& fileName, const std::string& stamp) {
    const size_t dot = ExtensionStart(fileName);
    return fileName.substr(0, dot) + "_" + stamp + fileName.substr(dot);
}

std::string BackupTempName(const std::string& fileName, std::uint32_t processId, std::uint64_t serial) {
    return TempName(NameHash(fileName), processId, serial);
}

BackupTally RunBackup(TaskType type, const std::string& spec, FileSystem& fs, BackupActivity* activity,
                      std::int32_t versionsKept) {
    BackupTally tally;
    try {
        if (type != TaskType::BackupFile && type != TaskType::BackupFolder) return tally;
        const BackupSpecFields fields = SplitBackupSpec(spec);
        if (fields.source.empty()) return tally;
        const std::string source = fs.PathFromText(fields.source);
        const std::string target = WithoutTrailingSeparators(fs.PathFromText(fields.target));
        if (type == TaskType::BackupFolder) ForceDirectories(fs, target);
        if (fields.flag != "0" && fields.flag != "1") return tally;
        const bool coarseTimes = fs.CoarseTimes(target) || fs.CoarseTimes(source);
        BackupRun run(fs, fields.flag == "0", coarseTimes, tally, activity, versionsKept);
        if (type == TaskType::BackupFile) {
            run.BackUpFile(source, target);
        } else {
            run.BackUpFolder(WithoutTrailingSeparators(source), target);
        }
        tally.finished = true;
    } catch (...) {
        // The run ends here; its temporary file, if any, is removed by a later run.
    }
    return tally;
}

void StartBackup(TaskType type, const std::string& spec, FileSystem& fs,
                 std::function<void(const BackupTally&)> finished, BackupActivity* activity, std::int32_t versionsKept) {
    const std::string name = ShownAttribute(type, spec);
    if (activity) activity->RunBegins(name);
    try {
        std::thread([type, spec, &fs, finished = std::move(finished), activity, versionsKept, name] {
            const BackupTally tally = RunBackup(type, spec, fs, activity, versionsKept);
            if (activity) activity->RunEnds(name);
            if (finished) finished(tally);
        }).detach();
    } catch (...) {
        // No thread to be had: this time the backup does not run.
        if (activity) activity->RunEnds(name);
    }
}
