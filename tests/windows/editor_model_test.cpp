#include "windows/editor_model.h"

#include "store/task_texts.h"

#include <gtest/gtest.h>

namespace {

using Items = std::vector<std::string>;

int IndexOf(TaskType type) { return static_cast<int>(type); }

LocalTime Now() {
    LocalTime t;
    t.year = 2030; t.month = 1; t.day = 14; t.hour = 10; t.minute = 20;
    return t;
}

TypeView ViewOf(TaskType type, unsigned osMajorVersion = 10) { return TypeViewFor(IndexOf(type), osMajorVersion); }

TEST(TypeView, ChoosingATypeShowsItsLabelProposalsAndHint) {
    const TypeView reminder = ViewOf(TaskType::Reminder);
    EXPECT_EQ(reminder.label, "提醒语：");
    EXPECT_EQ(reminder.items, (Items{"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"}));
    EXPECT_EQ(reminder.text, "下班时间到。");
    EXPECT_EQ(ViewOf(TaskType::OpenFile).text, "可以打开mp3文件，程序，网址，电影视频等");
    EXPECT_EQ(ViewOf(TaskType::OpenFile).hint, ViewOf(TaskType::OpenFile).text);
    EXPECT_EQ(ViewOf(TaskType::OpenFolder).hint, "可以定时打开指定的文件夹。");
    EXPECT_EQ(ViewOf(TaskType::OpenFolder).text, "") << "a hint only";
    EXPECT_EQ(ViewOf(TaskType::CloseProgram).text, "在此输入程序的文件名或按浏览。");
    EXPECT_EQ(ViewOf(TaskType::CloseProgram).hint, ViewOf(TaskType::CloseProgram).text);
    const TypeView hibernate = ViewOf(TaskType::Hibernate);
    EXPECT_EQ(hibernate.label, "自动开机：");
    EXPECT_EQ(hibernate.items.size(), 10u);
    EXPECT_EQ(hibernate.items.back(), "第9天");
    EXPECT_EQ(hibernate.text, "不唤醒");
    EXPECT_TRUE(hibernate.wakeTime);
    EXPECT_EQ(ViewOf(TaskType::EnableAdapter).label, "属性：");
    EXPECT_EQ(ViewOf(TaskType::DisableAdapter).items, (Items{"本地连接", "以太网"}));
    EXPECT_EQ(ViewOf(TaskType::DisableAdapter, 10).text, "以太网");
    EXPECT_EQ(ViewOf(TaskType::EnableAdapter, 9).text, "本地连接") << "below 10";
    EXPECT_EQ(ViewOf(TaskType::BackupFile).label, "源文件：");
    EXPECT_EQ(ViewOf(TaskType::BackupFolder).label, "源文件夹：");
    EXPECT_TRUE(ViewOf(TaskType::BackupFolder).backup);
    EXPECT_EQ(ViewOf(TaskType::CleanJunk).label, "属性：");
    for (int none : {-1, kTaskTypeCount}) {
        const TypeView view = TypeViewFor(none, 10);
        EXPECT_EQ(view.label + view.text + view.hint, "属性：") << none;
        EXPECT_TRUE(view.items.empty() && !view.wakeTime && !view.backup) << none;
    }
}

// Whatever the type, a stored task shows the rows choosing the type shows,
// and a task saved from those rows loads back the same.
TEST(TypeView, EveryTypeLoadsBackAsChosenAndSaved) {
    const ShortDateFormat format("yyyy/M/d");
    EditorSchedule schedule;
    schedule.kind = ScheduleKind::Weekly;
    schedule.weekday = "3";
    schedule.weekly = {8, 5};
    const std::string a = ComposeSchedule(schedule, format);
    for (int type = 0; type < kTaskTypeCount; ++type) {
        const TypeView chosen = TypeViewFor(type, 10);
        EditorAttribute saved;
        saved.typeIndex = type;
        saved.text = chosen.items.empty() ? "D:\\歌.mp3" : chosen.items.back();
        if (chosen.wakeTime) saved.wake = {7, 30};
        if (chosen.backup) saved.target = "E:\\bak";
        saved.overwrite = chosen.backup;
        const LoadedTask loaded = LoadTask(a, TypeNameAt(type), ComposeAttribute(saved), format, Now());
        EXPECT_EQ(loaded.view.label + loaded.view.hint, chosen.label + chosen.hint) << type;
        EXPECT_EQ(loaded.view.wakeTime, chosen.wakeTime) << type;
        EXPECT_EQ(loaded.view.backup, chosen.backup) << type;
        EXPECT_TRUE(loaded.view.items.empty() || loaded.view.items == chosen.items) << type;
        EXPECT_TRUE(loaded.attribute == saved) << type;
        EXPECT_EQ(loaded.view.text, saved.text) << type;
        EditorSchedule back = loaded.schedule;
        EXPECT_EQ(ComposeSchedule(back, format), a) << type;
    }
}

TEST(ComposeSchedule, WritesTheTickedOptionUnpadded) {
    ShortDateFormat format("yyyy/M/d");
    EditorSchedule s;
    EXPECT_EQ(ComposeSchedule(s, format), "") << "no option ticked";
    s.idleMinutes = "10";
    s.onceDate = {2030, 1, 5};
    s.onceTime = {8, 5};
    s.daily = {9, 0};
    s.weekday = "7";
    s.weekly = {17, 30};
    s.monthDay = "31";
    s.monthly = {0, 0};
    s.month = "12";
    s.yearDay = "31";
    s.yearly = {23, 59};
    s.intervalMinutes = "30";
    s.anchor = {9, 10};
    const std::pair<ScheduleKind, const char*> expected[] = {
        {ScheduleKind::Idle, "空闲10分钟"},           {ScheduleKind::Once, "一次2030/1/5日8时5分"},
        {ScheduleKind::Daily, "每天9时0分"},          {ScheduleKind::Weekly, "每周7日17时30分"},
        {ScheduleKind::Monthly, "每月31日0时0分"},    {ScheduleKind::Yearly, "每年12月31日23时59分"},
        {ScheduleKind::AtBoot, "开机0时0分"},         {ScheduleKind::Interval, "每隔30分开始9时10分"},
    };
    for (const auto& [kind, text] : expected) {
        s.kind = kind;
        EXPECT_EQ(ComposeSchedule(s, format), text);
    }
    EXPECT_EQ(s.bootHours, "0") << "empty boot boxes show 0 afterwards";
    EXPECT_EQ(s.bootMinutes, "0");
    s.bootMinutes = "5";
    s.kind = ScheduleKind::AtBoot;
    EXPECT_EQ(ComposeSchedule(s, format), "开机0时5分");
    s.kind = ScheduleKind::Interval;
    s.intervalMinutes.clear();
    EXPECT_EQ(ComposeSchedule(s, format), "");
}

TEST(WakeTimerHint, ShowsForAWakingHibernationWhereThePlanForbidsWakeTimersOnEitherPower) {
    const int hibernate = IndexOf(TaskType::Hibernate);
    const std::string hint = "电源选项禁止了唤醒定时器，电脑可能不会按时唤醒";
    EXPECT_EQ(WakeTimerHint(hibernate, "第2天", {0, 1}), hint) << "mains power only";
    EXPECT_EQ(WakeTimerHint(hibernate, "第9天", {1, 0}), hint) << "battery only";
    EXPECT_EQ(WakeTimerHint(hibernate, "第1天", {std::nullopt, 2}), hint) << "important wake timers only";
    EXPECT_EQ(WakeTimerHint(hibernate, "第2天", {1, 1}), "") << "allowed";
    EXPECT_EQ(WakeTimerHint(hibernate, "第2天", {1, std::nullopt}), "") << "battery unknown";
    EXPECT_EQ(WakeTimerHint(hibernate, "第2天", {}), "") << "unknown";
    EXPECT_EQ(WakeTimerHint(hibernate, "不唤醒", {0, 0}), "");
    EXPECT_EQ(WakeTimerHint(hibernate, "", {0, 0}), "");
    EXPECT_EQ(WakeTimerHint(IndexOf(TaskType::Standby), "第2天", {0, 0}), "") << "another type";
}

TEST(ComposeAttribute, HibernateAndBackupComposeTheirTexts) {
    EditorAttribute a;
    a.typeIndex = IndexOf(TaskType::Hibernate);
    a.text = "不唤醒";
    a.wake = {6, 5};
    EXPECT_EQ(ComposeAttribute(a), "不唤醒");
    a.text = "第3天";
    EXPECT_EQ(ComposeAttribute(a), "第3天6时5分唤醒");
    a.typeIndex = IndexOf(TaskType::BackupFile);
    a.text = "D:\\a.xls";
    a.target = "E:\\bak";
    EXPECT_EQ(ComposeAttribute(a), "D:\\a.xls*E:\\bak*0");
    a.overwrite = true;
    a.typeIndex = IndexOf(TaskType::BackupFolder);
    EXPECT_EQ(ComposeAttribute(a), "D:\\a.xls*E:\\bak*1");
    a.typeIndex = IndexOf(TaskType::Reminder);
    EXPECT_EQ(ComposeAttribute(a), "D:\\a.xls") << "other types store the field as it is";
    EXPECT_EQ(TypeNameAt(-1), "");
    EXPECT_EQ(TypeNameAt(IndexOf(TaskType::BackupFolder)), "备份文件夹");
    EXPECT_EQ(TypeNameAt(kTaskTypeCount), "");
}

TEST(LoadTask, EveryKindComesBackIntoItsControls) {
    ShortDateFormat format("yyyy/M/d");
    auto load = [&](const std::string& a) { return LoadTask(a, "提醒", "x", format, Now()).schedule; };
    EXPECT_EQ(load("空闲15分钟").idleMinutes, "15");
    EditorSchedule once = load("一次2031/2/3日7时8分");
    EXPECT_EQ(once.kind, ScheduleKind::Once);
    EXPECT_EQ(once.onceDate, (ShortDateFormat::Date{2031, 2, 3}));
    EXPECT_EQ(once.onceTime, (TimeOfDay{7, 8}));
    EXPECT_EQ(load("每天23时59分").daily, (TimeOfDay{23, 59}));
    EditorSchedule weekly = load("每周12日8时0分");
    EXPECT_EQ(weekly.weekday, "12") << "texts go back as they stand";
    EXPECT_EQ(weekly.weekly, (TimeOfDay{8, 0}));
    EXPECT_EQ(load("每月31日9时1分").monthDay, "31");
    EXPECT_EQ(load("每月31日9时1分").monthly, (TimeOfDay{9, 1}));
    EXPECT_EQ(load("每天0时30分").daily, (TimeOfDay{0, 30})) << "hour 0 is a time of day";
    EditorSchedule yearly = load("每年12月30日1时2分");
    EXPECT_EQ(yearly.month + "/" + yearly.yearDay, "12/30");
    EXPECT_EQ(yearly.yearly, (TimeOfDay{1, 2}));
    EditorSchedule boot = load("开机1时5分");
    EXPECT_EQ(boot.bootHours + ":" + boot.bootMinutes, "1:5");
    EditorSchedule interval = load("每隔45分开始9时10分");
    EXPECT_EQ(interval.intervalMinutes, "45");
    EXPECT_EQ(interval.anchor, (TimeOfDay{9, 10}));
    EXPECT_EQ(load("每小时").kind, ScheduleKind::None);
    // Fields that do not convert keep the controls' starting values; loading goes on.
    EditorSchedule broken = load("一次2031-2-3日x时8分");
    EXPECT_EQ(broken.kind, ScheduleKind::Once);
    EXPECT_EQ(broken.onceDate, (ShortDateFormat::Date{2030, 1, 14}));
    EXPECT_EQ(broken.onceTime, (TimeOfDay{10, 20}));
    EXPECT_EQ(load("每天24时0分").daily, (TimeOfDay{0, 0}));
    EXPECT_EQ(load("每天23时60分").daily, (TimeOfDay{0, 0}));
}

// An automatic radio button that gets the focus ticks itself on Windows: the
// first focus goes to the loaded kind's own option, or off the options.
TEST(FirstFocusRow, TheTickedOptionOrNone) {
    ShortDateFormat format("yyyy/M/d");
    const char* stored[] = {"空闲15分钟", "一次2031/2/3日7时8分", "每天23时59分", "每周1日8时0分",
                            "每月31日9时1分", "每年12月30日1时2分", "开机1时5分", "每隔45分开始9时10分"};
    for (int row = 0; row < 8; ++row) {
        const ScheduleKind kind = LoadTask(stored[row], "提醒", "x", format, Now()).schedule.kind;
        EXPECT_EQ(FirstFocusRow(kind), row) << stored[row];
    }
    EXPECT_EQ(FirstFocusRow(ScheduleKind::None), std::nullopt) << "添加, or a schedule no option reads";
}

TEST(LoadTask, TypesComeBackWithTheirAttributeControls) {
    ShortDateFormat format("yyyy/M/d");
    LoadedTask unknown = LoadTask("每天8时0分", "闹钟", "起床", format, Now());
    EXPECT_EQ(unknown.attribute.typeIndex, IndexOf(TaskType::Reminder));
    EXPECT_EQ(unknown.view.label, "提醒语：");
    EXPECT_EQ(unknown.view.text, "起床");
    EXPECT_TRUE(unknown.view.items.empty()) << "a loaded reminder proposes nothing";
    EXPECT_TRUE(LoadTask("每天8时0分", "禁用网卡", "以太网", format, Now()).view.items.empty());

    LoadedTask backup = LoadTask("每天8时0分", "备份文件", "D:\\a.txt*E:\\bak*1", format, Now());
    EXPECT_EQ(backup.attribute.text, "D:\\a.txt");
    EXPECT_EQ(backup.attribute.target, "E:\\bak");
    EXPECT_TRUE(backup.attribute.overwrite);
    EXPECT_TRUE(backup.view.backup);
    EXPECT_EQ(backup.view.label, "源文件：");
    EXPECT_FALSE(LoadTask("每天8时0分", "备份文件夹", "D:\\a*E:\\bak", format, Now()).attribute.overwrite);
    EXPECT_FALSE(LoadTask("每天8时0分", "备份文件夹", "D:\\a*E:\\bak*2", format, Now()).attribute.overwrite);

    LoadedTask wake = LoadTask("每天8时0分", "休眠计算机", "第2天7时30分唤醒", format, Now());
    EXPECT_EQ(wake.view.text, "第2天");
    EXPECT_EQ(wake.attribute.wake, (TimeOfDay{7, 30}));
    EXPECT_TRUE(wake.view.wakeTime);
    EXPECT_EQ(wake.view.items.size(), 10u);
    EXPECT_EQ(ComposeAttribute(wake.attribute), "第2天7时30分唤醒") << "saved back unchanged";
    LoadedTask noWake = LoadTask("每天8时0分", "休眠计算机", "不唤醒", format, Now());
    EXPECT_EQ(noWake.view.text, "不唤醒");
    EXPECT_EQ(ComposeAttribute(noWake.attribute), "不唤醒");

    LoadedTask open = LoadTask("每天8时0分", "打开文件", "D:\\歌.mp3", format, Now());
    EXPECT_EQ(open.view.label, "文件:");
    EXPECT_EQ(open.view.hint, "可以打开mp3文件，程序，网址，电影视频等");
    EXPECT_EQ(open.view.text, "D:\\歌.mp3");
    EXPECT_EQ(LoadTask("每天8时0分", "快速关机", "", format, Now()).view.label, "属性：");
}

TEST(EditorInput, TypingFiltersUptimeAndFolderProposal) {
    for (unsigned c : {unsigned{'0'}, unsigned{'9'}, 8u}) EXPECT_TRUE(DigitKeyAllowed(c)) << c;
    for (unsigned c : {unsigned{'/'}, unsigned{':'}, unsigned{'.'}, unsigned{'a'}, unsigned{' '}, 9u, 0x4E00u}) EXPECT_FALSE(DigitKeyAllowed(c)) << c;

    EXPECT_EQ(UptimeText(3723999), "已开机时间:1时2分3秒");
    EXPECT_EQ(UptimeText(59999), "已开机时间:0时0分59秒");
    // Past the 49.7 days where a 32-bit millisecond count wraps.
    EXPECT_EQ(UptimeText(4294968296ull), "已开机时间:1193时2分48秒");

    EXPECT_EQ(ProposeFolderTarget("D:\\work\\docs", "E:\\bak"), "E:\\bak\\docs");
    EXPECT_EQ(ProposeFolderTarget("D:\\work\\docs", "E:\\"), "E:\\docs");
    EXPECT_EQ(ProposeFolderTarget("", "E:\\bak"), "E:\\bak");
    EXPECT_EQ(ProposeFolderTarget("D:\\work\\docs", ""), "");
    EXPECT_EQ(ProposeFolderTarget("D:\\软件\\誠", "E:\\bak"), "E:\\bak\\誠") << "誠 ends in a backslash byte";
    EXPECT_EQ(ProposeFolderTarget("誠", "E:\\bak"), "E:\\bak") << "a first character ending in a backslash byte";
    EXPECT_EQ(ProposeFolderTarget("D:\\docs", "E:\\誠"), "E:\\誠\\docs") << "a chosen folder ending in one";
}

}  // namespace
