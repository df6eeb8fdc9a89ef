#include "actions/power.h"

#include "platform/recording_calls.h"
#include "store/task_texts.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

LocalTime Day(int year, int month, int day, int hour = 9, int minute = 0) {
    LocalTime t;
    t.year = year; t.month = month; t.day = day; t.hour = hour; t.minute = minute; t.second = 30;
    return t;
}

std::string Show(const std::optional<LocalTime>& t) {
    if (!t) return "none";
    return std::to_string(t->year) + "-" + std::to_string(t->month) + "-" + std::to_string(t->day) + " " +
           std::to_string(t->hour) + ":" + std::to_string(t->minute) + ":" + std::to_string(t->second) + " wd" +
           std::to_string(t->dayOfWeek);
}

class PowerTest : public ::testing::Test {
protected:
    Log calls;
    RecordingCalls power{[this](const std::string& line) { calls.push_back(line); }};
    int hangUps = 0;
    void Execute(PowerAction action, const std::string& wake = "", const LocalTime& today = Day(2030, 1, 14)) {
        ExecutePowerAction(action, wake, today, power, [this] { ++hangUps; });
    }
};

TEST(WakeMoment, DayOneIsTodayAndLaterDaysCrossMonthAndYearEnds) {
    // 14 January 2030 is a Monday; at 9:00 the wake time 7:00 of day 1 lies in the past and stays there.
    EXPECT_EQ(Show(WakeMoment("第1天7时0分唤醒", Day(2030, 1, 14))), "2030-1-14 7:0:0 wd1");
    EXPECT_EQ(Show(WakeMoment("第2天7时5分唤醒", Day(2030, 1, 14))), "2030-1-15 7:5:0 wd2");
    EXPECT_EQ(Show(WakeMoment("第2天0时0分唤醒", Day(2030, 1, 31))), "2030-2-1 0:0:0 wd5");
    EXPECT_EQ(Show(WakeMoment("第2天23时59分唤醒", Day(2030, 12, 31))), "2031-1-1 23:59:0 wd3");
    EXPECT_EQ(Show(WakeMoment("第2天6时0分唤醒", Day(2032, 2, 28))), "2032-2-29 6:0:0 wd0");
    EXPECT_EQ(Show(WakeMoment("第2天6时0分唤醒", Day(2030, 2, 28))), "2030-3-1 6:0:0 wd5");
    EXPECT_EQ(Show(WakeMoment("第9天6时0分唤醒", Day(2030, 12, 28))), "2031-1-5 6:0:0 wd0");
    EXPECT_EQ(Show(WakeMoment("第2天6时0分唤醒", Day(2100, 2, 28))), "2100-3-1 6:0:0 wd1") << "2100 is no leap year";
    EXPECT_EQ(Show(WakeMoment("第2天6时0分唤醒", Day(2000, 2, 28))), "2000-2-29 6:0:0 wd2") << "2000 is one";
    EXPECT_EQ(Show(WakeMoment("不唤醒", Day(2030, 1, 14))), "none");
    EXPECT_EQ(Show(WakeMoment("", Day(2030, 1, 14))), "none");
}

TEST(WakeMoment, AMalformedWakeTextRaisesTheConversionError) {
    try {
        WakeMoment("第x天7时0分唤醒", Day(2030, 1, 14));
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_THROW(WakeMoment("第1天", Day(2030, 1, 14)), ConversionError) << "no time at all";
    EXPECT_THROW(WakeMoment("第1天24时0分唤醒", Day(2030, 1, 14)), ConversionError);
    EXPECT_THROW(WakeMoment("第1天7时60分唤醒", Day(2030, 1, 14)), ConversionError);
    EXPECT_THROW(WakeMoment("第1天-1时0分唤醒", Day(2030, 1, 14)), ConversionError);
    EXPECT_EQ(Show(WakeMoment("第1天23时59分唤醒", Day(2030, 1, 14))), "2030-1-14 23:59:0 wd1");
}

TEST_F(PowerTest, EachActionMakesItsOneCall) {
    const std::pair<PowerAction, Log> table[] = {
        {PowerAction::LogOff, {"ExitWindowsEx 4"}},
        {PowerAction::Standby, {"SetSystemPowerState 1 1"}},
        {PowerAction::Hibernate, {"SetSystemPowerState 1 0"}},
        {PowerAction::Restart, {"ExitWindowsEx 6"}},
        {PowerAction::ShutDown, {"ExitWindowsEx 12"}},
        {PowerAction::HangUp, {}},
        {PowerAction::FastRestart, {"NtShutdownSystem 1"}},
        {PowerAction::FastShutDown, {"NtShutdownSystem 2"}},
    };
    static_assert(std::size(table) == kPowerActionCount);
    for (const auto& [action, expected] : table) {
        calls.clear();
        Execute(action);
        EXPECT_EQ(calls, expected) << RowOf(action).word;
        EXPECT_EQ(RowOf(action).waitsForBackups, action != PowerAction::HangUp) << "a shutdown never cuts a backup";
    }
    EXPECT_EQ(hangUps, 1) << "only the hang-up reaches the hang-up, and it closes no programs";
}

TEST_F(PowerTest, AScheduledHibernationArmsItsWakeTimerThenSuspends) {
    Execute(PowerAction::Hibernate, "第2天7时5分唤醒");
    EXPECT_EQ(calls, (Log{"SetWaitableTimer 2030-1-15 7:5", "SetSystemPowerState 1 0"}));
    calls.clear();
    Execute(PowerAction::Hibernate, "不唤醒");
    EXPECT_EQ(calls, (Log{"SetSystemPowerState 1 0"}));
    calls.clear();
    EXPECT_THROW(Execute(PowerAction::Hibernate, "第2天7时x分唤醒"), ConversionError);
    EXPECT_TRUE(calls.empty()) << "a malformed wake text sets no timer and does not suspend";
}

// The texts reach the notes after the timer is armed and before the suspend;
// only "enabled" (1) counts as allowing wake timers.
TEST_F(PowerTest, AHibernationTellsHowItsWakeTimerWasArmedBeforeItSuspends) {
    const auto execute = [this](const std::string& wake) {
        calls.clear();
        ExecutePowerAction(PowerAction::Hibernate, wake, Day(2026, 12, 9), power, [] {},
                           [this](const std::string& text) { calls.push_back(text); });
    };
    execute("第2天7时30分唤醒");
    EXPECT_EQ(calls, (Log{"SetWaitableTimer 2026-12-10 7:30", "唤醒定时器已设定：2026-12-10 07:30",
                          "SetSystemPowerState 1 0"})) << "the setting unknown, as under Wine";
    power.answers = {kErrorNotSupported, {1, 2}};
    execute("第1天23时5分唤醒");
    EXPECT_EQ(calls, (Log{"SetWaitableTimer 2026-12-9 23:5", "唤醒定时器设定失败：这台电脑不能定时唤醒（错误 50）",
                          "电源选项禁止了唤醒定时器（电池）", "SetSystemPowerState 1 0"}));
    execute("不唤醒");
    EXPECT_EQ(calls, (Log{"SetSystemPowerState 1 0"}));
}

TEST(WakeTimerNotes, NameTheArmedMomentTheErrorAndWhereThePlanForbidsWaking) {
    using Notes = std::vector<std::string>;
    const LocalTime wake = Day(2027, 1, 2, 7, 5);
    EXPECT_EQ(WakeTimerNotes(wake, 0, {1, 1}), Notes{"唤醒定时器已设定：2027-01-02 07:05"});
    EXPECT_EQ(WakeTimerNotes(wake, 5, {}), Notes{"唤醒定时器设定失败：错误 5"});
    EXPECT_EQ(WakeTimerNotes(Day(2027, 11, 30, 23, 59), 0, {0, 0}),
              (Notes{"唤醒定时器已设定：2027-11-30 23:59", "电源选项禁止了唤醒定时器（交流电源/电池）"}));
    EXPECT_EQ(WakeTimerNotes(wake, 0, {0, std::nullopt}).back(), "电源选项禁止了唤醒定时器（交流电源）");
    EXPECT_EQ(WakeTimerNotes(wake, 0, {2, 1}).back(), "电源选项禁止了唤醒定时器（交流电源）") << "important ones only";
    EXPECT_EQ(WakeTimerNotes(wake, 0, {3, std::nullopt}).size(), 1u) << "a value Windows does not define is unknown";
}

// The tray sweeps as the countdown would and then makes the countdown's call,
// for every action but the hang-up, which it does not offer; only its
// hibernation differs: forced, and with no wake timer.
TEST_F(PowerTest, TheTraySweepsAndCallsAsTheCountdownButHibernatesForced) {
    for (const PowerActionRow& row : kPowerActions) {
        if (row.action == PowerAction::HangUp) continue;
        for (std::int32_t shutapp = 0; shutapp <= 2; ++shutapp) {
            calls.clear();
            Execute(row.action);
            Log expected = row.action == PowerAction::Hibernate ? Log{"SetSystemPowerState 0 1"} : calls;
            if (SweepsFirst(row.action, shutapp)) expected.insert(expected.begin(), "CloseAllPrograms");
            calls.clear();
            RunTrayPower(row.action, shutapp, power);
            EXPECT_EQ(calls, expected) << row.word << " shutapp " << shutapp;
        }
    }
    calls.clear();
    RunTrayPower(PowerAction::Standby, 2, power);
    EXPECT_EQ(calls, (Log{"SetSystemPowerState 1 1"})) << "only shutapp 1 sweeps before standby";
}

TEST_F(PowerTest, TheKeysActAtOnceAndStandbyNeverClosesPrograms) {
    const std::pair<PowerAction, Log> rows[] = {
        {PowerAction::LogOff, {"CloseAllPrograms", "ExitWindowsEx 4"}},
        {PowerAction::Standby, {"SetSystemPowerState 1 1"}},
        {PowerAction::FastRestart, {"CloseAllPrograms", "NtShutdownSystem 1"}},
        {PowerAction::FastShutDown, {"CloseAllPrograms", "NtShutdownSystem 2"}},
    };
    for (const auto& [action, expected] : rows) {
        calls.clear();
        RunHotkeyPower(action, power);
        EXPECT_EQ(calls, expected) << RowOf(action).word;
    }
}

TEST(CloseAllSweep, OnlyShownUnownedTitledWindowsOfOtherProgramsAreAsked) {
    WindowFacts plain;
    plain.visible = plain.titled = true;
    EXPECT_TRUE(ShouldCloseWindow(plain));
    WindowFacts minimised = plain;
    minimised.visible = false;
    minimised.minimised = true;
    EXPECT_TRUE(ShouldCloseWindow(minimised)) << "a minimised titled window counts as shown";
    WindowFacts hidden = plain;
    hidden.visible = false;
    EXPECT_FALSE(ShouldCloseWindow(hidden));
    WindowFacts owned = plain;
    owned.ownedByAnotherWindow = true;
    EXPECT_FALSE(ShouldCloseWindow(owned));
    WindowFacts tool = plain;
    tool.toolWindow = true;
    EXPECT_FALSE(ShouldCloseWindow(tool));
    WindowFacts own = plain;
    own.ownProcess = true;
    EXPECT_FALSE(ShouldCloseWindow(own));
    WindowFacts untitled = minimised;
    untitled.titled = false;
    EXPECT_FALSE(ShouldCloseWindow(untitled)) << "a minimised untitled window is skipped too";
}

}  // namespace
