// The real system calls of the power and network actions and the warning
// sound, for the shipped program.
#pragma once

#include "platform/system_calls.h"

#include <windows.h>

class Win32SystemCalls : public SystemCalls {
public:
    explicit Win32SystemCalls(const HWND& owner) : owner_(owner) {}
    ~Win32SystemCalls() override;

    void ExitWindowsEx(unsigned flags) override;
    void SetSystemPowerState(bool suspend, bool force) override;
    void NtShutdownSystem(int action) override;
    std::uint32_t SetWakeTimer(const LocalTime& wakeAt) override;
    WakeTimerSetting ReadWakeTimerSetting() override;
    void CloseAllPrograms() override;

    std::optional<std::vector<DialupHandle>> DialupConnections() override;
    bool HangUp(DialupHandle connection) override;
    bool Autodial() override;
    // The exit code is waited for on a thread of its own.
    void RunCmdHidden(const std::string& parameters, CmdEnded ended) override;

    void PlayLoop(const std::string& path) override;
    void Stop() override;

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

private:
    const HWND& owner_;  // the main window, created after this object
    HANDLE wakeTimer_ = nullptr;  // one timer for the whole run, set again for each hibernation
};

// The full path of this executable, and its folder ending in a backslash.
std::string ExecutablePath();
std::string ExecutableFolder();
std::wstring ExecutableFolderWide();

// The close-all sweep over the top-level windows; windows of this process
// are left alone.
void CloseAllProgramWindows();
