// The countdown before a power action or the hang-up, in the running
// program. Suite Recorded runs TempiroRecording.exe, whose system calls are
// written to a file instead of made; suite RealHangUp runs the shipped
// program and gives it nothing but a hang-up.
#include "actions/network.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

// The cases share one prefix: each starts from a fresh state.
using Recorded = FreshPrefix;

using Lines = std::vector<std::string>;

bool AnyStartsWith(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

TEST_F(Recorded, ShutDownClosesProgramsAsItOpensCountsDownOnTopThenPowersOff) {
    ASSERT_TRUE(PutTaskDueEveryMinute("关闭计算机", 3));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([] { return RecordedCalls() == Lines{"CloseAllPrograms"}; }, 1000))
        << "the sweep comes as the countdown opens, before its end";
    EXPECT_EQ(Text(dialog), Wide("Windows 正在准备关机..."));
    EXPECT_EQ(Text(GetDlgItem(dialog, kBitBtn1)), Wide("立即关机"));
    EXPECT_EQ(Text(GetDlgItem(dialog, kBitBtn2)), Wide("取消关机"));
    EXPECT_EQ(Text(GetDlgItem(dialog, kLabel1)), Wide("要想取消关机，请按下<取消关机>按钮:剩余"));
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right - client.left, 401);
    EXPECT_EQ(client.bottom - client.top, 136);

    CountdownWatch watch = WatchCountdown(dialog);
    ASSERT_TRUE(watch.hid);
    ASSERT_GE(watch.remaining.size(), 2u) << "the label did not count";
    EXPECT_EQ(watch.remaining.front(), 3);
    EXPECT_TRUE(std::is_sorted(watch.remaining.rbegin(), watch.remaining.rend()) && watch.remaining.back() >= 0)
        << "the label counts down through \"<n> 秒\" only";
    EXPECT_TRUE(WaitUntil([] { return RecordedCalls().size() >= 2; }, 2000));
    EXPECT_EQ(RecordedCalls(), (Lines{"CloseAllPrograms", "ExitWindowsEx 12"}));
}

// A shutdown due with a folder backup that outlasts its countdown of three
// seconds waits on screen for the backup, and powers off after its last file.
TEST_F(Recorded, ShutDownWaitsForARunningBackupsLastFile) {
    const std::wstring source = L"C:\\大备份", target = L"C:\\备份到";
    constexpr int kFiles = 5000;
    CreateDirectoryW(source.c_str(), nullptr);
    const std::string content(16 * 1024, 'b');
    for (int i = 0; i < kFiles; ++i) {
        HANDLE file = CreateFileW((source + L"\\f" + std::to_wstring(i) + L".dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    ASSERT_TRUE(PutTaskDueEveryMinute("关闭计算机", 3));
    PutRecord(2, "每隔1分开始0时0分", "备份文件夹", Narrow(source) + "*" + Narrow(target) + "*1", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 2));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    const auto waiting = [&] {
        const std::wstring label = Text(GetDlgItem(dialog, kLabel1));
        return label.rfind(Wide("正在备份（已等0分"), 0) == 0 && label.ends_with(Wide("秒），完成后关机…剩余文件:"));
    };
    EXPECT_TRUE(WaitUntil(waiting, 8000)) << "the backup ended before the countdown: make it larger";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(AnyStartsWith(RecordedCalls(), "ExitWindowsEx"));
    ASSERT_TRUE(WaitUntil([] { return AnyStartsWith(RecordedCalls(), "ExitWindowsEx"); }, 120000));
    int copied = 0;
    for (int i = 0; i < kFiles; ++i)
        copied += GetFileAttributesW((target + L"\\f" + std::to_wstring(i) + L".dat").c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(copied, kFiles) << "powered off before the last file was in place";
    EXPECT_EQ(RecordedCalls(), (Lines{"CloseAllPrograms", "ExitWindowsEx 12"}));
}

// A key as the user presses it on the countdown: posted to the control with
// the focus, so that it reaches the program's own message loop.
void ExpectKeyCancels(WPARAM key) {
    ASSERT_TRUE(PutTaskDueEveryMinute("关闭计算机", 3));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    const DWORD shownAt = GetTickCount();
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    const DWORD threadId = GetWindowThreadProcessId(dialog, nullptr);
    const HWND cancel = GetDlgItem(dialog, kBitBtn2);
    EXPECT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(threadId, &thread) && thread.hwndFocus == cancel; }, 1000))
        << "the cancel button takes the focus";
    EXPECT_EQ(thread.hwndActive, dialog);
    PostMessageW(thread.hwndFocus ? thread.hwndFocus : dialog, WM_KEYDOWN, key, 0);

    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 2000));
    EXPECT_TRUE(WaitUntil([] { return TrayTips() == std::vector<std::wstring>{Wide(kTipDisabled)}; }, 5000));
    // Past the end the countdown would have had.
    PumpMessages(std::max<LONG>(0, 3000 + 1500 - static_cast<LONG>(GetTickCount() - shownAt)));
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_FALSE(AnyStartsWith(RecordedCalls(), "ExitWindowsEx")) << "the shutdown went ahead";
}

TEST_F(Recorded, EscOnTheCountdownCancelsItAndSwitchesMonitoringOff) { ExpectKeyCancels(VK_ESCAPE); }

TEST_F(Recorded, EnterOnTheCountdownCancelsItAndSwitchesMonitoringOff) { ExpectKeyCancels(VK_RETURN); }

// Runs a due hang-up with a countdown of `tishi` seconds to its end: nothing
// is told while the dialog shows, and `message` once it hid.
void ExpectHangUpTellsAfterTheCountdown(DWORD tishi, const std::string& message) {
    ASSERT_TRUE(PutTaskDueEveryMinute("断开拨号", tishi));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), Wide("Windows 正在准备断开拨号..."));
    EXPECT_EQ(Text(GetDlgItem(dialog, kBitBtn1)), Wide("立即断开拨号"));

    CountdownWatch watch = WatchCountdown(dialog);
    ASSERT_TRUE(watch.hid);
    EXPECT_EQ(watch.remindersWhileShown, 0u) << "told before the countdown's end";
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), message) == 1; }, 3000));
    EXPECT_FALSE(program.WaitExit(0));
}

TEST_F(Recorded, HangUpWithNoConnectionSaysSoAfterTheCountdownAndClosesNoPrograms) {
    ExpectHangUpTellsAfterTheCountdown(3, kNoDialupConnection);
    EXPECT_EQ(RecordedCalls(), Lines{"RasEnumConnections"});
}

// Wine's RasEnumConnectionsW is a stub that succeeds with no connection, so
// the real hang-up finds none either.
TEST(RealHangUp, CountsDownThenTellsThereIsNoConnection) { ExpectHangUpTellsAfterTheCountdown(2, kNoDialupConnection); }

}  // namespace
