// The backup tasks "备份文件" and "备份文件夹": copies of a file, or of every
// file below a folder, kept as dated versions (flag "0") or as a mirror
// (flag "1") in a target folder. Nothing is deleted from the target but the
// run's own stale temporary files and, when a limit of versions is set, the
// older versions of a file beyond it. A file that fails is left for the next
// run; the run goes on and counts it, for the run log.
#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "store/run_log.h"
#include "store/task_texts.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A last-write time as the 14 digits of its local year, month, day, hour,
// minute and second.
std::string BackupStamp(const LocalTime& t);
// base + "_" + stamp + extension, the extension being the file name from its
// last "." on.
std::string VersionName(const std::string& fileName, const std::string& stamp);

// A copy is written under a temporary name in the destination folder and
// renamed into place when complete:
//   "~tempiro-" <8 hex digits: hash of the file name> "-" <process id> "-" <serial> ".tmp"
// It has no "_", so it never passes for a version, and the serial (counted
// per process) makes it unique among the runs of this process.
std::string BackupTempName(const std::string& fileName, std::uint32_t processId, std::uint64_t serial);

// The backups running in this process, and the files they have found and not
// yet gone through: a scheduled shutdown waits for them. Safe to use from
// any thread.
class BackupActivity {
public:
    // None when no run is on.
    std::optional<std::int64_t> FilesLeft() const {
        if (runs_ == 0) return std::nullopt;
        return std::max<std::int64_t>(filesLeft_, 0);
    }
    // The files gone through since the start, by all runs: it grows as long
    // as the backups make progress.
    std::int64_t FilesFinished() const { return filesFinished_; }
    // The runs on at the moment, by the names they began with.
    std::vector<std::string> Running() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return names_;
    }
    void RunBegins(const std::string& name = {}) {
        std::lock_guard<std::mutex> lock(mutex_);
        names_.push_back(name);
        ++runs_;
    }
    void RunEnds(const std::string& name = {}) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (auto it = std::find(names_.begin(), names_.end(), name); it != names_.end()) names_.erase(it);
        --runs_;
    }
    void FilesFound(std::int64_t count) { filesLeft_ += count; }
    void FilesDone(std::int64_t count) {
        filesLeft_ -= count;
        filesFinished_ += count;
    }

private:
    std::atomic<int> runs_{0};
    std::atomic<std::int64_t> filesLeft_{0};
    std::atomic<std::int64_t> filesFinished_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
};

// Carries out one backup task on the calling thread: `type` is a backup
// type (any other does nothing), `spec` its C text (source*target*flag).
// Never throws: an unexpected error ends the run. What it did: a source that
// is missing or cannot be listed counts as a failure, and so does each file
// whose destination folder cannot be made or listed. The files it finds count
// in `activity` until it has gone through them or ends. With `versionsKept`
// above 0, a versioned run keeps that many newest versions of each file it
// goes through and removes the older ones: only names of that file's version
// pattern (its base, "_", 14 digits, its extension), only files, only in the
// destination folder of that file.
BackupTally RunBackup(TaskType type, const std::string& spec, FileSystem& fs, BackupActivity* activity = nullptr,
                      std::int32_t versionsKept = 0);
// The same on a worker thread of its own, with its own copies of the texts;
// returns at once. `fs` (and `activity`) must outlive the worker; the run
// counts in `activity` from this call on. `finished`, when given, is called on
// the worker when the run is over and no longer counts.
void StartBackup(TaskType type, const std::string& spec, FileSystem& fs,
                 std::function<void(const BackupTally&)> finished, BackupActivity* activity = nullptr,
                 std::int32_t versionsKept = 0);
