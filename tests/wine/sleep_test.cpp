// Sleep and the gaps it leaves, in the recording flavour: a countdown cut by
// a suspend (the test posts the power messages itself; nothing here ever
// suspends anything), and a reminder that fell due while the program was not
// running.
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/log_file_win32.h"
#include "platform/text_win32.h"
#include "scheduler/missed_runs.h"
#include "store/calendar.h"
#include "store/schedule_text.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

// The cases share one prefix: each starts from a fresh state.
using Recorded = FreshPrefix;

using Lines = std::vector<std::string>;

// The run log's lines after their times, as GBK.
Lines LogLines() {
    Lines lines;
    HANDLE file = CreateFileW((RunLogFolder() + L"\\运行记录.txt").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    static char bytes[1 << 16];
    DWORD read = 0;
    ReadFile(file, bytes, sizeof bytes, &read, nullptr);
    CloseHandle(file);
    std::wstring text(read, L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(read), text.data(), static_cast<int>(read))));
    for (size_t start = text.rfind(L"\xFEFF", 0) == 0 ? 1 : 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2)
        lines.push_back(Narrow(text.substr(start + 21, end - start - 21)));
    return lines;
}

size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool AnyStartsWith(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

// A 20-second shutdown countdown, suspended after 5 s and resumed: the
// whole countdown, and its sound, again from the resume.
TEST_F(Recorded, SuspendedCountdownStartsAgainInFullWithItsSoundAtTheResume) {
    ASSERT_TRUE(PutTaskDueEveryMinute("关闭计算机", 20));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"soundpath", L"C:\\警告.wav"));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    PumpMessages(5000);
    PostMessageW(dialog, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    PumpMessages(500);
    PostMessageW(dialog, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    PostMessageW(dialog, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);  // the user is back: the same resume
    const DWORD resumed = GetTickCount();
    EXPECT_TRUE(WaitUntil([&] { return Text(GetDlgItem(dialog, kLabel2)) == Wide("20 秒"); }, 1500))
        << "the count starts again from its whole length";
    EXPECT_TRUE(WaitUntil([] {
        const Lines calls = RecordedCalls();
        return std::count(calls.begin(), calls.end(), "PlaySound loop C:\\警告.wav") == 2;
    }, 1500)) << "the sound starts again, once";

    PumpMessages(16000 - std::min<DWORD>(16000, GetTickCount() - resumed));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(AnyStartsWith(RecordedCalls(), "ExitWindowsEx")) << "acted within 16 s of the resume";
    ASSERT_TRUE(WaitUntil([] { return AnyStartsWith(RecordedCalls(), "ExitWindowsEx"); }, 10000))
        << "the countdown never ended";
    EXPECT_GE(GetTickCount() - resumed, 19000u);
    const Lines log = LogLines();
    EXPECT_EQ(Count(log, "      电脑进入睡眠"), 1u);
    EXPECT_EQ(Count(log, "      电脑从睡眠中恢复"), 1u) << "two messages of one resume";
}

// What the store says when the program last watched: ten minutes ago. A
// daily reminder fell due five minutes ago.
void PutMissedReminder(const SYSTEMTIME& now, bool catchUp) {
    LocalTime t;
    t.year = now.wYear, t.month = now.wMonth, t.day = now.wDay, t.hour = now.wHour, t.minute = now.wMinute;
    const LocalTime due = calendar::AddMinutes(t, -5);
    ASSERT_TRUE(PutRecords({{DailyText(due.hour, due.minute), "提醒", "错过的提醒", "启用"}}));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, Wide(kWatchedMinuteValue),
                            Wide(WatchedMinuteText(calendar::AddMinutes(t, -10)))));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, Wide(kBuzuoValue), catchUp ? 1 : 0));
}

size_t MissedReminders(DWORD pid) {
    return RemindersWith(pid, [](const std::wstring& text) { return text.find(Wide("错过的提醒")) != std::wstring::npos; });
}

TEST_F(Recorded, AReminderDueWhileNotRunningIsLoggedAsMissedAndWithCatchingUpShownOnce) {
    SYSTEMTIME now = EarlyInAMinute(30);
    PutMissedReminder(now, false);
    {
        Process program(ProgramPath());
        HWND main = StartAndWait(program);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitUntil([] {
            const Lines log = LogLines();
            return std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("错过") != std::string::npos; });
        }, 10000));
        const Lines log = LogLines();
        const auto missed = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.find("错过") != std::string::npos; });
        EXPECT_EQ(missed->rfind("失败  任务 1  提醒  错过的提醒  ——  错过 ", 0), 0u) << *missed;
        EXPECT_TRUE(WaitUntil([] { return TrayTips() == std::vector<std::wstring>{Wide(TrayTip(true, true))}; }, 5000))
            << "the tray tip's failure line";
        PumpMessages(7000);  // past the first tick
        EXPECT_EQ(MissedReminders(program.id()), 0u) << "catching up is off";
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitExit(10000));
    }

    now = EarlyInAMinute(30);
    PutMissedReminder(now, true);
    Process program(ProgramPath());
    ASSERT_NE(StartAndWait(program), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return MissedReminders(program.id()) == 1; }, 10000));
    PumpMessages(8000);  // the first tick and more
    EXPECT_EQ(MissedReminders(program.id()), 1u) << "shown once";
    const Lines log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.rfind("      任务 1  提醒  ", 0) == 0 && l.find("——  补做（原定 ") != std::string::npos;
    }));
    const std::vector<HWND> reminders = ReminderWindows(program.id());
    bool namesTheMoment = false;
    for (HWND w : reminders)
        for (const std::wstring& text : ChildTexts(w)) namesTheMoment |= text.find(Wide("的提醒，电脑当时未运行本程序")) != std::wstring::npos;
    EXPECT_TRUE(namesTheMoment) << "the reminder says when it was due";
}

}  // namespace
