// The run log: a line for each task that fires, with what came of it, and a
// line for what the program itself went through (its start and end, the
// monitoring switch, an import, a store it could not use), so that whoever
// left the machine alone for days can read afterwards what happened.
//
// A line is the local time, a mark for a failure, and a text:
//   2024-03-15 10:30:07  失败  任务 3  打开文件  C:\报告.doc  ——  系统找不到指定的文件。
// The file is UTF-8 after a byte-order mark. It is kept under kRunLogLimit
// bytes: a line that would take it past the limit goes to a fresh file, and
// the full one becomes the older file, replacing the one before. Lines come
// from the GUI thread and from the backup and netsh workers: each is
// appended whole, under one lock. Writing never throws and never stops a
// task; a line that cannot be written is lost.
#pragma once

#include "platform/clock.h"
#include "platform/log_file.h"
#include "store/settings_file.h"
#include "store/task_texts.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::uint64_t kRunLogLimit = 1024 * 1024;  // bytes of the current file, its mark included
inline constexpr char kRunLogMark[] = "\xEF\xBB\xBF";      // UTF-8's byte-order mark
inline constexpr size_t kRunLogAttributeCharacters = 40;   // of a task's attribute, and of a file name
inline constexpr size_t kRunLogFailuresShown = 3;          // of a backup's failed files
inline constexpr char kRunLogFailed[] = "失败";

// What a task came to, or what a line about the program says. GBK.
struct Outcome {
    std::string text;
    bool failed = false;
};
// Told once, when the outcome is known; from any thread.
using OutcomeReport = std::function<void(const Outcome&)>;

// The outcomes of the task types, as the log words them.
Outcome ReminderShown();
Outcome OpenOutcome(const std::optional<std::string>& error);  // none: started; else the system's text
Outcome KillOutcome(int ended, int notEnded);
Outcome DialOutcome(bool dialled);
// What the hang-up told the user, and whether a connection was there that
// it failed to end; none when the connections could not be listed.
Outcome HangUpOutcome(const std::optional<std::string>& told, bool failed);
Outcome AdapterOutcome(std::optional<unsigned long> exitCode);  // none: cmd.exe did not start
Outcome AdapterRefused();                                      // a name the command may not carry
Outcome JunkOutcome(std::optional<unsigned long> removed);      // none: the cleaning did not run
Outcome PowerCarriedOut();
Outcome PowerCancelled();
// Another power task of the same tick took the countdown over.
Outcome PowerSuperseded();
// The action went ahead once the backups still running had ended.
Outcome PowerWaitedForBackups();

// A file a backup could not copy, with the system's words for why. GBK.
struct FileFailure {
    std::string name;
    std::string error;
};
// What one backup run did.
struct BackupTally {
    int copied = 0;   // new copies placed
    int current = 0;  // files whose copy was up to date already
    int failed = 0;   // files (or folders) that could not be read or copied
    std::vector<FileFailure> failures;  // the first kRunLogFailuresShown of them
    bool finished = false;  // false: the task's text was unusable, or the run broke off
    int removed = 0;        // older versions removed beyond the limit of versions kept
};
Outcome BackupOutcome(const BackupTally& tally);

// The lines about the program itself.
Outcome StartNote(const std::string& version, bool elevated);
Outcome EndNote();
Outcome MonitoringNote(bool on);
// None for an import that never began (no file, or the question cancelled).
std::optional<Outcome> ImportNote(const std::string& path, ImportStatus status, bool replacing,
                                  const std::string& message);
// What the user is told, once at start and again at the log button, when the
// log's folder (GBK) is refused: it is not owned by an administrator, or
// other users may change it, and nothing is written there.
std::string RunLogRefusedText(const std::string& folder);
// What start-up told the user about a store it could not use.
Outcome StoreNote(const std::string& notice);
// What a start found of a change to the store that a kill interrupted; none
// when it found nothing.
std::optional<Outcome> RecoveryNote(Recovery recovery);

// A text cut after `characters` characters (a GBK two-byte character counts
// once and is never split), ended with "…" where it was cut.
std::string ShortenedText(const std::string& text, size_t characters);
// Line breaks, tabs and other control characters as spaces: a line stays one line.
std::string OneLine(std::string text);
// A task's attribute as its line shows it: a backup's source*target*flag as
// "source → target", then on one line and shortened to
// kRunLogAttributeCharacters.
std::string ShownAttribute(TaskType type, const std::string& attribute);
// "任务 <n>  <type>  <attribute>  ——  <outcome>", the attribute left out when empty.
std::string TaskLogText(int number, TaskType type, const std::string& attribute, const Outcome& outcome);
// "yyyy-mm-dd hh:mm:ss", the mark (kRunLogFailed, or as many spaces), the text, CRLF.
std::string RunLogLine(const LocalTime& when, bool failed, const std::string& text);

class RunLog {
public:
    RunLog(LogFile& file, Clock& clock, std::uint64_t limit = kRunLogLimit)
        : file_(file), clock_(clock), limit_(limit) {}
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // A task that fired, and what came of it.
    void Task(int number, TaskType type, const std::string& attribute, const Outcome& outcome);
    // A line about the program itself.
    void Note(const Outcome& note);

    // Whether a task has failed since the log was last opened.
    bool TaskFailed() const { return taskFailed_; }
    // `told` runs after each failed task's line, on the thread that wrote it.
    void WhenTaskFails(std::function<void()> told);
    // The user is about to read the file: it is made (holding its mark) when
    // missing, and the failures so far count as seen.
    void Opening();

private:
    void Write(const std::string& text, bool failed);

    LogFile& file_;
    Clock& clock_;
    const std::uint64_t limit_;
    std::mutex mutex_;  // one file operation at a time, and the callback
    std::function<void()> told_;
    std::atomic<bool> taskFailed_{false};
};
