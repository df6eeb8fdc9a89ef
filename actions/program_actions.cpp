#include "actions/program_actions.h"

#include "actions/backup.h"
#include "actions/desktop.h"
#include "actions/network.h"

void ProgramActions::ShowReminder(const std::string& message, const std::string& note) {
    showReminder_(message, note);
}

void ProgramActions::OpenTarget(const std::string& target) { ::OpenTarget(target, desktop_); }

void ProgramActions::KillProcessByName(const std::string& fileName) { ::KillProcessByName(fileName, desktop_); }

void ProgramActions::CleanSystemJunk(bool openList) { ::CleanSystemJunk(openList, clock_.Now(), desktop_); }

void ProgramActions::StartBackup(TaskType type, const std::string& spec) {
    ::StartBackup(type, spec, files_, backupsChanged_, &backups_);
    if (backupsChanged_) backupsChanged_();
}

void ProgramActions::DialDefault() { network_.Autodial(); }

void ProgramActions::SetAdapterState(const std::string& connection, bool enable) {
    ::SetAdapterState(network_, connection, enable);
}

void ProgramActions::CloseAllPrograms() { power_.CloseAllPrograms(); }

void ProgramActions::ExecutePowerAction(PowerAction action, const std::string& wakeSpec) {
    ::ExecutePowerAction(action, wakeSpec, clock_.Now(), power_, [this] {
        HangUpDialup(network_, [this](const std::string& message) { showReminder_(message, ""); });
    });
}
