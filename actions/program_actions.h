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

    void ShowReminder(const std::string& message, const std::string& note) override;
    void OpenTarget(const std::string& target) override;
    void KillProcessByName(const std::string& fileName) override;
    void DialDefault() override;
    void CleanSystemJunk(bool openList) override;
    void SetAdapterState(const std::string& connection, bool enable) override;
    void StartBackup(TaskType type, const std::string& spec) override;
    std::optional<std::int64_t> BackupFilesLeft() override { return backups_.FilesLeft(); }
    // Called when a backup starts, on this thread, and when one ends, on its worker.
    void OnBackupsChanged(std::function<void()> changed) { backupsChanged_ = std::move(changed); }
    void CloseAllPrograms() override;
    void ExecutePowerAction(PowerAction action, const std::string& wakeSpec) override;

private:
    PowerSystem& power_;
    NetworkSystem& network_;
    DesktopSystem& desktop_;
    FileSystem& files_;
    Clock& clock_;
    ReminderFunction showReminder_;
    BackupActivity backups_;
    std::function<void()> backupsChanged_;
};
