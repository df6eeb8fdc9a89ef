#include "actions/program_actions.h"

#include "actions/network.h"
#include "actions/power.h"

void ProgramActions::ShowReminder(const std::string& message, const std::string& note) {
    showReminder_(message, note);
}

// Opening, killing, backup and cleaning are not carried out yet: a due task
// of these types is dispatched and paces the tick like any other.
void ProgramActions::OpenTarget(const std::string&) {}
void ProgramActions::KillProcessByName(const std::string&) {}
void ProgramActions::CleanSystemJunk(bool) {}
void ProgramActions::StartBackup(const std::string&, const std::string&) {}

void ProgramActions::DialDefault() { network_.Autodial(); }

void ProgramActions::SetAdapterState(const std::string& connection, bool enable) {
    ::SetAdapterState(network_, connection, enable);
}

void ProgramActions::CloseAllPrograms() { power_.CloseAllPrograms(); }

void ProgramActions::ExecutePowerAction(const std::string& word, const std::string& wakeSpec) {
    ::ExecutePowerAction(word, wakeSpec, clock_.Now(), power_, [this] {
        HangUpDialup(network_, [this](const std::string& message) { showReminder_(message, ""); });
    });
}
