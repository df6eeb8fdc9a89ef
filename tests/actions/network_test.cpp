#include "actions/network.h"
#include "actions/program_actions.h"

#include "platform/file_system_posix.h"
#include "platform/recording_calls.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// The network calls answer as a test needs; every other call is recorded in `others`.
class FakeNetwork : public RecordingCalls {
public:
    Log others;
    FakeNetwork() : RecordingCalls([this](const std::string& line) { others.push_back(line); }) {}
    std::optional<std::vector<DialupHandle>> connections = std::vector<DialupHandle>{};
    bool hangUpWorks = true;
    Log calls;
    std::optional<std::vector<DialupHandle>> DialupConnections() override { return connections; }
    bool HangUp(DialupHandle c) override {
        calls.push_back("hangup " + std::to_string(c));
        return hangUpWorks;
    }
    bool Autodial() override {
        calls.push_back("autodial");
        return true;
    }
    std::optional<unsigned long> exitCode = 0;
    void RunCmdHidden(const std::string& parameters, CmdEnded ended) override {
        calls.push_back("cmd.exe " + parameters);
        if (ended) ended(exitCode);
    }
};

class NetworkTest : public ::testing::Test {
protected:
    FakeNetwork network;
    Log told;
    void HangUp() {
        HangUpDialup(network, [this](const std::string& message) { told.push_back(message); });
    }
};

TEST_F(NetworkTest, HangUpTellsTheOutcomeAndHangsUpOnlyTheFirstConnection) {
    HangUp();
    EXPECT_EQ(told, (Log{"没有可用的拨号连接"}));
    network.connections = std::vector<DialupHandle>{0x51, 0x52};
    HangUp();
    network.hangUpWorks = false;
    HangUp();
    EXPECT_EQ(network.calls, (Log{"hangup 81", "hangup 81"}));
    EXPECT_EQ(told, (Log{"没有可用的拨号连接", "断开成功", "断开失败"}));
    network.connections = std::nullopt;  // the enumeration failed, for instance with more than ten connections
    HangUp();
    EXPECT_EQ(told.size(), 3u);
}

TEST_F(NetworkTest, AdapterCommandIsBuiltExactlyAndUnsafeNamesRunNothing) {
    EXPECT_EQ(AdapterCommandParameters("本地连接", false), "/c  netsh int set int name=\"本地连接\" admin=disable");
    EXPECT_EQ(AdapterCommandParameters("以太网 2", true), "/c  netsh int set int name=\"以太网 2\" admin=enable");
    EXPECT_EQ(AdapterCommandParameters("a&b|c^!d!", true), "/c  netsh int set int name=\"a&b|c^!d!\" admin=enable")
        << "inside the quotes cmd.exe takes these as they are";
    for (const char* bad : {"x\" & calc & \"", "\"", "本地\n连接", "a\rb", "a\tb", "a\x1f", "a\x7f", "a\x01",
                            "%COMSPEC%", "a%b", "%"})
        EXPECT_FALSE(AdapterCommandParameters(bad, false).has_value()) << bad;
    EXPECT_TRUE(AdapterCommandParameters(" ~", false).has_value());

    SetAdapterState(network, "x\"&shutdown -s\"", false);
    EXPECT_TRUE(network.calls.empty());
    SetAdapterState(network, "以太网", true);
    EXPECT_EQ(network.calls, (Log{"cmd.exe /c  netsh int set int name=\"以太网\" admin=enable"}));

    Log outcomes;
    auto report = [&](const Outcome& o) { outcomes.push_back(o.text + (o.failed ? " (failed)" : "")); };
    SetAdapterState(network, "x\"&shutdown -s\"", false, report);
    network.exitCode = 1;
    SetAdapterState(network, "以太网", false, report);
    EXPECT_EQ(outcomes, (Log{AdapterRefused().text + " (failed)", "netsh 退出码 1 (failed)"}));
}

class SilentClock : public Clock {
public:
    LocalTime Now() override { return {}; }
    std::uint32_t TickCount() override { return 0; }
    std::uint32_t LastInputTick() override { return 0; }
    std::uint64_t UptimeMilliseconds() override { return 0; }
    std::string ShortDatePicture() override { return "yyyy/M/d"; }
};

TEST_F(NetworkTest, TheProgramsActionsReachTheNetworkAndReportTheHangUpInAReminder) {
    SilentClock clock;
    Log reminders;
    PosixFileSystem files;
    ProgramActions actions(network, files, clock,
                           [&](const std::string& m, const std::string& note) { reminders.push_back(m + "|" + note); });
    network.connections = std::vector<DialupHandle>{7};
    Log told;
    actions.ExecutePowerAction(PowerAction::HangUp, "", [&](const Outcome& o) { told.push_back(o.text); });
    actions.DialDefault();
    actions.SetAdapterState("本地连接", false, {});
    actions.CloseAllPrograms();
    EXPECT_EQ(network.calls,
              (Log{"hangup 7", "autodial", "cmd.exe /c  netsh int set int name=\"本地连接\" admin=disable"}));
    EXPECT_EQ(reminders, (Log{"断开成功|"}));
    EXPECT_EQ(told, (Log{"断开成功"}));
    // A power action is told before its call: a power-off leaves no moment after it.
    actions.ExecutePowerAction(PowerAction::LogOff, "", [&](const Outcome& o) { network.others.push_back(o.text); });
    EXPECT_EQ(network.others, (Log{"CloseAllPrograms", "已执行", "ExitWindowsEx 4"}));
}

}  // namespace
