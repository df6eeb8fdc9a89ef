// System calls that are written down instead of made: the program's
// recording flavour runs on these, so that its tests under Wine see every
// power, dial-up, netsh and sound call without any of them happening.
#pragma once

#include "platform/system_calls.h"

#include <functional>
#include <string>

class RecordingCalls : public SystemCalls {
public:
    // `record` receives one line per call.
    // `record` receives one line per call; `programFolder` ends in "\".
    explicit RecordingCalls(std::function<void(const std::string&)> record, std::string programFolder = {})
        : record_(std::move(record)), programFolder_(std::move(programFolder)) {}

    void ExitWindowsEx(unsigned flags) override;
    void SetSystemPowerState(bool suspend, bool force) override;
    void NtShutdownSystem(int action) override;
    void SetWakeTimer(const LocalTime& wakeAt) override;
    void CloseAllPrograms() override;

    // There is never a dial-up connection.
    std::optional<std::vector<DialupHandle>> DialupConnections() override;
    bool HangUp(DialupHandle connection) override;
    void Autodial() override;
    void RunHidden(const std::string& program, const std::string& parameters) override;

    void PlayLoop(const std::string& path) override;
    void Stop() override;

    // The shell, process and batch calls are written down too; there are no processes.
    void ShellOpen(const std::string& target, const std::string& workingFolder) override;
    void OpenDocument(const std::string& path) override;
    void MciCommand(const std::string& command) override;
    void MonitorOff() override;
    std::vector<ProcessEntry> Processes() override;
    bool Terminate(std::uint32_t processId) override;
    void RunHiddenAndWait(const std::string& commandLine) override;
    std::string ProgramFolder() override;

private:
    std::function<void(const std::string&)> record_;
    std::string programFolder_;
};
