// The program keeps doing its tasks: no stray key switches monitoring off,
// and options or a count of the wrong type in the store stop no task.
#include "app/shell_texts.h"
#include "app/tray_icon_win32.h"
#include "platform/text_win32.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

HWND Focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

TEST(KeepWord, EscAndEnterAfterTheTrayMenuChangeNothing) {
    SYSTEMTIME now = EarlyInAMinute(15);
    PutRecord(1, DailyText(now.wHour, now.wMinute), "提醒", "该喝水了", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = WaitForWindow(L"#32768", L"", 100, program.id())) != nullptr; }, 5000));
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    // The keys reach whichever window of the program has the focus now.
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        for (HWND target : {main, GetDlgItem(main, IDCANCEL)}) {
            PostMessageW(target, WM_KEYDOWN, key, 0);
            PostMessageW(target, WM_KEYUP, key, 0);
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "该喝水了") == 1; }, 20000));
    EXPECT_EQ(TrayTips(), std::vector<std::wstring>{Wide(kTipEnabled)});
}

TEST(KeepWord, ACountdownAndACountOfTheWrongTypeStopNoTask) {
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"tishi", L"abc"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", L"3"));
    PutRecord(1, "每天23时59分", "提醒", "不是现在", "启用");
    PutRecord(2, "每隔1分开始0时0分", "提醒", "每分钟的提醒", "启用");
    PutRecord(3, "每天23时58分", "打开文件", "C:\\a.txt", "禁用");
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    HWND settings = OpenSettings(main);
    ASSERT_NE(settings, nullptr) << "the settings window did not show";
    EXPECT_EQ(ListViewTexts(GetDlgItem(settings, kTaskList)).size(), 3u);
    EXPECT_EQ(Focused(settings), GetDlgItem(settings, kTaskList));
    EXPECT_EQ(Text(GetDlgItem(settings, kMinutesEdit)), L"1") << "the countdown kept its default";
    ASSERT_TRUE(PressToClose(settings, Button(settings, "取消(&C)")));
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "每分钟的提醒") == 1; }, 15000));

    settings = OpenSettings(main);
    ASSERT_NE(settings, nullptr);
    HWND editor = OpenEditor(settings, "添加(&A)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Focused(editor), GetDlgItem(editor, kTypeList)) << "no option ticks itself";
    Click(GetDlgItem(editor, kDailyOption));
    ChooseTaskType(editor, 0);
    ASSERT_TRUE(SetText(GetDlgItem(editor, kAttributeBox), Wide("第四个任务")));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"C4"), Wide("第四个任务"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"C1"), Wide("不是现在"));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 4u);
}

}  // namespace
