#include "scheduler/scheduler.h"

#include "scheduler/keep_awake.h"
#include "scheduler/missed_runs.h"
#include "store/calendar.h"
#include "store/gbk.h"

#include "platform/fake_log_file.h"
#include "platform/fake_registry.h"
#include "store/options.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr char kStore[] = "Software\\Qelvora\\Tempiro";

class FakeClock : public Clock {
public:
    LocalTime now;
    std::uint32_t tick = 10 * 60000;
    std::uint32_t lastInput = 10 * 60000;
    std::uint64_t uptime = 10 * 60000;
    LocalTime Now() override { return now; }
    std::uint32_t TickCount() override { return tick; }
    std::uint32_t LastInputTick() override { return lastInput; }
    std::uint64_t UptimeMilliseconds() override { return uptime; }
    std::string ShortDatePicture() override { return "yyyy/M/d"; }
};

// Message timers on a simulated clock: an enabled timer fires every interval,
// counted from the moment it was switched on.
class SimTimers : public TimerSwitch {
public:
    std::int64_t nowMs = 0;
    std::int64_t next[kTimerCount] = {};
    std::vector<std::pair<TimerId, unsigned>> starts;

protected:
    void StartTimer(TimerId id, unsigned intervalMs) override {
        next[id] = nowMs + intervalMs;
        starts.push_back({id, intervalMs});
    }
    void StopTimer(TimerId) override {}
};

// Records every action, countdown and sound call in order. The countdown's
// bar and seconds are kept aside.
class Recorder : public TaskActions, public CountdownFace, public SoundPlayer {
public:
    std::vector<std::string> log;
    std::vector<std::string> remaining;
    int position = -1, maximum = -1;
    std::string label1;
    std::optional<std::int64_t> filesLeft;  // of the running backups
    std::int64_t filesFinished = 0;
    std::vector<std::string> running;
    std::vector<OutcomeReport> reports;  // of the tasks that report later
    Outcome ShowReminder(const std::string& m, const std::string& note) override { log.push_back("reminder:" + m + "|" + note); return ReminderShown(); }
    Outcome OpenTarget(const std::string& t) override { log.push_back("open:" + t); return OpenOutcome("找不到"); }
    Outcome KillProcessByName(const std::string& f) override { log.push_back("kill:" + f); return {}; }
    Outcome DialDefault() override { log.push_back("dial"); return DialOutcome(true); }
    Outcome CleanSystemJunk(bool openList) override { log.push_back(openList ? "clean:list" : "clean"); return {}; }
    void SetAdapterState(const std::string& c, bool e, OutcomeReport r) override { log.push_back((e ? "enable:" : "disable:") + c); reports.push_back(r); }
    void StartBackup(TaskType type, const std::string& spec, OutcomeReport r) override { log.push_back(std::string(TaskTypeName(type)) + ":" + spec); reports.push_back(r); }
    void CloseAllPrograms() override { log.push_back("closeall"); }
    void ExecutePowerAction(PowerAction action, const std::string& wake, const OutcomeReport& report) override {
        log.push_back(std::string("execute:") + RowOf(action).word + "|" + wake);
        report(PowerCarriedOut());
    }
    std::optional<std::int64_t> BackupFilesLeft() override { return filesLeft; }
    std::int64_t BackupFilesFinished() override { return filesFinished; }
    std::vector<std::string> RunningBackups() override { return running; }
    void MyChangeCaption(const CountdownTexts& texts) override {
        log.push_back("caption:" + texts.caption);
        label1 = texts.label1;
    }
    void ShowProgress(int p, int max) override { position = p; maximum = max; }
    void ShowRemaining(const std::string& text) override { remaining.push_back(text); }
    void Show() override { log.push_back("show"); }
    void Hide() override { log.push_back("hide"); }
    void ShowMonitoring(bool on) { log.push_back(on ? "monitoring:on" : "monitoring:off"); }
    void PlayLoop(const std::string& path) override { log.push_back("sound:" + path); }
    void Stop() override { log.push_back("sound:stop"); }
};

std::string Caption(const std::string& word) { return "caption:Windows 正在准备" + word + "..."; }

class SchedulerTest : public ::testing::Test {
protected:
    FakeRegistry backend;
    ProgramState state;
    FakeClock clock;
    SimTimers timers;
    Recorder recorder;
    Countdown countdown{state.options, clock, timers, recorder, recorder, recorder};
    FakeLogFile logFile;
    RunLog runLog{logFile, clock};
    Scheduler scheduler{state, clock, timers, recorder, countdown, &runLog};

    void SetUp() override {
        state.store = std::make_unique<TaskStore>(backend, state.options);
        scheduler.ShowMonitoringWith([this](bool on) { recorder.ShowMonitoring(on); });
        clock.now.year = 2030; clock.now.month = 1; clock.now.day = 14; clock.now.dayOfWeek = 1;
        clock.now.hour = 8; clock.now.minute = 30;
        timers.SetEnabled(kTimer1, true);
    }
    // Runs the timers for `ms` of simulated time from the current moment,
    // moving the clock along from 8:30:00 plus the time so far.
    void RunFor(std::int64_t ms) {
        const std::int64_t end = timers.nowMs + ms;
        for (;;) {
            TimerId first{};
            for (TimerId id : {kTimer1, kTimer2, kTimer3, kTimer4}) {
                if (timers.IsEnabled(id) && timers.next[id] <= end && (!first || timers.next[id] < timers.next[first]))
                    first = id;
            }
            if (!first) break;
            timers.nowMs = timers.next[first];
            timers.next[first] += kTimerIntervals[first];
            SetClock(timers.nowMs);
            if (first == kTimer1) scheduler.Timer1Timer();
            if (first == kTimer2) countdown.Timer2Timer();
            if (first == kTimer3) scheduler.Timer3Timer();
            if (first == kTimer4) scheduler.Timer4Timer();
        }
        timers.nowMs = end;
        SetClock(end);
    }
    void SetClock(std::int64_t ms) {
        clock.uptime = 10 * 60000 + static_cast<std::uint64_t>(ms);
        const std::int64_t seconds = 8 * 3600 + 30 * 60 + ms / 1000;
        clock.now.hour = static_cast<int>(seconds / 3600);
        clock.now.minute = static_cast<int>(seconds / 60 % 60);
        clock.now.second = static_cast<int>(seconds % 60);
    }
    // Adds record n and raises TaskNum to cover it.
    void Put(int n, const std::string& a, const std::string& b, const std::string& c = "",
             const std::string& d = "启用") {
        backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::Schedule, n), StringValue(a));
        backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::Type, n), StringValue(b));
        backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::Attribute, n), StringValue(c));
        backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::State, n), StringValue(d));
        state.options.TaskNum = std::max(state.options.TaskNum, n);
    }
    void Filler(int n) { Put(n, "每天23时59分", "提醒", "not now"); }
    // A reminder at 8:30 fired by a tick at 8:30:59.999, and a backup due at 8:31.
    void FireInTheLastMomentOf830() {
        Put(1, "每天8时30分", "提醒", "first");
        Put(2, "每天8时31分", "备份文件夹", "D:\\a*E:\\b*1");
        timers.next[kTimer1] = 59999;
        RunFor(59999);
        ASSERT_EQ(recorder.log.size(), 1u);
    }
    using Log = std::vector<std::string>;
    // The run log's lines from the `from`th on, after their times: the failure column and the text.
    Log Logged(size_t from = 0) const {
        Log lines;
        for (size_t start = 3, end; (end = logFile.current->find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(logFile.current->substr(start + 21, end - start - 21));
        return Log(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end());
    }
};

TEST_F(SchedulerTest, NoRecordsOnlyOpensAndClosesTheStore) {
    scheduler.Timer1Timer();
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_EQ(backend.queries, 0);
    EXPECT_EQ(backend.openKeys(), 0);
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
}

TEST_F(SchedulerTest, TwoRemindersInOneTickOpenInOrderThenTheTickPauses) {
    Filler(1); Put(2, "每天8时30分", "提醒", "第一"); Filler(3); Filler(4); Put(5, "每周1日8时30分", "提醒", "第二");
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log, (Log{"reminder:第一|每天8时30分", "reminder:第二|每周1日8时30分"}));
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    EXPECT_TRUE(timers.IsEnabled(kTimer3));
    EXPECT_EQ(backend.writes, 0) << "the tick never writes";
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST(TimerSwitch, RunsTheDesignsIntervalsAndRestartsOnlyWhenSwitchedOn) {
    SimTimers t;
    t.SetEnabled(kTimer1, true);
    t.SetEnabled(kTimer2, true);
    t.SetEnabled(kTimer3, true);
    t.nowMs = 500;
    t.SetEnabled(kTimer1, true);  // already running: it keeps its rhythm
    t.SetEnabled(kTimer3, true);
    EXPECT_EQ(t.starts, (std::vector<std::pair<TimerId, unsigned>>{{kTimer1, 6000}, {kTimer2, 1000}, {kTimer3, 60000}}));
    EXPECT_EQ(t.next[kTimer1], 6000);
    t.SetEnabled(kTimer1, false);
    t.SetEnabled(kTimer1, false);
    EXPECT_FALSE(t.IsEnabled(kTimer1));
    t.SetEnabled(kTimer1, true);
    EXPECT_EQ(t.next[kTimer1], 6500) << "switched on again, the interval starts afresh";
}

TEST_F(SchedulerTest, ATaskDueEveryMinuteFiresOnceInEachMinuteForAnHour) {
    Put(1, "每隔1分开始0时0分", "提醒", "every minute");
    RunFor(6000);  // the first tick, 8:30:06
    ASSERT_EQ(recorder.log.size(), 1u);
    // The re-arm comes a minute after the firing tick, at 8:31:06, and
    // judges the tasks at once.
    RunFor(59999);
    EXPECT_EQ(recorder.log.size(), 1u);
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    RunFor(1);
    EXPECT_EQ(recorder.log.size(), 2u);
    // No minute is passed over: 8:30:06, 8:31:06, ... 9:29:06.
    RunFor(3600000 - 66000);
    EXPECT_EQ(recorder.log.size(), 60u);
}

TEST_F(SchedulerTest, TheMinuteAfterAFiringIsJudgedEvenWhenTheFiringCameInItsLastMoment) {
    FireInTheLastMomentOf830();
    EXPECT_EQ(timers.next[kTimer3], 119999);
    // Its message a little late, at 8:32:00.004: still judged as of 8:31:59.999.
    clock.uptime = 10 * 60000 + 119999 + 5;
    clock.now.minute = 32;
    clock.now.second = 0;
    scheduler.Timer3Timer();
    EXPECT_EQ(recorder.log, (Log{"reminder:first|每天8时30分", "备份文件夹:D:\\a*E:\\b*1"}));
    EXPECT_TRUE(timers.IsEnabled(kTimer3)) << "the backup paused the tick again";
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
}

TEST_F(SchedulerTest, ARearmHeldUpByATickStillJudgesTheMinuteAfter) {
    FireInTheLastMomentOf830();
    clock.uptime = 10 * 60000 + 119999 + 6000;  // 8:32:05.999
    clock.now.minute = 32;
    clock.now.second = 5;
    scheduler.Timer3Timer();
    EXPECT_EQ(recorder.log.size(), 2u);
}

TEST_F(SchedulerTest, ARearmHeldUpLongerThanATickJudgesTheTasksAsTheyStandNow) {
    FireInTheLastMomentOf830();
    // A machine that slept through the pause: 8:32:06.
    clock.uptime = 10 * 60000 + 119999 + 6001;
    clock.now.minute = 32;
    clock.now.second = 6;
    scheduler.Timer3Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
}

TEST(NextMinute, CarriesIntoHoursDaysMonthsYearsAndTheWeekday) {
    auto at = [](int y, int mo, int d, int h, int mi, int dow) {
        LocalTime t;
        t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.dayOfWeek = dow, t.second = 59;
        return t;
    };
    auto same = [](const LocalTime& a, const LocalTime& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
               a.minute == b.minute && a.dayOfWeek == b.dayOfWeek && a.second == b.second;
    };
    EXPECT_TRUE(same(NextMinute(at(2030, 1, 14, 8, 30, 1)), at(2030, 1, 14, 8, 31, 1)));
    EXPECT_TRUE(same(NextMinute(at(2030, 1, 14, 8, 59, 1)), at(2030, 1, 14, 9, 0, 1)));
    EXPECT_TRUE(same(NextMinute(at(2030, 1, 31, 23, 59, 4)), at(2030, 2, 1, 0, 0, 5)));
    EXPECT_TRUE(same(NextMinute(at(2030, 2, 28, 23, 59, 4)), at(2030, 3, 1, 0, 0, 5)));
    EXPECT_TRUE(same(NextMinute(at(2032, 2, 28, 23, 59, 6)), at(2032, 2, 29, 0, 0, 0)));
    EXPECT_TRUE(same(NextMinute(at(2032, 2, 29, 23, 59, 0)), at(2032, 3, 1, 0, 0, 1)));
    EXPECT_TRUE(same(NextMinute(at(2100, 2, 28, 23, 59, 0)), at(2100, 3, 1, 0, 0, 1)));
    EXPECT_TRUE(same(NextMinute(at(2030, 4, 30, 23, 59, 2)), at(2030, 5, 1, 0, 0, 3)));
    EXPECT_TRUE(same(NextMinute(at(2030, 12, 31, 23, 59, 2)), at(2031, 1, 1, 0, 0, 3)));
    // Every month's last day carries into the next month, the day before it
    // does not; the weekday is the calendar's.
    const int lastDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    auto weekday = [](int m, int d) { return calendar::WeekdayOf(calendar::DayNumber(2030, m, d)); };
    for (int month = 1; month <= 11; ++month) {
        const int last = lastDays[month - 1];
        EXPECT_TRUE(same(NextMinute(at(2030, month, last, 23, 59, weekday(month, last))),
                         at(2030, month + 1, 1, 0, 0, weekday(month + 1, 1)))) << month;
        EXPECT_TRUE(same(NextMinute(at(2030, month, last - 1, 23, 59, weekday(month, last - 1))),
                         at(2030, month, last, 0, 0, weekday(month, last)))) << month;
    }
}

TEST_F(SchedulerTest, TwoImmediateTasksInOneTickStartTheRearmOnce) {
    Put(1, "每天8时30分", "提醒", "one");
    Put(2, "每天8时30分", "打开文件", "two.txt");
    RunFor(6000);
    EXPECT_EQ(std::count(timers.starts.begin(), timers.starts.end(), std::make_pair(kTimer3, 60000u)), 1);
    EXPECT_EQ(timers.next[kTimer3], 66000);
}

TEST_F(SchedulerTest, TheRearmLeavesARunningTickInItsRhythm) {
    timers.nowMs = 3000;
    timers.SetEnabled(kTimer3, true);
    timers.nowMs = 4000;
    scheduler.Timer3Timer();
    EXPECT_EQ(timers.next[kTimer1], 6000);
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
}

TEST_F(SchedulerTest, DisabledEmptyAndUnknownRecordsNeverAct) {
    Put(1, "每天8时30分", "提醒", "off", "禁用");
    Put(2, "每天8时30分", "提醒", "no state", "");
    Put(3, "每天8时30分", "", "no type");
    Put(4, "每天8时30分", "闹钟", "unknown type");
    Put(5, "", "提醒", "no schedule");
    Put(6, "每天8时30分", "提醒 ", "trailing blank");
    Put(7, "每天8时30分", "提醒", "wrong-case state", "启用 ");
    scheduler.Timer1Timer();
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_TRUE(timers.IsEnabled(kTimer1)) << "nothing fired, so the tick neither pauses nor opens a countdown";
    EXPECT_FALSE(timers.IsEnabled(kTimer2));
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
}

TEST_F(SchedulerTest, ABadRecordDoesNotStopTheOthers) {
    Put(1, "每天8时30分", "提醒", "first");
    backend.Put(RegRoot::LocalMachine, kStore, "A2", DwordValue(5));  // not a string
    Put(3, "每周x日8时30分", "提醒", "letters");
    Put(4, "每隔0分开始8时30分", "提醒", "zero");
    Put(5, "每天8时30分", "提醒", "last");
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log, (Log{"reminder:first|每天8时30分", "reminder:last|每天8时30分"}));
}

TEST_F(SchedulerTest, RecordsBeyondTaskNumAreNotRead) {
    Put(1, "每天8时30分", "提醒", "one");
    Put(2, "每天8时30分", "提醒", "two");
    state.options.TaskNum = 1;  // the in-memory count rules; the store is not reread
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log, (Log{"reminder:one|每天8时30分"}));
}

TEST_F(SchedulerTest, AHugeTaskNumWalksOnlyAsFarAsTheKeyHoldsValues) {
    Put(1, "每天8时30分", "提醒", "one");
    Put(2, "每天9时0分", "提醒", "two");
    Put(3, "每天8时30分", "提醒", "three");
    state.options.TaskNum = 2147483647;  // twelve values in the key
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log, (Log{"reminder:one|每天8时30分", "reminder:three|每天8时30分"}));
    EXPECT_EQ(backend.valueCounts, 1) << "the count is asked once a tick";
    EXPECT_LE(backend.queries, 2 * 12 + 4) << "A and D of at most twelve numbers, B and C of the two due ones";
    EXPECT_EQ(backend.openKeys(), 0);

    // Thirteen values: record 13 lies within the bound and fires.
    recorder.log.clear();
    scheduler.Timer3Timer();
    backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::Schedule, 13), StringValue("每天8时30分"));
    backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::Type, 13), StringValue("提醒"));
    backend.Put(RegRoot::LocalMachine, kStore, TaskValueName(TaskField::State, 13), StringValue("启用"));
    state.options.TaskNum = 13;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.back(), "reminder:|每天8时30分") << "the record at the bound itself is read";
}

TEST_F(SchedulerTest, ALargeTaskNumOverAnEmptyKeyReadsNothing) {
    state.options.TaskNum = 100000;
    backend.Put(RegRoot::LocalMachine, kStore, "TaskNum", DwordValue(100000));
    scheduler.Timer1Timer();
    EXPECT_LE(backend.queries, 2) << "one value in the key: one number at most";
    state.options.TaskNum = -1;
    backend.queries = 0;
    scheduler.Timer1Timer();
    EXPECT_EQ(backend.queries, 0);
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(SchedulerTest, ABootTaskCountsTheUptimePastTheTickCountsWrap) {
    Put(1, "开机0时30分", "提醒", "boot");
    clock.uptime = 30 * 60000;
    scheduler.Timer1Timer();
    ASSERT_EQ(recorder.log.size(), 1u);
    scheduler.Timer3Timer();
    // 49.7 days on, the 32-bit tick count is at 30 minutes again; the uptime is not.
    clock.uptime += 0x100000000ull;
    clock.tick = 30 * 60000;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 1u) << "a boot task fired again when the tick count wrapped";
}

TEST_F(SchedulerTest, ImmediateTypesRunTheirActionWithC) {
    Put(1, "每天8时30分", "打开文件", "http://example.invalid/");
    Put(2, "每天8时30分", "打开文件夹", "D:\\文档");
    Put(3, "每天8时30分", "关闭程序", "C:\\Program Files\\誠\\app.exe");
    Put(4, "每天8时30分", "拨号连接", "ignored");
    Put(5, "每天8时30分", "清理系统垃圾");
    Put(6, "每天8时30分", "禁用网卡", "本地连接");
    Put(7, "每天8时30分", "启用网卡", "以太网");
    Put(8, "每天8时30分", "备份文件", "D:\\a.xls*E:\\bak*1");
    Put(9, "每天8时30分", "备份文件夹", "D:\\分公司*E:\\备份\\分公司*0");
    Put(10, "每天8时30分", "关闭程序", "qq.exe");
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log, (Log{"open:http://example.invalid/", "open:D:\\文档", "kill:app.exe", "dial", "clean",
                                 "disable:本地连接", "enable:以太网", "备份文件:D:\\a.xls*E:\\bak*1",
                                 "备份文件夹:D:\\分公司*E:\\备份\\分公司*0", "kill:qq.exe"}));
    EXPECT_FALSE(countdown.PendingPowerAction());
}

TEST_F(SchedulerTest, EachFiredTaskGetsItsLineOnceItsOutcomeIsKnown) {
    Put(1, "每天8时30分", "提醒", "开会");
    Put(2, "每天8时30分", "打开文件", "C:\\无.txt");
    Put(3, "每天8时30分", "备份文件夹", "D:\\a*E:\\b*1");
    Put(4, "每天8时30分", "禁用网卡", "本地连接");
    Put(5, "每天8时30分", "拨号连接", "ignored");
    scheduler.Timer1Timer();
    EXPECT_EQ(Logged(), (Log{"      任务 1  提醒  开会  ——  已显示", "失败  任务 2  打开文件  C:\\无.txt  ——  找不到",
                             "      任务 5  拨号连接  ——  已拨号"}));
    ASSERT_EQ(recorder.reports.size(), 2u) << "the backup and the netsh report when they end";
    recorder.reports[1](AdapterOutcome(1));
    recorder.reports[0](BackupOutcome(BackupTally{3, 0, 0, {}, true}));
    EXPECT_EQ(Logged(3),
              (Log{"失败  任务 4  禁用网卡  本地连接  ——  netsh 退出码 1",
                   "      任务 3  备份文件夹  D:\\a → E:\\b  ——  复制 3 个，已是最新 0 个，失败 0 个"}));

    // A power task's line comes at its countdown's end; a countdown from the tray writes none.
    Put(6, "每天8时31分", "关闭计算机");
    RunFor(60000);
    ASSERT_TRUE(countdown.Counting());
    countdown.BitBtn2Click();
    countdown.Open({PowerAction::Standby, ""});
    countdown.BitBtn1Click();
    Put(7, "每天8时32分", "注销计算机");
    Put(8, "每天8时32分", "休眠计算机", "第2天7时5分唤醒");
    scheduler.SetMonitoring(true);
    RunFor(60000);
    countdown.BitBtn1Click();
    EXPECT_EQ(Logged(5),
              (Log{"      任务 6  关闭计算机  ——  已取消", "      任务 7  注销计算机  ——  未执行，由同一分钟的下一个电源任务取代",
                   "      任务 8  休眠计算机  第2天7时5分唤醒  ——  已执行"}));
}

TEST(FileNamePart, TakesTheTextAfterTheLastBackslashOrColonGbkAware) {
    EXPECT_EQ(FileNamePart("C:\\Windows\\notepad.exe"), "notepad.exe");
    EXPECT_EQ(FileNamePart("C:notepad.exe"), "notepad.exe");
    EXPECT_EQ(FileNamePart("notepad.exe"), "notepad.exe");
    EXPECT_EQ(FileNamePart("C:\\dir\\"), "");
    // 誠 is D5 5C in GBK: its second byte is a backslash, which is not a folder end.
    EXPECT_EQ(FileNamePart("C:\\软件\\誠.exe"), "誠.exe");
    // The lowest lead byte, 0x81, with a backslash as its trail byte.
    EXPECT_EQ(FileNamePart("C:\\a\\\x81\\b.exe"), "\x81\\b.exe");
}

TEST_F(SchedulerTest, ACountdownTypeStoresItsWordAndOpensTheCountdown) {
    state.options.soundpath = "C:\\警告.wav";
    Put(1, "每天8时30分", "关闭计算机");
    scheduler.Timer1Timer();
    EXPECT_EQ(countdown.PendingPowerAction(), PowerAction::ShutDown);
    EXPECT_EQ(recorder.log, (Log{Caption("关机"), "show", "sound:C:\\警告.wav", "closeall"}));
    EXPECT_EQ(std::make_pair(recorder.position, recorder.maximum), std::make_pair(0, 60)) << "an empty bar";
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    EXPECT_TRUE(timers.IsEnabled(kTimer2));
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
}

// Every power type opens the countdown with its word and carries out that
// word's action; close requests go out first as shown for shutapp 0, 1, 2.
TEST_F(SchedulerTest, EachPowerTypeShowsItsWordAndClosesProgramsByShutapp) {
    struct Case {
        const char* type;
        const char* word;
        const char* closes;  // for shutapp 0, 1, 2
    };
    const Case cases[] = {
        {"注销计算机", "注销", "yyy"}, {"待机计算机", "待机", "-y-"}, {"休眠计算机", "休眠", "-y-"},
        {"重启计算机", "重启", "yyy"}, {"关闭计算机", "关机", "yyy"}, {"快速重启", "快速重启", "yyy"},
        {"快速关机", "快速关机", "yyy"}, {"断开拨号", "断开拨号", "---"},
    };
    static_assert(std::size(cases) == kPowerActionCount);
    for (const Case& c : cases) {
        for (std::int32_t shutapp = 0; shutapp <= 2; ++shutapp) {
            recorder.log.clear();
            state.options.shutapp = shutapp;
            ++clock.now.minute;  // each in a minute of its own: a countdown's minute stays quiet
            Put(1, "每隔1分开始0时0分", c.type, "");
            scheduler.Timer1Timer();
            ASSERT_FALSE(recorder.log.empty()) << c.type;
            EXPECT_EQ(recorder.log.front(), Caption(c.word));
            EXPECT_EQ(recorder.log.back() == "closeall", c.closes[shutapp] == 'y') << c.type << " shutapp " << shutapp;
            countdown.BitBtn1Click();
            EXPECT_EQ(recorder.log.back(), std::string("execute:") + c.word + "|") << c.type;
        }
    }
}

TEST_F(SchedulerTest, AHibernateTaskCarriesItsWakeText) {
    Put(1, "每天8时30分", "休眠计算机", "第2天7时5分唤醒");
    scheduler.Timer1Timer();
    EXPECT_EQ(countdown.PendingPowerAction(), PowerAction::Hibernate);
    EXPECT_EQ(countdown.WakeSpec(), "第2天7时5分唤醒");
    countdown.BitBtn1Click();
    EXPECT_EQ(recorder.log.back(), "execute:休眠|第2天7时5分唤醒") << "carried out with the text it was opened with";
    EXPECT_FALSE(countdown.PendingPowerAction()) << "kept only while it runs";
    EXPECT_EQ(countdown.WakeSpec(), "");
}

TEST_F(SchedulerTest, ACountdownOnScreenKeepsItsWordAndHoldsTheTickUntilItsEnd) {
    state.options.tishi = 90;
    Put(1, "每天8时30分", "重启计算机");
    Put(2, "每天8时30分", "提醒", "later");
    RunFor(6000);
    EXPECT_EQ(countdown.PendingPowerAction(), PowerAction::Restart) << "an immediate task later in the tick leaves it alone";
    EXPECT_TRUE(timers.IsEnabled(kTimer3));
    RunFor(60000);  // the re-arm comes while the countdown still counts
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
    EXPECT_FALSE(timers.IsEnabled(kTimer1)) << "the re-arm restarted the tick under a running countdown";
    RunFor(29999);
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), Caption("重启")), 1);
    RunFor(1);
    EXPECT_EQ(recorder.log.back(), "execute:重启|");
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
}

TEST(CountdownTexts, TheDialogIsRewrittenForItsWord) {
    CountdownTexts texts = CountdownTextsFor("断开拨号");
    EXPECT_EQ(texts.actNow, "立即断开拨号");
    EXPECT_EQ(texts.cancel, "取消断开拨号");
    EXPECT_EQ(texts.label1, "要想取消断开拨号，请按下<取消断开拨号>按钮:剩余");
    EXPECT_EQ(texts.caption, "Windows 正在准备断开拨号...");
}

TEST_F(SchedulerTest, CountdownOfTenSecondsCountsNineToZeroAndActsOnTheTenthStep) {
    state.options.tishi = 10;
    state.options.soundpath = "w.wav";
    Put(1, "每天8时30分", "关闭计算机");
    RunFor(6000);
    EXPECT_EQ(recorder.maximum, 10);
    RunFor(9999);
    EXPECT_EQ(recorder.remaining, (Log{"10 秒", "9 秒", "8 秒", "7 秒", "6 秒", "5 秒", "4 秒", "3 秒", "2 秒", "1 秒"}));
    EXPECT_EQ(countdown.Position(), 9);
    EXPECT_TRUE(countdown.Counting());
    recorder.log.clear();
    RunFor(1);
    EXPECT_EQ(recorder.remaining.back(), "0 秒");
    EXPECT_EQ(recorder.log, (Log{"sound:stop", "hide", "execute:关机|"}));
    EXPECT_EQ(recorder.position, 0);
    EXPECT_EQ(countdown.Position(), 0);
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
    EXPECT_FALSE(timers.IsEnabled(kTimer2));
}

TEST_F(SchedulerTest, ACountdownEndingWhileBackupsRunWaitsForThemOnScreenThenActsOnce) {
    state.options.tishi = 3;
    Put(1, "每天8时30分", "关闭计算机");
    Put(2, "每天8时31分", "断开拨号");
    recorder.filesLeft = 7;
    RunFor(6000 + 2999);
    EXPECT_EQ(recorder.label1, "要想取消关机，请按下<取消关机>按钮:剩余");
    RunFor(1);
    EXPECT_EQ(recorder.label1, "正在备份（已等0分0秒），完成后关机…剩余文件:");
    EXPECT_EQ(recorder.remaining.back(), "7 个");
    recorder.filesLeft = 0;  // the last file is being copied
    recorder.log.clear();
    RunFor(1000);
    EXPECT_EQ(recorder.label1, "正在备份（已等0分1秒），完成后关机…剩余文件:") << "the label counts the wait";
    EXPECT_EQ(recorder.remaining.back(), "0 个");
    EXPECT_TRUE(countdown.Counting() && countdown.Waiting());
    EXPECT_FALSE(timers.IsEnabled(kTimer1)) << "the tick stays held";
    recorder.log.clear();
    recorder.filesLeft.reset();
    RunFor(1000);
    EXPECT_EQ(recorder.log, (Log{"hide", "execute:关机|"}));
    RunFor(10000);
    EXPECT_EQ(recorder.log.size(), 2u) << "acted once";
    EXPECT_EQ(Logged(), (Log{"      任务 1  关闭计算机  ——  等待备份结束后执行"}));

    recorder.filesLeft = 3;  // the hang-up is no shutdown: it never waits
    RunFor(60000);
    EXPECT_EQ(recorder.log.back(), "execute:断开拨号|");
    EXPECT_FALSE(countdown.Waiting());
}

TEST_F(SchedulerTest, WhileWaitingForBackupsActNowActsAndCancelCancels) {
    state.options.tishi = 1;
    Put(1, "每天8时30分", "重启计算机");
    Put(2, "每天8时31分", "待机计算机");
    recorder.filesLeft = 2;
    RunFor(6000 + 1000 + 5000);
    ASSERT_TRUE(countdown.Waiting());
    recorder.log.clear();
    countdown.BitBtn1Click();
    EXPECT_EQ(recorder.log, (Log{"hide", "execute:重启|"}));
    EXPECT_FALSE(countdown.Counting() || countdown.Waiting());

    RunFor(60000);
    ASSERT_TRUE(countdown.Waiting());
    EXPECT_TRUE(recorder.label1.ends_with("秒），完成后待机…剩余文件:")) << recorder.label1;
    recorder.log.clear();
    countdown.BitBtn2Click();
    recorder.filesLeft.reset();
    RunFor(5000);
    EXPECT_EQ(recorder.log, (Log{"sound:stop", "hide", "monitoring:off"})) << "and no restart";
    EXPECT_FALSE(state.monitoring);
}

TEST_F(SchedulerTest, ActNowActsAtOnceAndCancelSwitchesMonitoringOff) {
    state.options.tishi = 60;
    Put(1, "每天8时30分", "休眠计算机", "第2天7时5分唤醒");
    RunFor(6000 + 3000);
    recorder.log.clear();
    countdown.BitBtn1Click();
    EXPECT_EQ(recorder.log, (Log{"hide", "execute:休眠|第2天7时5分唤醒"})) << "no sound file, nothing to stop";
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
    EXPECT_FALSE(timers.IsEnabled(kTimer2));

    Put(1, "每天8时31分", "关闭计算机");
    RunFor(60000);  // the tick at 8:31:0x opens a new countdown, its bar back at the start
    ASSERT_TRUE(countdown.Counting());
    EXPECT_EQ(countdown.Position(), 6) << "opened at 8:31:03, six steps from 0";
    recorder.log.clear();
    countdown.BitBtn2Click();
    EXPECT_EQ(recorder.log, (Log{"sound:stop", "hide", "monitoring:off"}));
    EXPECT_FALSE(state.monitoring);
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    EXPECT_FALSE(timers.IsEnabled(kTimer2));
    EXPECT_EQ(recorder.position, 0);
    Put(1, "每隔1分开始0时0分", "提醒", "every minute");
    RunFor(5 * 60000);
    EXPECT_EQ(recorder.log.size(), 3u) << "nothing fires until monitoring is switched on again";
    scheduler.SetMonitoring(true);
    RunFor(6000);
    EXPECT_EQ(recorder.log.back(), "reminder:every minute|每隔1分开始0时0分");
}

TEST_F(SchedulerTest, ACountdownThatEndsInItsMinuteDoesNotFireTheTaskAgainThatMinute) {
    state.options.tishi = 5;
    Put(1, "每隔1分开始0时0分", "断开拨号");
    RunFor(6000 + 5000);  // opened at 8:30:06, ended at 8:30:11
    EXPECT_EQ(recorder.log.back(), "execute:断开拨号|");
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
    RunFor(53999);  // ticks up to 8:30:59 rest
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), Caption("断开拨号")), 1);
    RunFor(1);  // 8:31:05, the first tick of the next minute
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), Caption("断开拨号")), 2);
}

TEST_F(SchedulerTest, ANegativeCountdownLengthCountsAsZero) {
    state.options.tishi = -1;
    Put(1, "每天8时30分", "快速重启");
    RunFor(6000);
    EXPECT_EQ(recorder.remaining, (Log{"0 秒"}));
    EXPECT_EQ(recorder.maximum, 0);
    RunFor(999);
    EXPECT_TRUE(countdown.Counting());
    RunFor(1);
    EXPECT_EQ(recorder.log.back(), "execute:快速重启|");
    EXPECT_FALSE(countdown.Counting());
}

TEST_F(SchedulerTest, TheMonitoringSwitchStopsAndStartsTheTickButNotUnderAPause) {
    Put(1, "每隔1分开始0时0分", "提醒", "x");
    scheduler.SetMonitoring(false);
    RunFor(120000);
    EXPECT_TRUE(recorder.log.empty());
    scheduler.SetMonitoring(true);
    RunFor(6000);
    ASSERT_EQ(recorder.log.size(), 1u);
    scheduler.SetMonitoring(false);
    scheduler.SetMonitoring(true);  // during the re-arm pause: the pause still holds
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    RunFor(59999);
    EXPECT_EQ(recorder.log.size(), 1u);
    RunFor(1 + 6000);  // the re-arm, then its first tick
    EXPECT_EQ(recorder.log.size(), 2u);
}

TEST_F(SchedulerTest, OfTwoCountdownTasksTheLaterWordWins) {
    state.options.soundpath = "a.wav";
    Put(3, "每天8时30分", "注销计算机");
    Put(6, "每天8时30分", "快速关机");
    Filler(1); Filler(2); Filler(4); Filler(5);
    scheduler.Timer1Timer();
    EXPECT_EQ(countdown.PendingPowerAction(), PowerAction::FastShutDown);
    EXPECT_EQ(recorder.log, (Log{Caption("注销"), "show", "sound:a.wav", "closeall", Caption("快速关机"), "show",
                                 "sound:a.wav", "closeall"}));
    countdown.BitBtn1Click();
    EXPECT_EQ(recorder.log.back(), "execute:快速关机|") << "only the later word is carried out";
}

TEST_F(SchedulerTest, TheSettingsWindowHoldsTheTickAndReleasingItRestartsItOnlyWhereAllowed) {
    Put(1, "每隔1分开始0时0分", "提醒", "x");
    scheduler.HoldTick(true);
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    RunFor(120000);
    EXPECT_TRUE(recorder.log.empty()) << "a task fired while the settings window was open";
    scheduler.HoldTick(false);
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
    RunFor(6000);
    ASSERT_EQ(recorder.log.size(), 1u);
    // Held and released during the re-arm pause: the pause still holds.
    scheduler.HoldTick(true);
    scheduler.HoldTick(false);
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    // Released with monitoring off: the tick stays off.
    scheduler.SetMonitoring(false);
    RunFor(60000);
    scheduler.HoldTick(true);
    scheduler.HoldTick(false);
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    scheduler.SetMonitoring(true);
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
}

TEST_F(SchedulerTest, IdleTaskFiresOncePerIdlePeriod) {
    Put(1, "空闲10分钟", "提醒", "away");
    clock.tick = 100 * 60000;
    clock.lastInput = clock.tick - 10 * 60000 - 5000;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
    clock.tick += 60000;  // the re-arm, a minute later: still idle, now 11 minutes
    clock.uptime += 60000;
    scheduler.Timer3Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
    clock.tick += 6000;
    clock.uptime += 6000;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
    clock.lastInput = clock.tick;  // the user is back, then away again
    clock.tick += 10 * 60000;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 2u);
}

TEST_F(SchedulerTest, IdleMinutesSurviveTheTickCountWrapping) {
    Put(1, "空闲10分钟", "提醒", "away");
    clock.lastInput = 0xFFFFFFFFu - 60000;
    clock.tick = clock.lastInput + 10 * 60000;  // wraps past zero
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
}

TEST_F(SchedulerTest, TheRearmRespectsTheMonitoringSwitch) {
    Put(1, "每天8时30分", "提醒", "x");
    scheduler.Timer1Timer();
    state.monitoring = false;  // switched off during the pause
    scheduler.Timer3Timer();
    EXPECT_FALSE(timers.IsEnabled(kTimer1));
    EXPECT_FALSE(timers.IsEnabled(kTimer3));
}

TEST_F(SchedulerTest, OnceTaskIsDueInItsMinuteAndStaysInTheStore) {
    Put(1, "一次2030/1/14日8时30分", "提醒", "once");
    scheduler.Timer1Timer();
    scheduler.Timer3Timer();
    clock.now.minute = 31;
    scheduler.Timer1Timer();
    EXPECT_EQ(recorder.log.size(), 1u);
    EXPECT_EQ(backend.Get(RegRoot::LocalMachine, kStore, "D1")->text, "启用");
}

}  // namespace

namespace {

TEST_F(SchedulerTest, ACountdownEndingBeforeThePauseLeavesTheNextMinutesTaskToFireOnce) {
    state.options.tishi = 5;
    state.options.soundpath = "a.wav";
    Put(1, "每天8时30分", "断开拨号");
    Put(2, "每天8时30分", "提醒", "now");
    Put(3, "每天8时31分", "提醒", "next");
    Put(4, "每天8时32分", "断开拨号");
    RunFor(6000 + 2000);
    state.options.soundpath.clear();  // an import clears it while the sound plays
    RunFor(3000 + 60000 + 30000);     // ended at 8:30:11; the pause ends at 8:31:06
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "reminder:next|每天8时31分"), 1);
    RunFor(60000);  // a silent countdown at 8:32 stops no sound
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "sound:stop"), 1);
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "execute:断开拨号|"), 2);
}

TEST_F(SchedulerTest, ACancelledSoundingCountdownLeavesTheNextSilentOneSilent) {
    state.options.tishi = 5;
    state.options.soundpath = "a.wav";
    Put(1, "每天8时30分", "断开拨号");
    Put(2, "每天8时31分", "断开拨号");
    RunFor(8000);
    countdown.BitBtn2Click();
    scheduler.SetMonitoring(true);
    state.options.soundpath.clear();
    RunFor(60000 + 10000);
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "sound:stop"), 1) << "only the cancel stops it";
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "execute:断开拨号|"), 1);
}

TEST_F(SchedulerTest, KeysThatReachTheHiddenCountdownChangeNothing) {
    Put(1, "每隔1分开始0时0分", "提醒", "x");
    countdown.BitBtn2Click();  // Esc or Enter with no countdown on screen
    countdown.BitBtn1Click();
    EXPECT_TRUE(state.monitoring);
    EXPECT_TRUE(recorder.log.empty());
    RunFor(6000);
    EXPECT_EQ(recorder.log, (Log{"reminder:x|每隔1分开始0时0分"}));
}

}  // namespace

// --- Sleep, clock jumps and runs missed while the program was not running.

class SleepTest : public SchedulerTest {
protected:
    void SetUp() override {
        SchedulerTest::SetUp();
        timers.SetEnabled(kTimer4, true);
    }
    void Watched(const std::string& text) { backend.Put(RegRoot::LocalMachine, kStore, kWatchedMinuteValue, StringValue(text)); }
    std::string WatchedText() {
        auto value = backend.Get(RegRoot::LocalMachine, kStore, kWatchedMinuteValue);
        return value ? value->text : "(missing)";
    }
    // The PC sleeps from now until `ms` after 8:30:00: no timer fires
    // meanwhile; the ones that run come again a whole interval after the wake.
    void SleepUntil(std::int64_t ms) {
        timers.nowMs = ms;
        SetClock(ms);
        for (TimerId id : {kTimer1, kTimer2, kTimer3, kTimer4})
            if (timers.IsEnabled(id)) timers.next[id] = ms + kTimerIntervals[id];
    }
    Log Lines() const { return logFile.current ? Logged() : Log{}; }
    void PutMissedAndNot() {
        Watched("2030-01-14 08:00");
        Put(1, "每天8时10分", "提醒", "喝水");
        Put(2, "每天8时20分", "关闭计算机");
        Put(3, "每天8时15分", "提醒", "off", "禁用");
        Put(4, "每隔10分开始0时0分", "打开文件", "C:\\a.doc");
        Put(5, "每天8时0分", "提醒", "the last minute watched");
        Put(6, "每天8时30分", "提醒", "the tick's own minute");
        Put(7, "每天8时25分", "拨号连接");
    }
};

TEST_F(SleepTest, AtStartTheTasksDueWhileTheProgramWasNotRunningAreLoggedOnceEachAndNotRun) {
    PutMissedAndNot();
    scheduler.ClockMoved(ClockEvent::Start);
    EXPECT_TRUE(recorder.log.empty()) << "catching up is off by default";
    EXPECT_EQ(Lines(), (Log{"失败  任务 1  提醒  喝水  ——  错过 2030-01-14 08:10",
                             "失败  任务 2  关闭计算机  ——  错过 2030-01-14 08:20",
                             "失败  任务 4  打开文件  C:\\a.doc  ——  错过 2 次：2030-01-14 08:10 至 2030-01-14 08:20",
                             "失败  任务 7  拨号连接  ——  错过 2030-01-14 08:25"}));
    EXPECT_TRUE(runLog.TaskFailed()) << "the tray tip's failure line";
    EXPECT_EQ(WatchedText(), "2030-01-14 08:30");
    EXPECT_TRUE(timers.IsEnabled(kTimer1) && !timers.IsEnabled(kTimer3)) << "the tick goes on as it was";
}

TEST_F(SleepTest, WithCatchingUpTheHarmlessOnesRunOnceInTaskOrderAndSayWhenTheyWereDue) {
    PutMissedAndNot();
    state.options.buzuo = 1;
    scheduler.ClockMoved(ClockEvent::Start);
    EXPECT_EQ(recorder.log, (Log{"reminder:（原定 2030-01-14 08:10 的提醒，电脑当时未运行本程序）\r\n喝水|每天8时10分",
                                 "open:C:\\a.doc"}))
        << "once each, the last moment missed; never the shutdown or the dial";
    const Log logged = Lines();
    ASSERT_EQ(logged.size(), 6u);
    EXPECT_EQ(logged[4], "      任务 1  提醒  喝水  ——  补做（原定 2030-01-14 08:10）：已显示");
    EXPECT_EQ(logged[5], "失败  任务 4  打开文件  C:\\a.doc  ——  补做（原定 2030-01-14 08:20）：找不到");
    EXPECT_TRUE(timers.IsEnabled(kTimer1) && !timers.IsEnabled(kTimer3)) << "catching up starts no pause";

    // The next start after a whole minute watched finds nothing more.
    recorder.log.clear();
    scheduler.ClockMoved(ClockEvent::Start);
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_EQ(Lines().size(), 6u);
}

TEST_F(SleepTest, TheWatchKeepsTheMinuteAndCountsMinutesPassedUnseenAsAResume) {
    Put(1, "每天8时45分", "提醒", "在睡眠中");
    scheduler.Timer4Timer();
    EXPECT_EQ(WatchedText(), "2030-01-14 08:30") << "a first start: nothing to look back on";
    EXPECT_TRUE(Lines().empty());
    const int writes = backend.writes;
    scheduler.Timer4Timer();
    EXPECT_EQ(backend.writes, writes) << "written once a minute";
    SetClock(61000);
    scheduler.Timer4Timer();
    EXPECT_EQ(WatchedText(), "2030-01-14 08:31");
    EXPECT_TRUE(Lines().empty()) << "the next minute is no gap";
    SetClock(60000 * 30);  // 9:00: minutes 8:32 to 8:59 went unseen
    scheduler.Timer4Timer();
    EXPECT_EQ(Lines(), (Log{"失败  任务 1  提醒  在睡眠中  ——  错过 2030-01-14 08:45"}));
    clock.now.hour = 8;  // set back to 8:00: no gap, the minute follows the clock
    scheduler.Timer4Timer();
    EXPECT_EQ(WatchedText(), "2030-01-14 08:00");
    EXPECT_EQ(Lines().size(), 1u);

    // Minutes passed while monitoring is off were left out on purpose.
    state.monitoring = false;
    clock.now.hour = 10;
    scheduler.ClockMoved(ClockEvent::Resume);
    EXPECT_EQ(Lines().size(), 1u);
    EXPECT_EQ(WatchedText(), "2030-01-14 10:00");
}

TEST(CountdownIsStale, MoreThanItsLengthAndAMinuteAfterTheMinuteItFellDueIn) {
    LocalTime due;
    due.year = 2030, due.month = 1, due.day = 31, due.hour = 23, due.minute = 59, due.second = 40;
    LocalTime now = calendar::AddMinutes(due, 1);
    now.second = 20;  // 0:00:20 the next day: 80 seconds after 23:59:00
    EXPECT_FALSE(CountdownIsStale(due, now, 20));
    now.second = 21;
    EXPECT_TRUE(CountdownIsStale(due, now, 20));
    EXPECT_FALSE(CountdownIsStale(due, now, 21));
    now.second = 0;
    EXPECT_FALSE(CountdownIsStale(due, now, 0)) << "a minute's grace with no countdown";
    now.second = 1;
    EXPECT_TRUE(CountdownIsStale(due, now, -5)) << "a negative length counts as none";
    EXPECT_FALSE(CountdownIsStale(due, calendar::AddMinutes(due, -90), 20)) << "a clock set back";
}

// A 20-second countdown cut by a sleep after 5 s: woken within the grace, it
// counts its whole length again with its sound; woken later, it closes.
TEST_F(SleepTest, ACountdownCutBySleepStartsAgainInFullOrClosesWhenStale) {
    state.options.tishi = 20;
    state.options.soundpath = "C:\\w.wav";
    Put(1, "每天8时30分", "关闭计算机");
    RunFor(6000 + 5000);
    ASSERT_EQ(countdown.Position(), 5);
    recorder.log.clear();
    SleepUntil(80000);  // 8:31:20, 80 s after the minute the task fell due in
    scheduler.ClockMoved(ClockEvent::Resume);
    EXPECT_EQ(recorder.log, (Log{Caption("关机"), "show", "sound:C:\\w.wav"}));
    EXPECT_EQ(countdown.Position(), 0);
    EXPECT_EQ(recorder.remaining.back(), "20 秒");
    RunFor(19999);
    EXPECT_EQ(recorder.log.size(), 3u) << "acted before the whole countdown had passed again";
    RunFor(1);
    EXPECT_EQ(recorder.log.back(), "execute:关机|");

    // The next day, the same shutdown slept through for a second longer.
    clock.now.day = 15;
    clock.now.dayOfWeek = 2;
    timers.nowMs = 0;
    SetClock(0);
    for (TimerId id : {kTimer1, kTimer4}) {
        timers.SetEnabled(id, false);
        timers.SetEnabled(id, true);
    }
    RunFor(6000 + 5000);
    ASSERT_TRUE(countdown.Counting());
    recorder.log.clear();
    SleepUntil(81000);
    scheduler.ClockMoved(ClockEvent::Resume);
    EXPECT_EQ(recorder.log, (Log{"sound:stop", "hide"})) << "no action, monitoring stays on";
    EXPECT_FALSE(countdown.Counting());
    EXPECT_TRUE(state.monitoring);
    EXPECT_EQ(Lines().back(),
              "失败  任务 1  关闭计算机  ——  未执行：任务到期于 2030-01-15 08:30，电脑睡眠或时钟变动后已过了倒计时的时间");
    RunFor(30000);
    EXPECT_EQ(recorder.log.size(), 2u) << "its minute has passed: the tick fires nothing";
    EXPECT_TRUE(timers.IsEnabled(kTimer1));
}

TEST_F(SleepTest, AWaitForBackupsCutBySleepCountsItsWholeLengthAgain) {
    state.options.tishi = 1;
    Put(1, "每天8时30分", "关闭计算机");
    recorder.filesLeft = 2;
    RunFor(6000 + 1000 + 5000);
    ASSERT_TRUE(countdown.Waiting());
    SleepUntil(61000);  // the grace's last second
    scheduler.ClockMoved(ClockEvent::Resume);
    EXPECT_TRUE(countdown.Counting());
    EXPECT_FALSE(countdown.Waiting());
    EXPECT_EQ(countdown.Position(), 0);
}

TEST_F(SleepTest, AClockJumpClosesAStaleCountdownButLeavesAFreshOneCounting) {
    state.options.tishi = 60;
    Put(1, "每天8时30分", "重启计算机");
    RunFor(6000 + 10000);
    scheduler.ClockMoved(ClockEvent::Jump);
    EXPECT_EQ(countdown.Position(), 10) << "no sleep: the count goes on";
    clock.now.hour = 9;  // set forward an hour
    scheduler.ClockMoved(ClockEvent::Jump);
    EXPECT_FALSE(countdown.Counting());
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "execute:重启|"), 0);
}

TEST(BackupWait, StallsAfterTenMinutesWithoutAFinishedFileAndCountsItsWait) {
    BackupWait wait;
    wait.Begin(1000, 5);
    EXPECT_FALSE(wait.Stalled(1000 + kBackupStallMs - 1, 5));
    EXPECT_TRUE(wait.Stalled(1000 + kBackupStallMs, 5));
    wait.Begin(1000, 5);
    EXPECT_FALSE(wait.Stalled(301000, 6)) << "a file finished: the ten minutes start again";
    EXPECT_FALSE(wait.Stalled(301000 + kBackupStallMs - 1, 6));
    EXPECT_TRUE(wait.Stalled(301000 + kBackupStallMs, 6));
    EXPECT_EQ(wait.WaitedMs(301000 + kBackupStallMs), 300000 + kBackupStallMs);
    EXPECT_EQ(WaitingTextsFor("关机", 599999).label1, "正在备份（已等9分59秒），完成后关机…剩余文件:");
}

TEST_F(SchedulerTest, AShutdownWaitingForABackupThatFinishesNothingGoesAheadAfterTenMinutes) {
    state.options.tishi = 1;
    Put(1, "每天8时30分", "关闭计算机");
    recorder.filesLeft = 4;
    recorder.filesFinished = 10;
    recorder.running = {"D:\\a → \\\\nas\\b"};
    RunFor(6000 + 1000);
    ASSERT_TRUE(countdown.Waiting());
    RunFor(300000);
    recorder.filesFinished = 11;  // one file more, then nothing
    RunFor(kBackupStallMs - 1000);
    EXPECT_TRUE(countdown.Waiting()) << "ten minutes from the last finished file, not from the start";
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "execute:关机|"), 0);
    RunFor(2000);  // the step that sees the tenth minute end
    EXPECT_FALSE(countdown.Waiting());
    EXPECT_EQ(recorder.log.back(), "execute:关机|");
    EXPECT_EQ(Logged().back(), "失败  任务 1  关闭计算机  ——  备份 10 分钟未完成任何文件，不再等待即执行；被中断的备份：D:\\a → \\\\nas\\b");
}

TEST(KeepAwake, HoldsWhileABackupCopiesOrACountdownShowsAndLetsGoWhenNeither) {
    std::vector<bool> calls;
    KeepAwake awake([&](bool on) { calls.push_back(on); });
    awake.BackupsRunning(true);
    awake.CountdownShown(true);
    awake.BackupsRunning(false);
    EXPECT_EQ(calls, std::vector<bool>{true}) << "the countdown still shows";
    awake.CountdownShown(false);
    awake.CountdownShown(false);
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
    awake.CountdownShown(true);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true}));
}
