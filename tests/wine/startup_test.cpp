// The real program in a throwaway Wine prefix: start-up, the store, the
// single-instance guard, the tray icon, the hotkeys and the orderly end.
#include "app/main_window.h"
#include "actions/reminder.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

constexpr DWORD kStartTimeout = 20000;

// Starts the program and waits until start-up has loaded the options.
HWND StartAndWait(Process& program) {
    if (!program.started()) return nullptr;
    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout, program.id());
    WaitUntil([] { return ReadDword(HKEY_LOCAL_MACHINE, kStore, L"rejian").has_value(); }, kStartTimeout);
    return main;
}

TEST(Startup, FirstStartCreatesTheStoreWithTheSixDefaultsAndStaysHidden) {
    ASSERT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi").has_value()) << "the prefix is not fresh";
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(Text(main), Wide(kMainCaption));
    PumpMessages(500);
    EXPECT_TRUE(TopWindows(L"", Wide(kReminderCaption), program.id()).empty())
        << "an administrator with a writable store and kaiji 0 gets no notice";

    std::vector<std::wstring> names = ValueNames(HKEY_LOCAL_MACHINE, kStore);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"TaskNum", L"kaiji", L"rejian", L"shutapp", L"soundpath", L"tishi"}));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"shutapp"), 0u);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"soundpath"), L"");
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi"), 60u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 0u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"kaiji"), 0u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"rejian"), 0u);
}

TEST(Startup, StoredOptionsAndChineseTextsAreKeptAsTheyAre) {
    const std::wstring sound = Wide("C:\\声音\\警告.wav");
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"soundpath", sound));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"tishi", 30));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"kaiji", 1));
    const DWORD secondsSinceBoot = GetTickCount() / 1000;
    Process program(ProgramPath());
    ASSERT_NE(StartAndWait(program), nullptr);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"soundpath"), sound);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi"), 30u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 0u);

    // With kaiji = 1 the time since boot is shown only in the first five minutes.
    if (secondsSinceBoot > 295 && secondsSinceBoot < 305) GTEST_SKIP() << "started too near the five-minute mark";
    PumpMessages(1000);
    bool noticeShown = false;
    for (HWND w : TopWindows(L"", Wide(kReminderCaption), program.id())) {
        for (const std::wstring& text : ChildTexts(w))
            noticeShown = noticeShown || text.rfind(Wide("本次开机时间："), 0) == 0;
    }
    EXPECT_EQ(noticeShown, secondsSinceBoot < 300) << secondsSinceBoot << " s since boot";
}

TEST(Startup, SecondStartShowsTheNoticeAndTheFirstCopyStays) {
    Process first(ProgramPath());
    HWND main = StartAndWait(first);
    ASSERT_NE(main, nullptr);

    Process second(ProgramPath());
    ASSERT_TRUE(second.started());
    HWND notice = WaitForWindow(L"#32770", Wide(kAlreadyRunningTitle), kStartTimeout, second.id());
    ASSERT_NE(notice, nullptr);
    std::vector<std::wstring> texts = ChildTexts(notice);
    EXPECT_NE(std::find(texts.begin(), texts.end(), Wide(kAlreadyRunning)), texts.end());
    EXPECT_TRUE(TopWindows(kMainWindowClass, L"", second.id()).empty()) << "the second copy made no main window";

    Click(GetDlgItem(notice, IDOK));
    EXPECT_TRUE(second.WaitExit(10000));
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(TopWindows(kMainWindowClass).size(), 1u);
}

TEST(Startup, TrayIconHotkeysAndMonitoringSwitchLastUntilExit) {
    ASSERT_TRUE(CanRegisterHotkey(0, VK_F8)) << "F8 is taken before the program runs";
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);

    auto tipsAre = [](std::vector<std::wstring> expected) {
        return WaitUntil([&] { return TrayTips() == expected; }, 10000);
    };
    EXPECT_TRUE(tipsAre({Wide(kTipEnabled)}));
    // The hotkeys are registered after the icon is added.
    WaitUntil([] { return !CanRegisterHotkey(0, VK_F11); }, 5000);
    EXPECT_FALSE(CanRegisterHotkey(0, VK_F8));
    EXPECT_FALSE(CanRegisterHotkey(0, VK_F11));
    EXPECT_TRUE(CanRegisterHotkey(MOD_CONTROL, VK_F8)) << "without rejian the keys are plain";
    EXPECT_NE(GlobalFindAtomW(L"MyHotkeyF10"), 0);

    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(tipsAre({Wide(kTipDisabled)}));
    // After a taskbar restart the icon comes back as it was.
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    PumpMessages(500);
    EXPECT_TRUE(tipsAre({Wide(kTipDisabled)}));
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(tipsAre({Wide(kTipEnabled)}));

    PostMessageW(main, WM_COMMAND, kCmdExit, 0);
    ASSERT_TRUE(program.WaitExit(10000));
    EXPECT_TRUE(tipsAre({}));
    EXPECT_TRUE(CanRegisterHotkey(0, VK_F8));
    EXPECT_TRUE(CanRegisterHotkey(0, VK_F11));
    EXPECT_EQ(GlobalFindAtomW(L"MyHotkeyF8"), 0);
    EXPECT_EQ(GlobalFindAtomW(L"MyHotkeyF11"), 0);
}

TEST(Startup, CtrlHotkeysWhenRejianIsSet) {
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"rejian", 1));
    Process program(ProgramPath());
    ASSERT_NE(StartAndWait(program), nullptr);
    WaitUntil([] { return !CanRegisterHotkey(MOD_CONTROL, VK_F9); }, 5000);
    EXPECT_FALSE(CanRegisterHotkey(MOD_CONTROL, VK_F9));
    EXPECT_TRUE(CanRegisterHotkey(0, VK_F9));
}

}  // namespace
