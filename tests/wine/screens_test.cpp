// Pictures of the program's windows, for docs/screenshots. Not a test: each
// case opens windows as a user would and hands their rectangles to
// tests/wine/screenshots.sh, which photographs the display and answers.
// Without that script (TEMPIRO_SCREENS_DIR unset) the cases are skipped.
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

// The folder the script watches, as a Windows path on Wine's Z: drive.
std::wstring ShotsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TEMPIRO_SCREENS_DIR", folder, MAX_PATH)) return {};
    return L"Z:" + std::wstring(folder);
}

// Asks for a picture of `window` saved as <name>.png and waits until it is taken.
void Shoot(HWND window, const std::wstring& name) {
    // Everything painted, and the painting given time to reach the display.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(1000);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(window, &r));
    const std::string line = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                             std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
    const std::wstring base = ShotsFolder() + L"/" + name;
    HANDLE file = CreateFileW((base + L".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(MoveFileExW((base + L".part").c_str(), (base + L".rect").c_str(), MOVEFILE_REPLACE_EXISTING));
    const std::wstring done = base + L".done";
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000))
        << "no picture of " << Narrow(name);
}

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        if (ShotsFolder().empty()) GTEST_SKIP() << "pictures are taken by tests/wine/screenshots.sh";
    }

    // Starts the program and switches its tick off, so that nothing comes due
    // behind the windows being photographed.
    HWND StartQuiet(Process& program) {
        HWND main = StartAndWait(program);
        if (main) PostMessageW(main, WM_COMMAND, kCmdMonitor, 0);
        return main;
    }

    static void Exit(Process& program, HWND main) {
        PostMessageW(main, WM_COMMAND, kCmdExit, 0);
        EXPECT_TRUE(program.WaitExit(10000));
    }
};

TEST_F(Screens, SettingsAndEditors) {
    ASSERT_TRUE(PutRecords({
        {DailyText(8, 30), "提醒", "该开晨会了。", "启用"},
        {WeeklyText("5", 17, 30), "备份文件夹", BackupText("D:\\项目\\文档", "E:\\备份\\文档", true), "启用"},
        {DailyText(23, 0), "休眠计算机", "第2天7时30分唤醒", "禁用"},
        {MonthlyText("1", 9, 0), "打开文件", "C:\\音乐\\早安.mp3", "启用"},
        {AtBootText("0", "5"), "打开文件夹", "C:\\Users\\Public\\Documents", "启用"},
        {IdleText("30"), "关闭程序", "notepad.exe", "禁用"},
    }));
    Process program(ProgramPath());
    HWND main = StartQuiet(program);
    ASSERT_NE(main, nullptr);
    HWND settings = OpenSettings(main);
    ASSERT_NE(settings, nullptr);
    Shoot(settings, L"settings");

    HWND list = GetDlgItem(settings, kTaskList);
    const std::pair<int, const wchar_t*> editors[] = {{1, L"editor-backup"}, {2, L"editor-hibernate"}};
    for (const auto& [row, name] : editors) {
        ASSERT_TRUE(SelectListRow(list, row));
        HWND editor = OpenEditor(settings, "修改(&M)");
        ASSERT_NE(editor, nullptr);
        Shoot(editor, name);
        ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDCANCEL)));
    }
    ASSERT_TRUE(PressToClose(settings, GetDlgItem(settings, IDCANCEL)));
    Exit(program, main);
}

TEST_F(Screens, Reminder) {
    PutRecord(1, IntervalText("1", 0, 0), "提醒", "该休息一下了。", "启用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), "该休息一下了。") == 1; }, 15000));
    Shoot(ReminderWindows(program.id()).front(), L"reminder");
    Exit(program, main);
}

// The recording flavour only: the shutdown it counts down to is written down, not made.
TEST_F(Screens, Countdown) {
    ASSERT_TRUE(PutTaskDueEveryMinute("关闭计算机", 60));
    Process program(ProgramPath());
    HWND dialog = WaitForCountdown(program.id());
    ASSERT_NE(dialog, nullptr);
    HWND remaining = GetDlgItem(dialog, kLabel2);
    ASSERT_TRUE(WaitUntil([&] { return Text(remaining) == Wide("52 秒"); }, 15000));
    Shoot(dialog, L"countdown");
    Click(GetDlgItem(dialog, kBitBtn2));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000));
    Exit(program, dialog);
}

}  // namespace
