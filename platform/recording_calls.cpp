#include "platform/recording_calls.h"

namespace {

std::string Flag(bool on) { return on ? "1" : "0"; }

// The command line's start as the real calls make it.
constexpr char kSystemCmd[] = "CreateProcess %SystemRoot%\\System32\\cmd.exe /d /v:off ";

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr unsigned kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

// wchar_t holds UTF-16 on Windows and UTF-32 elsewhere.
std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

RecordingCalls::RecordingCalls(std::function<void(const std::string&)> record, std::wstring programFolder,
                               Narrowing narrow)
    : record_(std::move(record)), programFolder_(std::move(programFolder)),
      narrow_(narrow ? std::move(narrow) : Narrowing(Utf8)) {}

void RecordingCalls::ExitWindowsEx(unsigned flags) { record_("ExitWindowsEx " + std::to_string(flags)); }

void RecordingCalls::SetSystemPowerState(bool suspend, bool force) {
    record_("SetSystemPowerState " + Flag(suspend) + " " + Flag(force));
}

void RecordingCalls::NtShutdownSystem(int action) { record_("NtShutdownSystem " + std::to_string(action)); }

std::uint32_t RecordingCalls::SetWakeTimer(const LocalTime& t) {
    record_("SetWaitableTimer " + std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
            " " + std::to_string(t.hour) + ":" + std::to_string(t.minute));
    return answers.wakeTimer;
}

WakeTimerSetting RecordingCalls::ReadWakeTimerSetting() { return answers.wakeTimers; }

void RecordingCalls::CloseAllPrograms() { record_("CloseAllPrograms"); }

std::optional<std::vector<DialupHandle>> RecordingCalls::DialupConnections() {
    record_("RasEnumConnections");
    return std::vector<DialupHandle>{};
}

bool RecordingCalls::HangUp(DialupHandle) {
    record_("RasHangUp");
    return true;
}

bool RecordingCalls::Autodial() {
    record_("InternetAutodial");
    return true;
}

void RecordingCalls::RunCmdHidden(const std::string& parameters, CmdEnded ended) {
    record_(kSystemCmd + parameters);
    if (ended) ended(0);
}

void RecordingCalls::PlayLoop(const std::string& path) { record_("PlaySound loop " + path); }

void RecordingCalls::Stop() { record_("PlaySound stop"); }

std::optional<std::string> RecordingCalls::ShellOpen(const std::string& target, const std::string& workingFolder) {
    record_("ShellExecute open " + target + " in " + workingFolder);
    return std::nullopt;
}

std::vector<ProcessEntry> RecordingCalls::Processes() {
    record_("CreateToolhelp32Snapshot");
    return {};
}

bool RecordingCalls::Terminate(std::uint32_t processId) {
    record_("TerminateProcess " + std::to_string(processId));
    return false;
}

std::optional<unsigned long> RecordingCalls::RunCmdHiddenAndWait(const std::wstring& parameters,
                                                                 const std::wstring& folder) {
    record_(kSystemCmd + narrow_(parameters) + " in " + narrow_(folder));
    return 0;
}

std::wstring RecordingCalls::ProgramFolder() { return programFolder_; }

void RecordingCalls::OpenDocument(const std::wstring& path) { record_("ShellExecute " + narrow_(path)); }

void RecordingCalls::OpenList(const std::wstring& path, const std::wstring& folder) {
    record_("ShellExecute open " + narrow_(path) + " in " + narrow_(folder));
}

void RecordingCalls::MciCommand(const std::string& command) { record_("mciSendString " + command); }

void RecordingCalls::MonitorOff() { record_("SC_MONITORPOWER 2"); }
