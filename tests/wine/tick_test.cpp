// The scheduler tick of the real program against the real registry of the
// test's own prefix.
#include "platform/text_win32.h"
#include "store/task_record.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

TEST(Tick, ADueDailyReminderOpensExactlyOneWindowAndDisabledOrUnknownRecordsNone) {
    // The check takes about half a minute; start it early in a minute so the
    // records stay due throughout.
    WaitUntil([] {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return t.wSecond < 25;
    }, 61000);
    SYSTEMTIME now;
    GetLocalTime(&now);
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

}  // namespace
