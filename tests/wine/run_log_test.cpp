// The run log of the recording flavour: the tasks of one minute write their
// lines, and the tray tip tells of a failure until the log is opened through
// the settings window.
#include "app/shell_texts.h"
#include "platform/log_file_win32.h"
#include "platform/text_win32.h"
#include "store/schedule_text.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

const std::wstring kLogPath = RunLogFolder() + L"\\运行记录.txt";

// "BOM" when the file starts with its mark, then each line after its time.
std::vector<std::wstring> LogLines() {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(kLogPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    char bytes[1 << 16];
    DWORD read = 0;
    ReadFile(file, bytes, sizeof bytes, &read, nullptr);
    CloseHandle(file);
    std::wstring text(read, L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(read), text.data(), static_cast<int>(read))));
    const bool marked = text.rfind(L"\xFEFF", 0) == 0;
    if (marked) lines.push_back(L"BOM");
    for (size_t start = marked ? 1 : 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start + 21, end - start - 21));
    return lines;
}

TEST(RunLog, TasksOfOneMinuteWriteTheirOutcomesAndTheTipTellsOfAFailureUntilTheLogIsOpened) {
    const std::string folder = "C:\\运行记录测试";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr) && CreateDirectoryW(Wide(folder + "\\源").c_str(), nullptr));
    CloseHandle(CreateFileW(Wide(folder + "\\源\\好.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    // Made and held open without sharing: the backup cannot read it.
    HANDLE locked = CreateFileW(Wide(folder + "\\源\\锁住.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    SYSTEMTIME now = EarlyInAMinute(20);
    const std::string due = DailyText(now.wHour, now.wMinute);
    ASSERT_TRUE(PutRecords({{due, "提醒", "记录里的提醒", "启用"},
                            {due, "备份文件夹", folder + "\\源*" + folder + "\\备份*1", "启用"},
                            {due, "打开文件", folder + "\\不存在.txt", "启用"}}));
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(WaitUntil([] { return LogLines().size() == 5; }, 30000)) << LogLines().size();
    CloseHandle(locked);
    const std::vector<std::wstring> lines = LogLines();
    EXPECT_EQ(lines[0], L"BOM");
    EXPECT_NE(lines[1].find(Wide("启动")), std::wstring::npos) << Narrow(lines[1]);
    for (const std::string& line : {
             std::string("      任务 1  提醒  记录里的提醒  ——  已显示"),
             "失败  任务 3  打开文件  " + folder + "\\不存在.txt  ——  " + SystemErrorText(ERROR_FILE_NOT_FOUND),
             "失败  任务 2  备份文件夹  " + folder + "\\源 → " + folder + "\\备份  ——  复制 1 个，已是最新 0 个，失败 1 个：锁住.txt（" +
                 SystemErrorText(ERROR_SHARING_VIOLATION) + "）"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), Wide(line)), lines.end()) << line;

    const std::vector<std::wstring> failedTip = {Wide(TrayTip(true, true))};
    EXPECT_TRUE(WaitUntil([&] { return TrayTips() == failedTip; }, 10000));
    PumpMessages(1000);
    EXPECT_EQ(TrayTips(), failedTip) << "the failure stays until the log is opened";
    HWND settings = OpenSettings(main);
    ASSERT_NE(settings, nullptr);
    Click(Button(settings, "运行记录(&L)"));
    EXPECT_TRUE(WaitUntil([] { return TrayTips() == std::vector<std::wstring>{Wide(kTipEnabled)}; }, 10000));
    const std::vector<std::string> calls = RecordedCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "ShellExecute " + Narrow(kLogPath)), calls.end());
}

}  // namespace

namespace {

// A second name planted as the log, for a file the user could not write:
// the program, elevated, must not write its lines through it.
TEST(RunLog, AHardLinkPlantedAsTheLogIsNeverWrittenThrough) {
    const std::wstring target = L"C:\\users\\Public\\win.ini";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "[fonts]\r\n", 9, &written, nullptr);
    CloseHandle(file);
    CreateDirectoryW(RunLogFolder().c_str(), nullptr);
    DeleteFileW(kLogPath.c_str());
    ASSERT_TRUE(CreateHardLinkW(kLogPath.c_str(), target.c_str(), nullptr));
    {
        Process program(ProgramPath());
        ASSERT_NE(StartAndWait(program), nullptr);  // its start line has been tried by now
        PumpMessages(1000);
    }
    HANDLE read = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(read, INVALID_HANDLE_VALUE);
    char bytes[256];
    DWORD size = 0;
    ReadFile(read, bytes, sizeof bytes, &size, nullptr);
    CloseHandle(read);
    EXPECT_EQ(std::string(bytes, size), "[fonts]\r\n");

    // The same start with the link gone writes its line: only the second name kept it out.
    ASSERT_TRUE(DeleteFileW(kLogPath.c_str()));
    Process again(ProgramPath());
    ASSERT_NE(StartAndWait(again), nullptr);
    EXPECT_TRUE(WaitUntil([] { return LogLines().size() >= 2; }, 5000));
}

}  // namespace
