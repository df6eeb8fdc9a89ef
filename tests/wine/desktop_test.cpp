// Opening, killing and junk cleaning with the real Win32 calls, in the
// test's own prefix.
#include "actions/desktop.h"
#include "actions/junk_cleaner_win32.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/clock_win32.h"
#include "platform/system_calls_win32.h"
#include "platform/text_win32.h"
#include "tests/wine/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace driver;

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

std::wstring TestFolder() { return Wide(ExecutableFolder()); }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A cleaning list, UTF-8 after its byte-order mark.
std::wstring ReadList(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::wstring text(bytes.size(), L'\0');
    const int size = static_cast<int>(bytes.size());
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), size));
    return text;
}

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The real calls, with the program folder of the test's choosing.
class CallsInFolder : public Win32SystemCalls {
public:
    explicit CallsInFolder(std::wstring folder) : Win32SystemCalls(owner_), folder_(std::move(folder)) {}
    std::wstring ProgramFolder() override { return folder_; }

private:
    HWND owner_ = nullptr;
    std::wstring folder_;
};

TEST(Desktop, KillProcessByNameEndsEveryCopyOfThatProgramAndNothingElse) {
    const std::wstring helper = TestFolder() + L"tempiro_idle_helper.exe";
    const std::wstring victim = TempFolder() + Wide("关掉我.exe");
    const std::wstring bystander = TempFolder() + L"keepme.exe";
    ASSERT_TRUE(CopyFileW(helper.c_str(), victim.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(helper.c_str(), bystander.c_str(), FALSE));
    Process first(victim), second(victim), other(bystander);
    ASSERT_TRUE(first.started() && second.started() && other.started());

    Win32SystemCalls calls(nullptr);
    EXPECT_TRUE(EndProcessesByName("关掉我.EXE", calls).lastEnded);
    EXPECT_TRUE(first.WaitExit(5000));
    EXPECT_TRUE(second.WaitExit(5000));
    EXPECT_FALSE(other.WaitExit(500)) << "a program of another name was ended";
    EXPECT_FALSE(EndProcessesByName("关掉我.exe", calls).lastEnded) << "nothing is left to match";
}

// A cmd.exe in the current folder is never the one started.
TEST(Desktop, CleanSystemJunkRunsTheBatchOfAFolderWithABlankIntoItsList) {
    const std::wstring folder = L"C:\\Program Files\\" + Wide("定时 工具") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder + L"QLLJ.bat", "@echo off\r\necho first line\r\necho " + std::string("第二行") + "\r\n"));
    const std::wstring current = L"C:\\users\\Public\\current\\";
    ASSERT_TRUE(CreateDirectoryW(current.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((TestFolder() + L"tempiro_idle_helper.exe").c_str(), (current + L"cmd.exe").c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    CallsInFolder calls(folder);
    LocalTime now = Win32Clock().Now();
    CleanSystemJunk(false, now, calls);  // returns when the batch has finished
    const std::string list = ReadBytes(folder + JunkListName(now));
    EXPECT_NE(list.find("first line"), std::string::npos) << list;
    EXPECT_NE(list.find("第二行"), std::string::npos) << list;
}

// Every name is planted in both temporary folders, as a file and as a
// folder: names that once ran as commands in the batch, or ended it early.
// (Wine has no junctions; links are refused in the native tests.)
TEST(Desktop, TheShippedBatchEmptiesTheTemporaryFoldersAndNothingElse) {
    const std::wstring temp = TempFolder();
    wchar_t windows[MAX_PATH] = {};
    const std::wstring windowsTemp = std::wstring(windows, GetWindowsDirectoryW(windows, MAX_PATH)) + L"\\Temp\\";
    std::vector<std::wstring> planted = {temp + L"setup (1)\\f.txt", temp + L"sub\\hidden.dat",
                                         temp + L"sub\\deep\\deeper\\deep.dat", temp + L"한글😀.tmp",
                                         temp + Wide("临时 文件.log")};
    for (const std::wstring& folder : {temp, windowsTemp}) {
        for (const wchar_t* name : {L"y%&echo INJECTED-1", L"x)&echo INJECTED-2", L"a&echo INJECTED-3", L"c!d",
                                    L"b^&echo INJECTED-4", L"z&md injected-5", L"q%CMDCMDLINE%&echo INJECTED-6&"})
            planted.insert(planted.end(), {folder + name, folder + L"sub\\" + name + L"\\inner.txt"});
    }
    for (const std::wstring& file : planted) {
        for (size_t at = file.find(L'\\', 3); at != std::wstring::npos; at = file.find(L'\\', at + 1))
            CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
        ASSERT_TRUE(WriteBytes(file, "x")) << Narrow(file);
    }
    SetFileAttributesW((temp + L"sub\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    // A read-only document outside, and a second name of it inside, which shares its attributes.
    const std::wstring document = L"C:\\users\\Public\\" + Wide("报告.doc");
    ASSERT_TRUE(WriteBytes(document, "keep me"));
    ASSERT_TRUE(SetFileAttributesW(document.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateHardLinkW((temp + L"second-name.doc").c_str(), document.c_str(), nullptr));
    {
        Win32JunkFolders held;  // a held folder can be neither renamed nor removed; let go, it can
        ASSERT_EQ(held.HoldRoot(temp), JunkFolders::Opened::Held);
        ASSERT_EQ(held.HoldChild(L"sub"), JunkFolders::Opened::Held) << "opened relative to the held root";
        EXPECT_EQ(held.HoldChild(L"..\\sub"), JunkFolders::Opened::Missing) << "one name, never a path";
        EXPECT_FALSE(MoveFileW((temp + L"sub").c_str(), (temp + L"moved").c_str()));
        held.Release();
        held.Release();
        EXPECT_TRUE(MoveFileW((temp + L"sub").c_str(), (temp + L"moved").c_str()));
        MoveFileW((temp + L"moved").c_str(), (temp + L"sub").c_str());
    }

    const std::wstring folder = L"C:\\Program Files\\Tempiro\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((TestFolder() + L"QLLJ.bat").c_str(), (folder + L"QLLJ.bat").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (folder + L"Tempiro.exe").c_str(), FALSE));
    CallsInFolder calls(folder);
    LocalTime now = Win32Clock().Now();
    const std::optional<unsigned long> removed = CleanSystemJunk(false, now, calls);

    EXPECT_EQ(removed, planted.size()) << "the count reaches the run log through the batch's exit code";
    const std::wstring list = ReadList(folder + JunkListName(now));
    EXPECT_FALSE(Has(L"\n" + list, L"\nINJECTED")) << "a name ran as a command\n" << Narrow(list);
    for (const std::wstring& file : planted) {
        EXPECT_FALSE(Exists(file)) << Narrow(file);
        EXPECT_TRUE(Has(list, L"已删除：" + file + L"\r\n")) << Narrow(file) << "\n" << Narrow(list);
    }
    EXPECT_TRUE(Has(list, L"共删除 " + std::to_wstring(planted.size()) + L" 个文件。\r\n")) << Narrow(list);
    for (const std::wstring& place : {folder, temp, windowsTemp, std::wstring(L"C:\\"), TestFolder()})
        EXPECT_FALSE(Exists(place + L"injected-5")) << Narrow(place);
    EXPECT_TRUE(Exists(temp + L"sub\\deep\\deeper")) << "folders stay";
    EXPECT_EQ(ReadBytes(document), "keep me");
    EXPECT_TRUE(GetFileAttributesW(document.c_str()) & FILE_ATTRIBUTE_READONLY);

    // A second run right after finds nothing more to remove.
    now.second = (now.second + 1) % 60;
    EXPECT_EQ(CleanSystemJunk(false, now, calls), 0u);
    EXPECT_TRUE(Has(ReadList(folder + JunkListName(now)), L"共删除 0 个文件。"));
    EXPECT_EQ(ReadBytes(document), "keep me");
}

// The real program in a folder whose name GBK cannot hold, on an en-US
// system: the tray entry writes the list there, UTF-8, and opens it.
TEST(Desktop, TheTrayEntryCleansFromAFolderGbkCannotName) {
    const std::wstring parent = L"C:\\Zoë", folder = parent + L"\\한글\\", junk = TempFolder() + L"Zoë 한글😀.tmp";
    ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr) && CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((TestFolder() + L"QLLJ.bat").c_str(), (folder + L"QLLJ.bat").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (folder + L"Tempiro.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(junk, "x"));
    // The test prefix has Notepad but does not tie ".txt" to it.
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".txt", REG_SZ, L"txtfile", 0), ERROR_SUCCESS);
    Process program(folder + L"Tempiro.exe");
    HWND main = WaitForWindow(kMainWindowClass, L"", 20000, program.id());
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, kCmdCleanJunk, 0);
    WIN32_FIND_DATAW found{};
    ASSERT_TRUE(WaitUntil([&] {
        HANDLE find = FindFirstFileW((folder + L"清理系统垃圾列表*.txt").c_str(), &found);
        return find != INVALID_HANDLE_VALUE && FindClose(find) && Has(ReadList(folder + found.cFileName), L"共删除");
    }, 30000)) << "no list beside the program";
    EXPECT_EQ(ReadBytes(folder + found.cFileName).rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8, marked as such";
    EXPECT_TRUE(Has(ReadList(folder + found.cFileName), L"已删除：" + junk + L"\r\n"));
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<HWND> windows = TopWindows(L"", L"", 0);
        return std::any_of(windows.begin(), windows.end(), [&](HWND w) { return Has(Text(w), found.cFileName); });
    }, 30000)) << "the list was not opened";
}

}  // namespace
