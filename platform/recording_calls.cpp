#include "platform/recording_calls.h"

namespace {
std::string Flag(bool on) { return on ? "1" : "0"; }
}  // namespace

void RecordingCalls::ExitWindowsEx(unsigned flags) { record_("ExitWindowsEx " + std::to_string(flags)); }

void RecordingCalls::SetSystemPowerState(bool suspend, bool force) {
    record_("SetSystemPowerState " + Flag(suspend) + " " + Flag(force));
}

void RecordingCalls::NtShutdownSystem(int action) { record_("NtShutdownSystem " + std::to_string(action)); }

void RecordingCalls::SetWakeTimer(const LocalTime& t) {
    record_("SetWaitableTimer " + std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
            " " + std::to_string(t.hour) + ":" + std::to_string(t.minute));
}

void RecordingCalls::CloseAllPrograms() { record_("CloseAllPrograms"); }

std::optional<std::vector<DialupHandle>> RecordingCalls::DialupConnections() {
    record_("RasEnumConnections");
    return std::vector<DialupHandle>{};
}

bool RecordingCalls::HangUp(DialupHandle) {
    record_("RasHangUp");
    return true;
}

void RecordingCalls::Autodial() { record_("InternetAutodial"); }

void RecordingCalls::RunHidden(const std::string& program, const std::string& parameters) {
    record_("ShellExecute " + program + " " + parameters);
}

void RecordingCalls::PlayLoop(const std::string& path) { record_("PlaySound loop " + path); }

void RecordingCalls::Stop() { record_("PlaySound stop"); }

void RecordingCalls::ShellOpen(const std::string& target, const std::string& workingFolder) {
    record_("ShellExecute open " + target + " in " + workingFolder);
}

std::vector<ProcessEntry> RecordingCalls::Processes() {
    record_("CreateToolhelp32Snapshot");
    return {};
}

bool RecordingCalls::Terminate(std::uint32_t processId) {
    record_("TerminateProcess " + std::to_string(processId));
    return false;
}

void RecordingCalls::RunHiddenAndWait(const std::string& commandLine) { record_("CreateProcess " + commandLine); }

std::string RecordingCalls::ProgramFolder() { return programFolder_; }

void RecordingCalls::OpenDocument(const std::string& path) { record_("ShellExecute " + path); }

void RecordingCalls::MciCommand(const std::string& command) { record_("mciSendString " + command); }

void RecordingCalls::MonitorOff() { record_("SC_MONITORPOWER 2"); }
