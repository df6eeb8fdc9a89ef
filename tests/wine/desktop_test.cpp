// Opening, killing and junk cleaning with the real Win32 calls, in the
// test's own prefix.
#include "actions/desktop.h"
#include "platform/clock_win32.h"
#include "platform/system_calls_win32.h"
#include "platform/text_win32.h"
#include "tests/wine/driver.h"

#include <gtest/gtest.h>

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

// The real calls, with the program folder of the test's choosing.
class CallsInFolder : public Win32SystemCalls {
public:
    explicit CallsInFolder(std::string folder) : Win32SystemCalls(owner_), folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }

private:
    HWND owner_ = nullptr;
    std::string folder_;
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
    EXPECT_TRUE(KillProcessByName("关掉我.EXE", calls));
    EXPECT_TRUE(first.WaitExit(5000));
    EXPECT_TRUE(second.WaitExit(5000));
    EXPECT_FALSE(other.WaitExit(500)) << "a program of another name was ended";
    EXPECT_FALSE(KillProcessByName("关掉我.exe", calls)) << "nothing is left to match";
}

TEST(Desktop, CleanSystemJunkRunsTheBatchOfAFolderWithABlankIntoItsList) {
    const std::wstring folder = L"C:\\Program Files\\" + Wide("定时 工具") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder + L"QLLJ.bat", "@echo off\r\necho first line\r\necho " + std::string("第二行") + "\r\n"));
    CallsInFolder calls(Narrow(folder));
    LocalTime now = Win32Clock().Now();
    CleanSystemJunk(false, now, calls);  // returns when the batch has finished
    const std::string list = ReadBytes(folder + Wide(JunkListName(now)));
    EXPECT_NE(list.find("first line"), std::string::npos) << list;
    EXPECT_NE(list.find("第二行"), std::string::npos) << list;
}

TEST(Desktop, TheShippedBatchEmptiesTheTemporaryFoldersAndNothingElse) {
    const std::wstring temp = TempFolder();
    ASSERT_TRUE(WriteBytes(temp + L"junk1.tmp", "x"));
    ASSERT_TRUE(WriteBytes(temp + Wide("临时 文件.log"), "x"));
    ASSERT_TRUE(CreateDirectoryW((temp + L"sub").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(temp + L"sub\\deep.dat", "x"));
    ASSERT_TRUE(WriteBytes(temp + L"sub\\hidden.dat", "x"));
    SetFileAttributesW((temp + L"sub\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring windowsTemp = std::wstring(windows) + L"\\Temp\\";
    CreateDirectoryW(windowsTemp.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(windowsTemp + L"system-junk.tmp", "x"));
    const std::wstring document = L"C:\\users\\Public\\" + Wide("报告.doc");
    ASSERT_TRUE(WriteBytes(document, "keep me"));

    const std::wstring folder = L"C:\\Program Files\\Tempiro\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((TestFolder() + L"QLLJ.bat").c_str(), (folder + L"QLLJ.bat").c_str(), FALSE));
    CallsInFolder calls(Narrow(folder));
    LocalTime now = Win32Clock().Now();
    CleanSystemJunk(false, now, calls);

    for (const std::wstring& gone : {temp + L"junk1.tmp", temp + Wide("临时 文件.log"), temp + L"sub\\deep.dat",
                                     temp + L"sub\\hidden.dat", windowsTemp + L"system-junk.tmp"})
        EXPECT_FALSE(Exists(gone)) << Narrow(gone);
    EXPECT_EQ(ReadBytes(document), "keep me");
    EXPECT_TRUE(Exists(temp + L"sub")) << "folders stay";
    const std::string list = ReadBytes(folder + Wide(JunkListName(now)));
    // The list is written in the console's code page; only the ASCII names are compared here.
    EXPECT_NE(list.find("已删除：" + Narrow(temp) + "junk1.tmp"), std::string::npos) << list;
    EXPECT_NE(list.find("sub\\deep.dat"), std::string::npos) << list;
    EXPECT_NE(list.find("共删除 5 个文件。"), std::string::npos) << list;

    // A second run right after finds nothing more to remove.
    now.second = (now.second + 1) % 60;
    CleanSystemJunk(false, now, calls);
    const std::string second = ReadBytes(folder + Wide(JunkListName(now)));
    EXPECT_NE(second.find("共删除 0 个文件。"), std::string::npos) << second;
    EXPECT_EQ(ReadBytes(document), "keep me");
}

}  // namespace
