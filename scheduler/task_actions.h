// What a due task sets off. The tick and the countdown only call these; the
// actions modules carry them out and say what came of them, for the run log.
#pragma once

#include "scheduler/power_action.h"
#include "store/run_log.h"
#include "store/task_texts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TaskActions {
public:
    virtual ~TaskActions() = default;
    virtual Outcome ShowReminder(const std::string& message, const std::string& note) = 0;
    virtual Outcome OpenTarget(const std::string& target) = 0;
    virtual Outcome KillProcessByName(const std::string& fileName) = 0;
    virtual Outcome DialDefault() = 0;
    virtual Outcome CleanSystemJunk(bool openList) = 0;  // returns when the cleaning has finished
    // These two do not wait: `report` hears the outcome when it is known, on
    // a thread of theirs or at once.
    virtual void SetAdapterState(const std::string& connection, bool enable, OutcomeReport report) = 0;
    virtual void StartBackup(TaskType type, const std::string& spec, OutcomeReport report) = 0;
    // The files the running backups have still to go through; none when no backup runs.
    virtual std::optional<std::int64_t> BackupFilesLeft() { return std::nullopt; }
    // The files all backups have gone through since the start, never less than before.
    virtual std::int64_t BackupFilesFinished() { return 0; }
    // The running backups as the run log shows them ("source → target").
    virtual std::vector<std::string> RunningBackups() { return {}; }
    virtual void CloseAllPrograms() = 0;
    // Carries out a countdown's action (the hibernation with its wake text).
    // `report` hears of it before the call, for a power-off leaves no moment
    // after it; of the hang-up, what it came to.
    virtual void ExecutePowerAction(PowerAction action, const std::string& wakeSpec, const OutcomeReport& report) = 0;
};
