// The scheduler tick of the real program against the real registry of the
// test's own prefix.
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "store/schedule_text.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

TEST(Tick, ADueDailyReminderOpensExactlyOneWindowAndDisabledOrUnknownRecordsNone) {
    // The check takes about half a minute; start it early in a minute so the
    // records stay due throughout.
    SYSTEMTIME now = EarlyInAMinute(24);
    const std::string a = DailyText(now.wHour, now.wMinute);
    PutRecord(1, a, "提醒", "禁用的提醒", "禁用");
    PutRecord(2, a, "闹钟", "未知类型的提醒", "启用");
    PutRecord(3, a, "提醒", "该喝水了", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 3));

    Process program(ProgramPath());
    ASSERT_TRUE(program.started());
    // The first tick comes six seconds after start.
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "该喝水了") == 1; }, 15000));
    // Later ticks of the same minute do not fire it again: the tick rests a minute.
    PumpMessages(8000);
    EXPECT_EQ(RemindersSaying(program.id(), "该喝水了"), 1u);
    EXPECT_EQ(RemindersSaying(program.id(), "禁用的提醒"), 0u);
    EXPECT_EQ(RemindersSaying(program.id(), "未知类型的提醒"), 0u);
}

TEST(Tick, TheMonitoringSwitchStopsTheTickAndStartsItAgain) {
    SYSTEMTIME now = EarlyInAMinute(30);
    PutRecord(1, DailyText(now.wHour, now.wMinute), "提醒", "该喝水了", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));

    Process program(ProgramPath());
    ASSERT_TRUE(program.started());
    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout, program.id());
    ASSERT_NE(main, nullptr);
    // Switched off before the first tick, six seconds after start.
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    auto reminders = [&] { return RemindersSaying(program.id(), "该喝水了"); };
    EXPECT_FALSE(WaitUntil([&] { return reminders() != 0; }, 8000)) << "the tick ran while switched off";
    ASSERT_EQ(TrayTips(), std::vector<std::wstring>{Wide(kTipDisabled)});

    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(WaitUntil([&] { return reminders() != 0; }, 10000)) << "switching on did not start the tick";
    EXPECT_EQ(reminders(), 1u);
}

TEST(Tick, AOneOffReminderDatedTodayInTheUsersShortDateOpensOnce) {
    wchar_t picture[80] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, picture, 80), 0);
    const std::string own = Narrow(picture);
    // The same day in another locale's picture is not today's date to this user.
    const std::string other = own == "yyyy/M/d" ? "M/d/yyyy" : "yyyy/M/d";
    RecordProperty("short_date", own);

    SYSTEMTIME now = EarlyInAMinute(40);
    auto dated = [&](const std::string& picture) {
        return OnceText(ShortDateFormat(picture).Format(now.wYear, now.wMonth, now.wDay), now.wHour, now.wMinute);
    };
    PutRecord(1, dated(other), "提醒", "别的日期格式", "启用");
    PutRecord(2, dated(own), "提醒", "今天的一次提醒", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 2));

    Process program(ProgramPath());
    ASSERT_TRUE(program.started());
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "今天的一次提醒") != 0; }, 15000))
        << Wide(dated(own));
    EXPECT_EQ(RemindersSaying(program.id(), "今天的一次提醒"), 1u);
    EXPECT_EQ(RemindersSaying(program.id(), "别的日期格式"), 0u) << Wide(dated(other));
}

}  // namespace
