// "Tempiro.exe /import FILE [/append]" and "/export FILE": alone, and with
// the import handed to a running copy.
#include "app/main_window.h"
#include "platform/text_win32.h"
#include "app/command_line.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace driver;

std::wstring InTemp(const std::string& name, const std::string& text = "") {
    wchar_t folder[MAX_PATH] = {};
    const std::wstring path = std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + Wide(name);
    if (!text.empty()) std::ofstream(path.c_str(), std::ios::binary) << text;
    return path;
}

// The program run with `command`, the file in quotes, and `rest`; its exit code.
int Tempiro(const std::wstring& command, const std::wstring& file, const std::wstring& rest = L"") {
    return static_cast<int>(RunToEnd(L"\"" + ProgramPath() + L"\" " + command + L" \"" + file + L"\"" + rest));
}

const StoredTexts kOld = Record("每天9时0分", "提醒", "旧任务", "禁用");
const std::vector<std::string> kImported = {"每隔1分开始0时0分", "提醒", "从文件来的提醒", "启用"};

TEST(CommandLine, WithNoCopyRunningImportAndExportWorkAloneAndRefuseNearMisses) {
    ASSERT_TRUE(PutRecords({{"每天9时0分", "提醒", "旧任务", "禁用"}}));
    const std::wstring tasks = InTemp("任务 设置.txt", kEveryMinuteSettings);
    const std::vector<std::wstring> names = ValueNames(HKEY_LOCAL_MACHINE, kStore);
    EXPECT_EQ(Tempiro(L"/import", InTemp("notes.txt", "TaskNum =1\r\nA1=每天9时0分\r\n")), kExitNotSettingsFile);
    EXPECT_EQ(Tempiro(L"/import", InTemp("none.txt")), kExitNotOpened);
    EXPECT_EQ(Tempiro(L"/IMPORT", tasks, L" extra"), kExitUsage);
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, kStore) == names && StoredRecord(1) == kOld);

    EXPECT_EQ(Tempiro(L"/IMPORT", tasks), kExitDone);
    EXPECT_EQ(Tempiro(L"/import", tasks, L" /append"), kExitDone);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 2u);
    const StoredTexts imported = Record(kImported[0], kImported[1], kImported[2], kImported[3]);
    EXPECT_TRUE(StoredRecord(1) == imported && StoredRecord(2) == imported);
    EXPECT_TRUE(TopWindows(kMainWindowClass).empty()) << "no copy was left running";

    const std::wstring out = InTemp("导出.txt");
    EXPECT_EQ(Tempiro(L"/export", out), kExitDone);
    std::ifstream in(out.c_str(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("\r\ntishi=90\r\nshutapp=0\r\nTaskNum=2\r\n"), std::string::npos) << text;
}

TEST(CommandLine, AnImportHandedToTheRunningCopyShowsInItsWindowAndFiresThere) {
    ASSERT_TRUE(PutRecords({{"每天9时0分", "提醒", "旧任务", "禁用"}}));
    const std::wstring tasks = InTemp("tasks.txt", kEveryMinuteSettings);
    Process program(ProgramPath());
    HWND main = StartAndWait(program), settings = main ? OpenSettings(main) : nullptr;
    ASSERT_NE(settings, nullptr);

    // A hand-over whose path holds a zero is refused, as a message the window does not take.
    std::wstring zero = tasks + L'\0' + L"x";
    COPYDATASTRUCT hostile{kHandOverReplace, static_cast<DWORD>(2 * zero.size()), zero.data()};
    EXPECT_EQ(Send(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&hostile), -1), 0);
    EXPECT_EQ(StoredRecord(1), kOld);

    EXPECT_EQ(Tempiro(L"/import", tasks), kExitDone);
    const std::vector<std::wstring> row = Texts({"1", kImported[0], kImported[1], kImported[2], kImported[3]});
    EXPECT_EQ(ListViewTexts(GetDlgItem(settings, kTaskList)), std::vector<std::vector<std::wstring>>{row});
    EXPECT_EQ(Text(GetDlgItem(settings, kMinutesEdit)), L"1.5");
    EXPECT_EQ(Tempiro(L"/append /import", tasks), kExitDone);
    EXPECT_EQ(ListViewTexts(GetDlgItem(settings, kTaskList)).size(), 2u);

    // The tick rests while the window is open; closed, the imported reminder fires.
    ASSERT_TRUE(PressToClose(settings, Button(settings, "取消(&C)")));
    EXPECT_TRUE(WaitUntil([&] { return RemindersSaying(program.id(), kImported[2]) > 0; }, 80000));
}

// Another program that registers the main window's class and the mutex
// gets no file: "/import" says so with its own exit code, and neither the
// store nor the impostor learns anything.
TEST(CommandLine, AWindowOfTheClassInAnotherProgramGetsNoHandOver) {
    ASSERT_TRUE(PutRecords({{"每天9时0分", "提醒", "旧任务", "禁用"}}));
    const std::wstring tasks = InTemp("tasks.txt", kEveryMinuteSettings);
    wchar_t self[MAX_PATH] = {};
    const std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    Process impostor(folder.substr(0, folder.find_last_of(L'\\') + 1) + L"tempiro_window_helper.exe", L"/impostor");
    ASSERT_TRUE(WaitUntil([] {
        const std::vector<std::string> lines = TempFileLines(L"tempiro-helper.txt");
        return std::find(lines.begin(), lines.end(), "ready") != lines.end();
    }, 10000));
    ASSERT_NE(WaitForWindow(kMainWindowClass, L"", 5000, impostor.id()), nullptr);
    const std::vector<std::wstring> names = ValueNames(HKEY_LOCAL_MACHINE, kStore);
    EXPECT_EQ(Tempiro(L"/import", tasks), kExitNotOurCopy);
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, kStore) == names && StoredRecord(1) == kOld);
    const std::vector<std::string> lines = TempFileLines(L"tempiro-helper.txt");
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "handed"), lines.end()) << "the impostor was sent the file";
}

// With the copy running as well, the impostor's window standing first does
// not keep the file from the copy.
TEST(CommandLine, AWindowOfTheClassInAnotherProgramStandsNotInTheCopysWay) {
    ASSERT_TRUE(PutRecords({{"每天9时0分", "提醒", "旧任务", "禁用"}}));
    const std::wstring tasks = InTemp("tasks.txt", kEveryMinuteSettings);
    Process program(ProgramPath());
    ASSERT_NE(StartAndWait(program), nullptr);
    wchar_t self[MAX_PATH] = {};
    const std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    Process impostor(folder.substr(0, folder.find_last_of(L'\\') + 1) + L"tempiro_window_helper.exe", L"/impostor");
    ASSERT_NE(WaitForWindow(kMainWindowClass, L"", 10000, impostor.id()), nullptr);
    EXPECT_EQ(Tempiro(L"/import", tasks), kExitDone);
    EXPECT_EQ(StoredRecord(1), Record(kImported[0], kImported[1], kImported[2], kImported[3]));
    const std::vector<std::string> lines = TempFileLines(L"tempiro-helper.txt");
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "handed"), lines.end()) << "the impostor was sent the file";
}

}  // namespace
