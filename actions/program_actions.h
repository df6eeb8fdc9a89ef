// The actions of due tasks, carried out through the system-call seams.
#pragma once

#include "actions/backup.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/system_calls.h"
#include "scheduler/task_actions.h"

#include <functional>
#include <string>

using ReminderFunction = std::function<void(const std::string& message, const std::string& note)>;

class ProgramActions : public TaskActions {
public:
    // `files` serves the backup workers and must outlive them.
    ProgramActions(SystemCalls& calls, FileSystem& files, Clock& clock, ReminderFunction showReminder)
        : power_(calls), network_(calls), desktop_(calls), files_(files), clock_(clock),
          showReminder_(std::move(showReminder)) {}

    Outcome ShowReminder(const std::string& message, const std::string& note) override;
    Outcome OpenTarget(const std::string& target) override;
    Outcome KillProcessByName(const std::string& fileName) override;
    Outcome DialDefault() override;
    Outcome CleanSystemJunk(bool openList) override;
    void SetAdapterState(const std::string& connection, bool enable, OutcomeReport report) override;
    void StartBackup(TaskType type, const std::string& spec, OutcomeReport report) override;
    std::optional<std::int64_t> BackupFilesLeft() override { return backups_.FilesLeft(); }
    std::int64_t BackupFilesFinished() override { return backups_.FilesFinished(); }
    std::vector<std::string> RunningBackups() override { return backups_.Running(); }
    // How many versions of each file a versioned backup keeps, asked as each backup starts.
    void KeepVersions(std::function<std::int32_t()> limit) { versionsKept_ = std::move(limit); }
    // Called when a backup starts, on this thread, and when one ends, on its worker.
    void OnBackupsChanged(std::function<void()> changed) { backupsChanged_ = std::move(changed); }
    // Hears what a hibernation's wake timer came to.
    void OnPowerNotes(PowerNotes notes) { powerNotes_ = std::move(notes); }
    void CloseAllPrograms() override;
    void ExecutePowerAction(PowerAction action, const std::string& wakeSpec, const OutcomeReport& report) override;

private:
    PowerSystem& power_;
    NetworkSystem& network_;
    DesktopSystem& desktop_;
    FileSystem& files_;
    Clock& clock_;
    ReminderFunction showReminder_;
    BackupActivity backups_;
    std::function<void()> backupsChanged_;
    PowerNotes powerNotes_;
    std::function<std::int32_t()> versionsKept_;
};
