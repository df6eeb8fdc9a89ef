#include "store/run_log.h"

#include "platform/fake_log_file.h"
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <thread>

namespace {

struct FixedClock : Clock {
    LocalTime now{2024, 3, 5, 15, 9, 5, 7};
    LocalTime Now() override { return now; }
    std::uint32_t TickCount() override { return 0; }
    std::uint32_t LastInputTick() override { return 0; }
    std::uint64_t UptimeMilliseconds() override { return 0; }
    std::string ShortDatePicture() override { return ""; }
};

TEST(RunLogTexts, EachOutcomeIsWordedAndMarkedAsTheLogShowsIt) {
    const BackupTally locked{1, 0, 1, {{"子\\锁住.txt", "另一个程序正在使用此文件。\r\n"}}, true};
    const BackupTally three{0, 0, 3, {{"a", "e1"}, {"b", "e2"}, {"c", "e3"}}, true};
    BackupTally four = three;
    four.failed = 4;
    const struct { Outcome outcome; const char* text; bool failed; } rows[] = {
        {OpenOutcome(std::nullopt), "已打开", false},
        {OpenOutcome("系统找不到指定的文件。\r\n"), "系统找不到指定的文件。  ", true},
        {KillOutcome(2, 0), "结束了 2 个进程", false},
        {KillOutcome(2, 1), "结束了 2 个进程，1 个未能结束", true},
        {DialOutcome(false), "拨号失败", true},
        {HangUpOutcome("断开成功", false), "断开成功", false},
        {HangUpOutcome("断开失败", true), "断开失败", true},
        {HangUpOutcome(std::nullopt, false), "无法列出拨号连接", true},
        {AdapterOutcome(0), "netsh 退出码 0", false},
        {AdapterOutcome(1), "netsh 退出码 1", true},
        {AdapterOutcome(std::nullopt), "无法启动 cmd.exe", true},
        {JunkOutcome(17), "删除了 17 个文件", false},
        {JunkOutcome(std::nullopt), "无法启动 cmd.exe", true},
        {PowerWaitedForBackups(), "等待备份结束后执行", false},
        {BackupOutcome({1, 2, 0, {}, true}), "复制 1 个，已是最新 2 个，失败 0 个", false},
        {BackupOutcome(locked), "复制 1 个，已是最新 0 个，失败 1 个：子\\锁住.txt（另一个程序正在使用此文件。  ）", true},
        {BackupOutcome(three), "复制 0 个，已是最新 0 个，失败 3 个：a（e1）；b（e2）；c（e3）", true},
        {BackupOutcome(four), "复制 0 个，已是最新 0 个，失败 4 个：a（e1）；b（e2）；c（e3）；…", true},
        {BackupOutcome({0, 5, 0, {}, false}), "复制 0 个，已是最新 5 个，失败 0 个；备份未能完成", true},
        {StartNote("2020.1.0", false), "Tempiro 2020.1.0 启动，未以管理员身份运行", false},
        {*ImportNote("C:\\设置.txt", ImportStatus::Imported, false, ""), "导入设置（追加）：C:\\设置.txt", false},
        {*ImportNote("C:\\a.txt", ImportStatus::NotSettingsFile, true, "不是"), "导入设置失败：C:\\a.txt  ——  不是", true},
        {StoreNote("无法打开\r\n拒绝访问"), "无法打开  拒绝访问", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.outcome.text, row.text);
        EXPECT_EQ(row.outcome.failed, row.failed) << row.text;
    }
    EXPECT_FALSE(ImportNote("C:\\设置.txt", ImportStatus::Cancelled, true, "").has_value());
}

TEST(RunLogTexts, ATaskLineShowsItsAttributeOnOneLineAndAtMostFortyCharacters) {
    const std::string forty = std::string(20, 'x') + "中文中文中文中文中文中文中文中文中文中文";  // 20 + 20 characters
    const std::string thirtyNine(39, 'y');
    const struct { TaskType type; std::string attribute; const char* shown; } rows[] = {
        {TaskType::Reminder, "该开会了\r\n带上本子", "该开会了  带上本子"},
        {TaskType::OpenFile, forty, "xxxxxxxxxxxxxxxxxxxx中文中文中文中文中文中文中文中文中文中文"},
        {TaskType::OpenFile, forty + "z", "xxxxxxxxxxxxxxxxxxxx中文中文中文中文中文中文中文中文中文中文…"},
        {TaskType::OpenFile, thirtyNine + "中", "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy中"},
        {TaskType::OpenFile, thirtyNine + "中文", "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy中…"},
        {TaskType::BackupFolder, "D:\\资料*E:\\备份\\资料*1", "D:\\资料 → E:\\备份\\资料"},
        {TaskType::BackupFile, "C:\\a.txt*D:\\b*0", "C:\\a.txt → D:\\b"},
        {TaskType::Dial, "", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(ShownAttribute(row.type, row.attribute), row.shown);

    EXPECT_EQ(RunLogLine(LocalTime{2024, 3, 5, 15, 9, 5, 7}, true, "任务 1"), "2024-03-15 09:05:07  失败  任务 1\r\n");
    EXPECT_EQ(RunLogLine(LocalTime{2024, 12, 0, 1, 23, 59, 0}, false, "x"), "2024-12-01 23:59:00        x\r\n");
}

class RunLogTest : public ::testing::Test {
protected:
    static constexpr std::uint64_t kLimit = 200;
    FakeLogFile file;
    FixedClock clock;
    RunLog log{file, clock, kLimit};
    const std::string mark = kRunLogMark;
    const std::string line = RunLogLine(clock.now, false, "x");
};

TEST_F(RunLogTest, AFileAtTheLimitKeepsItsLinesAndOneByteMoreTurnsItOver) {
    log.Note({"x"});
    EXPECT_EQ(file.current, mark + line) << "a new file starts with its mark";

    const std::string full(kLimit - line.size(), 'a');
    file.current = full;
    log.Note({"x"});
    EXPECT_EQ(file.current, full + line) << "exactly at the limit";
    EXPECT_FALSE(file.older.has_value());

    file.current = full + "b";
    log.Note({"x"});
    EXPECT_EQ(file.older, full + "b");
    EXPECT_EQ(file.current, mark + line);

    file.current = full + "c";
    log.Note({"x"});
    EXPECT_EQ(file.older, full + "c") << "the older file is replaced";
}

TEST_F(RunLogTest, WhenTheFileCannotBeTurnedOverTheLogStopsAtItsLimit) {
    const std::string full(kLimit - 2 * line.size(), 'a');
    file.current = full;
    file.rotationFails = true;
    log.Note({"x"});
    EXPECT_EQ(file.current, full + line) << "a line that fits goes in";
    log.Note({"x"});
    EXPECT_EQ(file.current, full + line + line) << "up to the last byte";
    log.Note({"x"});
    log.Note({"x"});
    EXPECT_EQ(file.current, full + line + line) << "and no further";
    EXPECT_FALSE(file.older.has_value());
    file.rotationFails = false;
    log.Note({"x"});
    EXPECT_EQ(file.older, full + line + line);
    EXPECT_EQ(file.current, mark + line);
}

TEST_F(RunLogTest, AFailedTaskIsToldUntilTheLogIsOpenedAndAnUnwritableFileStopsNothing) {
    int told = 0;
    log.WhenTaskFails([&] { ++told; });
    log.Task(1, TaskType::Reminder, "r", ReminderShown());
    log.Note({"注册表无法打开", true});
    EXPECT_FALSE(log.TaskFailed()) << "only a task's failure counts";
    log.Task(2, TaskType::OpenFile, "C:\\无.txt", OpenOutcome("找不到"));
    EXPECT_TRUE(log.TaskFailed());
    EXPECT_EQ(told, 1);

    log.Opening();
    EXPECT_FALSE(log.TaskFailed());
    EXPECT_NE(file.current->find("\r\n2024-03-15 09:05:07  失败  任务 2  打开文件  C:\\无.txt  ——  找不到\r\n"),
              std::string::npos);

    file.current.reset();
    log.Opening();
    EXPECT_EQ(file.current, mark) << "a missing log is made, holding its mark";

    file.broken = true;
    log.Task(3, TaskType::OpenFile, "x", OpenOutcome("找不到"));
    log.Opening();
    EXPECT_EQ(told, 2);
}

// Appends in two halves, letting other threads run in between: lines written
// without the lock would come apart.
class SlowFile : public FakeLogFile {
public:
    bool Append(const std::string& bytes) override {
        FakeLogFile::Append(bytes.substr(0, bytes.size() / 2));
        std::this_thread::yield();
        return FakeLogFile::Append(bytes.substr(bytes.size() / 2));
    }
};

TEST(RunLogThreads, LinesFromManyThreadsArriveWholeAndAll) {
    SlowFile file;
    FixedClock clock;
    RunLog log(file, clock);
    constexpr int kThreads = 6, kLines = 60;
    auto outcome = [](int i) { return Outcome{"第 " + std::to_string(i) + " 行"}; };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) log.Task(t, TaskType::BackupFolder, "C:\\源*D:\\目标*1", outcome(i));
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::set<std::string> expected, seen;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i)
            expected.insert(RunLogLine(clock.now, false, TaskLogText(t, TaskType::BackupFolder, "C:\\源*D:\\目标*1", outcome(i))));
    }
    std::istringstream lines(file.current->substr(3));
    size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) seen.insert(line + "\n");
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(count, expected.size());
}

}  // namespace

// The log's folder is used only when owned by a trusted account and no one
// else may change it; reading is anyone's.
TEST(RunLogFolder, IsUsedOnlyWhenOwnedAndChangeableByTrustedAccountsAlone) {
    const std::vector<std::string> trusted = {"S-1-5-18", "S-1-5-32-544"};
    const std::uint32_t read = 0x120089, fullControl = 0x1F01FF;
    std::vector<AccessEntry> own = {{"S-1-5-18", true, fullControl}, {"S-1-5-32-544", true, fullControl},
                                    {"S-1-5-32-545", true, read}, {"S-1-5-32-545", false, fullControl}};
    EXPECT_EQ(JudgeFolder("S-1-5-32-544", own, trusted), FolderTrust::Trusted);
    EXPECT_EQ(JudgeFolder("S-1-5-32-545", own, trusted), FolderTrust::ForeignOwner);
    EXPECT_EQ(JudgeFolder("S-1-5-32-54", own, trusted), FolderTrust::ForeignOwner);
    EXPECT_EQ(JudgeFolder("S-1-5-18", std::nullopt, trusted), FolderTrust::OthersMayChange) << "no list lets all in";
    EXPECT_EQ(JudgeFolder("S-1-5-18", std::vector<AccessEntry>{}, trusted), FolderTrust::Trusted);
    // Each right that changes the folder, alone, given to Users.
    for (std::uint32_t right : {0x2u, 0x4u, 0x40u, 0x10000u, 0x40000u, 0x80000u, 0x10000000u, 0x40000000u}) {
        std::vector<AccessEntry> loose = own;
        loose.push_back({"S-1-5-32-545", true, read | right});
        EXPECT_EQ(JudgeFolder("S-1-5-18", loose, trusted), FolderTrust::OthersMayChange) << right;
    }
}
