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
    explicit RecordingCalls(std::function<void(const std::string&)> record) : record_(std::move(record)) {}

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

private:
    std::function<void(const std::string&)> record_;
};
