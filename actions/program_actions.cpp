#include "actions/program_actions.h"

#include "actions/backup.h"
#include "actions/desktop.h"
#include "actions/network.h"

Outcome ProgramActions::ShowReminder(const std::string& message, const std::string& note) {
    showReminder_(message, note);
    return ReminderShown();
}

Outcome ProgramActions::OpenTarget(const std::string& target) { return OpenOutcome(::OpenTarget(target, desktop_)); }

Outcome ProgramActions::KillProcessByName(const std::string& fileName) {
    const KillCount count = EndProcessesByName(fileName, desktop_);
    return KillOutcome(count.ended, count.matched - count.ended);
}

Outcome ProgramActions::CleanSystemJunk(bool openList) {
    return JunkOutcome(::CleanSystemJunk(openList, clock_.Now(), desktop_));
}

void ProgramActions::StartBackup(TaskType type, const std::string& spec, OutcomeReport report) {
    ::StartBackup(type, spec, files_, [report = std::move(report), changed = backupsChanged_](const BackupTally& tally) {
        if (report) report(BackupOutcome(tally));
        if (changed) changed();
    }, &backups_, versionsKept_ ? versionsKept_() : 0);
    if (backupsChanged_) backupsChanged_();
}

Outcome ProgramActions::DialDefault() { return DialOutcome(network_.Autodial()); }

void ProgramActions::SetAdapterState(const std::string& connection, bool enable, OutcomeReport report) {
    ::SetAdapterState(network_, connection, enable, report);
}

void ProgramActions::CloseAllPrograms() { power_.CloseAllPrograms(); }

void ProgramActions::ExecutePowerAction(PowerAction action, const std::string& wakeSpec, const OutcomeReport& report) {
    if (action != PowerAction::HangUp && report) report(PowerCarriedOut());
    ::ExecutePowerAction(action, wakeSpec, clock_.Now(), power_, [&] {
        const std::optional<std::string> told =
            HangUpDialup(network_, [this](const std::string& message) { showReminder_(message, ""); });
        if (report) report(HangUpOutcome(told, told && *told == kHangUpFailed));
    }, powerNotes_);
}
