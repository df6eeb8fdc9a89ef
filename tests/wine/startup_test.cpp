// The real program in a throwaway Wine prefix: start-up, the store, the
// single-instance guard, the tray icon, the hotkeys and the orderly end.
#include "app/main_window.h"
#include "windows/reminder_window_win32.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>

namespace {

using namespace driver;

bool TipsAre(const std::vector<std::wstring>& expected) {
    return WaitUntil([&] { return TrayTips() == expected; }, 10000);
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
    EXPECT_EQ(names, (std::vector<std::wstring>{L"TaskNum", L"banben", L"buzuo", L"kaiji", L"rejian", L"shutapp",
                                                L"soundpath", L"tishi", L"zuihou"}))
        << "the options, and the minute the program was last awake in";
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"buzuo"), 0u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"banben"), 0u);
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

    // The logon task's start of a second copy ends with no word.
    const DWORD logon = RunToEnd(L"\"" + ProgramPath() + L"\" /logon", 10000);
    EXPECT_EQ(logon, 0u) << "the copy started at logon did not end by itself";
    EXPECT_TRUE(IsWindow(main));
}

TEST(Startup, TrayIconHotkeysAndMonitoringSwitchLastUntilExit) {
    ASSERT_TRUE(CanRegisterHotkey(0, VK_F8)) << "F8 is taken before the program runs";
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);

    EXPECT_TRUE(TipsAre({Wide(kTipEnabled)}));
    // The hotkeys are registered after the icon is added.
    WaitUntil([] { return !CanRegisterHotkey(0, VK_F11); }, 5000);
    EXPECT_FALSE(CanRegisterHotkey(0, VK_F8));
    EXPECT_FALSE(CanRegisterHotkey(0, VK_F11));
    EXPECT_TRUE(CanRegisterHotkey(MOD_CONTROL, VK_F8)) << "without rejian the keys are plain";
    EXPECT_NE(GlobalFindAtomW(L"MyHotkeyF10"), 0);

    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(TipsAre({Wide(kTipDisabled)}));
    // After a taskbar restart the icon comes back as it was. A restarted
    // shell knows no icons: taking this one away here stands in for that.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = main;
    gone.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_TRUE(TipsAre({}));
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TipsAre({Wide(kTipDisabled)}));
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(TipsAre({Wide(kTipEnabled)}));

    PostMessageW(main, WM_COMMAND, kCmdExit, 0);
    ASSERT_TRUE(program.WaitExit(10000));
    EXPECT_TRUE(TipsAre({}));
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

// The open tray menu: a visible popup menu window of the program.
std::vector<HWND> OpenMenus(DWORD pid) {
    std::vector<HWND> menus = TopWindows(L"#32768", L"", pid);
    std::erase_if(menus, [](HWND menu) { return !IsWindowVisible(menu); });
    return menus;
}

TEST(Startup, TrayMenuOpensOnButtonDownOnly) {
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(TipsAre({Wide(kTipEnabled)}));

    for (LPARAM mouse : {WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONUP})
        PostMessageW(main, kTrayCallbackMessage, 0, mouse);
    // Posted messages are handled in order: once the switch's tip shows, the
    // notifications before it have been handled too (an open menu would
    // still pass the command through its loop and stay visible).
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    ASSERT_TRUE(TipsAre({Wide(kTipDisabled)}));
    EXPECT_TRUE(OpenMenus(program.id()).empty()) << "a notification other than a button press opened the menu";

    for (LPARAM mouse : {WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
        SCOPED_TRACE(mouse == WM_RBUTTONDOWN ? "WM_RBUTTONDOWN" : "WM_LBUTTONDOWN");
        PostMessageW(main, kTrayCallbackMessage, 0, mouse);
        std::vector<HWND> menus;
        EXPECT_TRUE(WaitUntil([&] { return !(menus = OpenMenus(program.id())).empty(); }, 5000));
        ASSERT_EQ(menus.size(), 1u);
        PostMessageW(menus[0], WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.id()).empty(); }, 5000)) << "Esc left the menu open";
    }
}

TEST(Startup, AnUnwritableStoreRunsItsTasksAndSaysOnceThatNothingCanBeSaved) {
    // The store key holds a task due every minute and lets everyone only
    // read it; the program's open for all access is refused, and it opens
    // the key for reading instead.
    PutRecord(1, "每隔1分开始0时0分", "提醒", "锁住的注册表里的提醒", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"tishi", 45));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStore.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                     nullptr));
    LONG secured = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly);
    LocalFree(readOnly);
    RegCloseKey(key);
    ASSERT_EQ(secured, ERROR_SUCCESS);
    ASSERT_FALSE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 0)) << "the key can still be written";
    ASSERT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 1u) << "the key cannot be read";
    ASSERT_TRUE(CanRegisterHotkey(0, VK_F8));

    Process program(ProgramPath());
    ASSERT_TRUE(program.started());
    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout, program.id());
    ASSERT_NE(main, nullptr);
    auto notices = [&] {
        return RemindersWith(program.id(), [](const std::wstring& text) {
            return text.rfind(Wide(kStoreReadOnlyNotice), 0) == 0;
        });
    };
    auto unavailable = [&] {
        return RemindersWith(program.id(), [](const std::wstring& text) {
            return text.rfind(Wide(kStoreUnavailableNotice), 0) == 0;
        });
    };
    EXPECT_TRUE(WaitUntil([&] { return notices() != 0; }, 10000));
    EXPECT_EQ(unavailable(), 0u) << "the key was read: the options are not the defaults";
    EXPECT_TRUE(TipsAre({Wide(kTipEnabled)}));
    EXPECT_TRUE(WaitUntil([] { return !CanRegisterHotkey(0, VK_F8); }, 5000));

    // The first tick, six seconds after start, reads the task from the locked key.
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "锁住的注册表里的提醒") == 1; }, 15000))
        << "the task of a readable key did not run";
    // More ticks go by: the notice belongs to start-up alone.
    EXPECT_FALSE(program.WaitExit(7000));
    EXPECT_EQ(notices(), 1u) << "the notice belongs to start-up alone, not to each tick";
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(TipsAre({Wide(kTipDisabled)}));
    PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(TipsAre({Wide(kTipEnabled)}));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi"), 45u);

    PostMessageW(main, WM_COMMAND, kCmdExit, 0);
    EXPECT_TRUE(program.WaitExit(10000));
}

}  // namespace
