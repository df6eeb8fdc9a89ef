// System calls that are written down instead of made: the program's
// recording flavour runs on these, so that its tests under Wine see every
// power, dial-up, netsh and sound call without any of them happening.
#pragma once

#include "platform/system_calls.h"

#include <functional>
#include <string>

class RecordingCalls : public SystemCalls {
public:
    using Narrowing = std::function<std::string(const std::wstring&)>;
    // `record` receives one line per call; `programFolder` ends in "\".
    // Paths the program keeps in UTF-16 are written through `narrow`, UTF-8
    // unless another is given.
    explicit RecordingCalls(std::function<void(const std::string&)> record, std::wstring programFolder = {},
                            Narrowing narrow = {});

    void ExitWindowsEx(unsigned flags) override;
    void SetSystemPowerState(bool suspend, bool force) override;
    void NtShutdownSystem(int action) override;
    std::uint32_t SetWakeTimer(const LocalTime& wakeAt) override;  // answers answers.wakeTimer
    WakeTimerSetting ReadWakeTimerSetting() override;           // answers answers.wakeTimers, not written down
    void CloseAllPrograms() override;

    // There is never a dial-up connection.
    std::optional<std::vector<DialupHandle>> DialupConnections() override;
    bool HangUp(DialupHandle connection) override;
    bool Autodial() override;                                                 // true
    void RunCmdHidden(const std::string& parameters, CmdEnded ended) override;  // ended at once, exit code 0

    void PlayLoop(const std::string& path) override;
    void Stop() override;

    // The shell, process and batch calls are written down too; there are no
    // processes, every target opens and the batch exits with 0.
    std::optional<std::string> ShellOpen(const std::string& target, const std::string& workingFolder) override;
    void OpenDocument(const std::wstring& path) override;
    void OpenList(const std::wstring& path, const std::wstring& folder) override;
    void MciCommand(const std::string& command) override;
    void MonitorOff() override;
    std::vector<ProcessEntry> Processes() override;
    bool Terminate(std::uint32_t processId) override;
    std::optional<unsigned long> RunCmdHiddenAndWait(const std::wstring& parameters,
                                                     const std::wstring& folder) override;
    std::wstring ProgramFolder() override;

    // What the wake timer and the power plan's setting answer: the timer
    // armed, the setting unknown, as under Wine; the native tests set others.
    struct Answers {
        std::uint32_t wakeTimer = 0;
        WakeTimerSetting wakeTimers;
    } answers;

private:
    std::function<void(const std::string&)> record_;
    std::wstring programFolder_;
    Narrowing narrow_;
};
