#include "actions/task_actions_win32.h"

#include "actions/reminder.h"

void Win32TaskActions::ShowReminder(const std::string& message, const std::string& note) {
    ::ShowReminder(message, note);
}

// The actions below are not carried out yet: a due task of these types is
// dispatched and paces the tick like any other, and does nothing else.
void Win32TaskActions::OpenTarget(const std::string&) {}
void Win32TaskActions::KillProcessByName(const std::string&) {}
void Win32TaskActions::DialDefault() {}
void Win32TaskActions::CleanSystemJunk(bool) {}
void Win32TaskActions::SetAdapterState(const std::string&, bool) {}
void Win32TaskActions::StartBackup(const std::string&, const std::string&) {}
void Win32TaskActions::CloseAllPrograms() {}
