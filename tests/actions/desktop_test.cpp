#include "actions/desktop.h"

#include "platform/recording_calls.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

class FakeDesktop : public RecordingCalls {
public:
    Log calls;
    std::vector<ProcessEntry> processes;
    std::vector<std::uint32_t> refuse;  // processes that cannot be ended
    FakeDesktop() : RecordingCalls([this](const std::string& line) { calls.push_back(line); }, L"C:\\Program Files\\Tempiro\\") {}
    std::vector<ProcessEntry> Processes() override { return processes; }
    bool Terminate(std::uint32_t id) override {
        calls.push_back("terminate " + std::to_string(id));
        return std::find(refuse.begin(), refuse.end(), id) == refuse.end();
    }
};

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t;
    t.year = year; t.month = month; t.day = day; t.hour = hour; t.minute = minute; t.second = second;
    return t;
}

TEST(OpenTarget, OpensInTheFolderUpToTheLastBackslashOrColon) {
    EXPECT_EQ(WorkingFolderOf("D:\\音乐\\歌.mp3"), "D:\\音乐\\");
    EXPECT_EQ(WorkingFolderOf("C:setup.exe"), "C:");
    EXPECT_EQ(WorkingFolderOf("readme.txt"), "");
    EXPECT_EQ(WorkingFolderOf("D:\\软件\\誠\\a.exe"), "D:\\软件\\誠\\") << "誠 ends in the byte of a backslash";
    FakeDesktop desktop;
    OpenTarget("http://example.invalid/a", desktop);
    OpenTarget("D:\\文档\\", desktop);
    EXPECT_EQ(desktop.calls, (Log{"ShellExecute open http://example.invalid/a in http:",
                                  "ShellExecute open D:\\文档\\ in D:\\文档\\"}));
}

TEST(KillProcessByName, MatchesTheFileNameOrTheWholeTextInAsciiUpperCase) {
    EXPECT_TRUE(ProcessMatches("APP.EXE", "app.exe"));
    EXPECT_TRUE(ProcessMatches("App.exe", "APP.exe"));
    EXPECT_TRUE(ProcessMatches("C:\\Tools\\app.exe", "APP.EXE")) << "by the file name of the executable";
    EXPECT_TRUE(ProcessMatches("C:\\Tools\\app.exe", "c:\\tools\\APP.exe")) << "by the whole text";
    EXPECT_FALSE(ProcessMatches("C:\\Tools\\app.exe", "tools\\app.exe"));
    EXPECT_FALSE(ProcessMatches("xapp.exe", "app.exe"));
    EXPECT_FALSE(ProcessMatches("app.exe ", "app.exe"));
    EXPECT_TRUE(ProcessMatches("记事本.exe", "记事本.EXE"));
    EXPECT_FALSE(ProcessMatches("记事本.exe", "记事.exe"));
    // The folding is byte-wise, second bytes of two-byte characters included.
    EXPECT_TRUE(ProcessMatches("\x81\x61.exe", "\x81\x41.EXE"));
    EXPECT_EQ(UpperAsciiBytes("az{`@AZ\x81\x7a"), "AZ{`@AZ\x81Z");
}

TEST(EndProcessesByName, EndsEveryMatchAndAnswersWithTheLastTermination) {
    FakeDesktop desktop;
    desktop.processes = {{4, "app.exe"}, {8, "notepad.exe"}, {15, "APP.EXE"}, {16, "xapp.exe"}, {23, "App.exe"}};
    desktop.refuse = {23};
    EXPECT_FALSE(EndProcessesByName("app.exe", desktop).lastEnded) << "the last one could not be ended";
    EXPECT_EQ(desktop.calls, (Log{"terminate 4", "terminate 15", "terminate 23"}));
    desktop.refuse.clear();
    EXPECT_TRUE(EndProcessesByName("APP.EXE", desktop).lastEnded);
    EXPECT_FALSE(EndProcessesByName("calc.exe", desktop).lastEnded);
    desktop.refuse = {4};
    const KillCount count = EndProcessesByName("app.exe", desktop);
    EXPECT_EQ(std::make_pair(count.matched, count.ended), std::make_pair(3, 2)) << "the run log's counts";
}

TEST(JunkCleaning, ListNamesHaveNoLeadingZerosSoDaysCanCoincide) {
    EXPECT_EQ(JunkListName(At(2021, 3, 7, 9, 5, 2)), L"清理系统垃圾列表202137_952.txt");
    EXPECT_EQ(JunkListName(At(2026, 1, 11, 0, 0, 0)), L"清理系统垃圾列表2026111_000.txt");
    EXPECT_EQ(JunkListName(At(2026, 11, 1, 0, 0, 0)), L"清理系统垃圾列表2026111_000.txt");
    EXPECT_EQ(JunkListName(At(2026, 12, 31, 23, 59, 59)), L"清理系统垃圾列表20261231_235959.txt");
}

// The program folder never passes through cmd.exe's parsing: the batch runs
// in it, and the command line names the batch and the list relative to it.
TEST(JunkCleaning, RunsTheBatchInTheProgramFolderAndOpensTheListOnlyWhenAsked) {
    FakeDesktop desktop;
    const std::string list = reinterpret_cast<const char*>(u8"清理系统垃圾列表202137_952.txt");  // recorded as UTF-8
    const std::string command = "CreateProcess %SystemRoot%\\System32\\cmd.exe /d /v:off /c \"\".\\QLLJ.bat\" > \"" +
                                list + "\"\" in C:\\Program Files\\Tempiro\\";
    CleanSystemJunk(false, At(2021, 3, 7, 9, 5, 2), desktop);
    EXPECT_EQ(desktop.calls, (Log{command}));
    desktop.calls.clear();
    CleanSystemJunk(true, At(2021, 3, 7, 9, 5, 2), desktop);
    EXPECT_EQ(desktop.calls, (Log{command, "ShellExecute open C:\\Program Files\\Tempiro\\" + list + " in C:\\Program Files\\Tempiro\\"}));
}

}  // namespace
