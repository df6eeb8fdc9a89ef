#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "windows/editor_model.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Sunday 2030-1-13 8:30
LocalTime At(int hour, int minute, int dayOfWeek = 0, int day = 13, int month = 1, int year = 2030) {
    LocalTime t;
    t.year = year; t.month = month; t.day = day; t.dayOfWeek = dayOfWeek; t.hour = hour; t.minute = minute;
    t.second = 42;
    return t;
}

DueInputs Inputs(const LocalTime& now, std::uint32_t idleMinutes = 0, std::uint32_t uptimeMs = 0,
                 const std::string& datePicture = "yyyy/M/d") {
    auto format = std::make_shared<ShortDateFormat>(datePicture);
    return {now, [=] { return idleMinutes; }, [=] { return uptimeMs; },
            [=]() -> const ShortDateFormat& { return *format; }};
}

bool Due(const std::string& a, const DueInputs& inputs) { return IsScheduleDue(a, inputs); }

TEST(ScheduleKind, IsToldByTheFirstTwoCharacters) {
    EXPECT_EQ(KindOf("空闲10分钟"), ScheduleKind::Idle);
    EXPECT_EQ(KindOf("一次2030/1/15日8时30分"), ScheduleKind::Once);
    EXPECT_EQ(KindOf("每天8时30分"), ScheduleKind::Daily);
    EXPECT_EQ(KindOf("每周5日17时0分"), ScheduleKind::Weekly);
    EXPECT_EQ(KindOf("每月1日9时0分"), ScheduleKind::Monthly);
    EXPECT_EQ(KindOf("每年12月31日23时59分"), ScheduleKind::Yearly);
    EXPECT_EQ(KindOf("开机0时5分"), ScheduleKind::AtBoot);
    EXPECT_EQ(KindOf("每隔30分开始9时0分"), ScheduleKind::Interval);
    EXPECT_EQ(KindOf("每小时8时0分"), ScheduleKind::None);
    EXPECT_EQ(KindOf("每"), ScheduleKind::None);
    EXPECT_EQ(KindOf(""), ScheduleKind::None);
    EXPECT_FALSE(Due("每小时8时30分", Inputs(At(8, 30))));
}

TEST(ScheduleWriter, WritesEachKindWithoutLeadingZeros) {
    EXPECT_EQ(IdleText("10"), "空闲10分钟");
    EXPECT_EQ(OnceText("2030-1-15", 8, 30), "一次2030-1-15日8时30分");
    EXPECT_EQ(DailyText(9, 5), "每天9时5分");
    EXPECT_EQ(WeeklyText("5", 17, 0), "每周5日17时0分");
    EXPECT_EQ(MonthlyText("1", 9, 0), "每月1日9时0分");
    EXPECT_EQ(YearlyText("12", "31", 23, 59), "每年12月31日23时59分");
    EXPECT_EQ(AtBootText("", "5"), "开机0时5分");
    EXPECT_EQ(AtBootText("1", ""), "开机1时0分");
    EXPECT_EQ(IntervalText("30", 9, 0), "每隔30分开始9时0分");
    EXPECT_EQ(IntervalText("", 9, 0), "");
}

TEST(ScheduleReader, ReadsBackTheFieldsOfEveryKind) {
    using F = std::vector<std::string>;
    EXPECT_EQ(ScheduleFields("空闲10分钟"), (F{"10"}));
    EXPECT_EQ(ScheduleFields("一次2030-1-15日8时30分"), (F{"2030-1-15", "8", "30"}));
    EXPECT_EQ(ScheduleFields("每天8时30分"), (F{"8", "30"}));
    EXPECT_EQ(ScheduleFields("每周5日17时0分"), (F{"5", "17", "0"}));
    EXPECT_EQ(ScheduleFields("每年12月31日23时59分"), (F{"12", "31", "23", "59"}));
    EXPECT_EQ(ScheduleFields("开机0时5分"), (F{"0", "5"}));
    EXPECT_EQ(ScheduleFields("每隔30分开始9时0分"), (F{"30", "9", "0"}));
}

TEST(ScheduleReader, MissingSeparatorsLeaveTheLaterFieldsEmpty) {
    using F = std::vector<std::string>;
    EXPECT_EQ(ScheduleFields("每天8时"), (F{"8", ""}));
    EXPECT_EQ(ScheduleFields("每天830"), (F{"830", ""}));
    EXPECT_EQ(ScheduleFields("每天"), (F{"", ""}));
    EXPECT_EQ(ScheduleFields("每年12月"), (F{"12", "", "", ""}));
    EXPECT_EQ(ScheduleFields("每隔30分"), (F{"30", "", ""}));
    EXPECT_FALSE(Due("每天8时", Inputs(At(8, 0))));
    EXPECT_FALSE(Due("每天", Inputs(At(0, 0))));
    // A last field of one byte without its unit still ends at the end of the text.
    EXPECT_EQ(ScheduleFields("每天8时5"), (F{"8", "5"}));
    EXPECT_TRUE(Due("每天8时5", Inputs(At(8, 5))));
}

TEST(ScheduleReader, TextAfterTheLastFieldIsIgnored) {
    using F = std::vector<std::string>;
    // The yearly kind fills every field there is; what follows its 分 is no field.
    EXPECT_EQ(ScheduleFields("每年12月31日23时59分后面还有"), (F{"12", "31", "23", "59"}));
    EXPECT_TRUE(Due("每年12月31日23时59分后面还有", Inputs(At(23, 59, 2, 31, 12))));
    EXPECT_EQ(ScheduleFields("每隔30分开始9时0分x"), (F{"30", "9", "0"}));
}

TEST(DueTest, DailyMatchesHourAndMinuteOnly) {
    EXPECT_TRUE(Due("每天8时30分", Inputs(At(8, 30))));
    EXPECT_FALSE(Due("每天8时30分", Inputs(At(8, 31))));
    EXPECT_FALSE(Due("每天8时30分", Inputs(At(8, 29))));
    EXPECT_FALSE(Due("每天8时30分", Inputs(At(9, 30))));
    EXPECT_FALSE(Due("每天8时30分", Inputs(At(20, 30))));
    EXPECT_TRUE(Due("每天08时030分", Inputs(At(8, 30)))) << "numbers typed with zeros still convert";
}

TEST(DueTest, WeeklyReadsSevenAndZeroAsSunday) {
    EXPECT_TRUE(Due("每周7日8时0分", Inputs(At(8, 0, 0))));
    EXPECT_TRUE(Due("每周0日8时0分", Inputs(At(8, 0, 0))));
    EXPECT_FALSE(Due("每周7日8时0分", Inputs(At(8, 0, 6))));
    EXPECT_TRUE(Due("每周5日17时0分", Inputs(At(17, 0, 5))));
    EXPECT_FALSE(Due("每周12日8时0分", Inputs(At(8, 0, 5)))) << "a weekday typed as 12 is never due";
    // Only the text "7" is Sunday; other texts of the number 7 name no day.
    for (const char* seven : {"每周07日8时0分", "每周+7日8时0分"}) {
        for (int day = 0; day <= 6; ++day) EXPECT_FALSE(Due(seven, Inputs(At(8, 0, day)))) << seven << " " << day;
    }
}

TEST(DueTest, MonthlyAndYearlyDaysThatDoNotExistAreNeverDue) {
    EXPECT_TRUE(Due("每月31日9时0分", Inputs(At(9, 0, 3, 31, 1))));
    for (int day = 1; day <= 30; ++day) EXPECT_FALSE(Due("每月31日9时0分", Inputs(At(9, 0, 1, day, 4))));
    for (int day = 1; day <= 29; ++day) EXPECT_FALSE(Due("每年2月30日9时0分", Inputs(At(9, 0, 1, day, 2, 2032))));
    EXPECT_TRUE(Due("每年12月31日23时59分", Inputs(At(23, 59, 2, 31, 12))));
    EXPECT_FALSE(Due("每年12月31日23时59分", Inputs(At(23, 59, 2, 31, 11))));
    EXPECT_TRUE(Due("每年1月13日8时30分", Inputs(At(8, 30, 0, 13, 1))));
    EXPECT_FALSE(Due("每年1月13日8时30分", Inputs(At(8, 30, 3, 13, 2))));
    EXPECT_FALSE(Due("每年1月13日8时30分", Inputs(At(8, 30, 1, 14, 1))));
}

TEST(DueTest, IntervalCountsFromTheAnchorBothWaysWithinTheDay) {
    const std::string every30 = "每隔30分开始9时0分";
    EXPECT_TRUE(Due(every30, Inputs(At(8, 30))));
    EXPECT_TRUE(Due(every30, Inputs(At(9, 0))));
    EXPECT_TRUE(Due(every30, Inputs(At(0, 0))));
    EXPECT_TRUE(Due(every30, Inputs(At(23, 30))));
    EXPECT_FALSE(Due(every30, Inputs(At(9, 15))));
    const std::string offAnchor = "每隔30分开始9时10分";
    EXPECT_TRUE(Due(offAnchor, Inputs(At(8, 40))));
    EXPECT_FALSE(Due(offAnchor, Inputs(At(8, 30))));
    EXPECT_TRUE(Due(offAnchor, Inputs(At(9, 40))));
    const std::string every45 = "每隔45分开始9时0分";
    EXPECT_TRUE(Due(every45, Inputs(At(8, 15))));
    EXPECT_TRUE(Due(every45, Inputs(At(9, 45))));
    EXPECT_FALSE(Due(every45, Inputs(At(8, 30))));
    // Across midnight the sequence restarts: 23:15 is due, the next is 0:00 (45 min) but so is 0:45.
    EXPECT_TRUE(Due(every45, Inputs(At(23, 15))));
    EXPECT_TRUE(Due(every45, Inputs(At(0, 0))));
    EXPECT_TRUE(Due("每隔7分开始9时0分", Inputs(At(0, 1)))) << "539 minutes before the anchor is 77 steps";
    EXPECT_FALSE(Due("每隔7分开始9时0分", Inputs(At(0, 0))));
    EXPECT_FALSE(Due("每隔0分开始9时0分", Inputs(At(9, 0)))) << "N = 0 is never due";
    EXPECT_TRUE(Due("每隔-30分开始9时0分", Inputs(At(8, 30))));
}

TEST(DueTest, IdleMatchesTheWholeMinutesSinceTheLastInput) {
    EXPECT_TRUE(Due("空闲10分钟", Inputs(At(3, 0), 10)));
    EXPECT_FALSE(Due("空闲10分钟", Inputs(At(3, 0), 9)));
    EXPECT_FALSE(Due("空闲10分钟", Inputs(At(3, 0), 11)));
    EXPECT_FALSE(Due("空闲分钟", Inputs(At(3, 0), 0))) << "an empty minutes box is never due";
    EXPECT_FALSE(Due("空闲-1分钟", Inputs(At(3, 0), 0xFFFFFFFFu)));
}

TEST(DueTest, AtBootMatchesTheUptimeInWholeMinutes) {
    EXPECT_TRUE(Due("开机0时0分", Inputs(At(3, 0), 0, 0)));
    EXPECT_TRUE(Due("开机0时0分", Inputs(At(3, 0), 0, 59999)));
    EXPECT_FALSE(Due("开机0时0分", Inputs(At(3, 0), 0, 60000)));
    EXPECT_TRUE(Due("开机0时5分", Inputs(At(3, 0), 0, 5 * 60000 + 30000)));
    EXPECT_TRUE(Due("开机1时5分", Inputs(At(3, 0), 0, 65 * 60000)));
    // Uptimes past 49.7 days are whole 64-bit counts.
    const std::uint64_t wrap = 0x100000000ull;
    DueInputs late{At(3, 0), [] { return 0u; }, [=] { return wrap + 5 * 60000; }, {}};
    EXPECT_FALSE(Due("开机0时5分", late));
    EXPECT_TRUE(Due("开机1193时7分", late)) << "2^32 ms is 71582 minutes and 47.296 seconds";
    EXPECT_TRUE(Due("开机-1时60分", Inputs(At(3, 0), 0, 0))) << "only the sum counts";
    EXPECT_FALSE(Due("开机-1时30分", Inputs(At(3, 0), 0, 0)));
    EXPECT_FALSE(Due("开机0时-1分", Inputs(At(3, 0), 0, 0)));
}

TEST(DueTest, OnceIsDueOnlyInTheMinuteOfItsDateInTheUsersFormat) {
    const auto zh = [](const LocalTime& t) { return Inputs(t, 0, 0, "yyyy/M/d"); };
    EXPECT_TRUE(Due("一次2030/1/13日8时30分", zh(At(8, 30))));
    EXPECT_FALSE(Due("一次2030/1/13日8时30分", zh(At(8, 31))));
    EXPECT_FALSE(Due("一次2030/1/13日8时30分", zh(At(8, 30, 1, 14))));
    EXPECT_FALSE(Due("一次2031/1/13日8时30分", zh(At(8, 30))));
    EXPECT_FALSE(Due("一次2030-1-13日8时30分", zh(At(8, 30)))) << "written under another format";
    EXPECT_TRUE(Due("一次1/13/2030日8时30分", Inputs(At(8, 30), 0, 0, "M/d/yyyy")));
    EXPECT_TRUE(Due("一次13.01.30日8时30分", Inputs(At(8, 30), 0, 0, "dd.MM.yy")));
    EXPECT_TRUE(Due("一次2030/12/31日23时59分", zh(At(23, 59, 2, 31, 12))));
    EXPECT_FALSE(Due("一次2030/12/31日23时59分", zh(At(23, 58, 2, 31, 12))));
}

TEST(DueTest, FieldsThatAreNotNumbersMakeTheRecordNotDue) {
    EXPECT_FALSE(Due("每周五日8时0分", Inputs(At(8, 0, 5))));
    EXPECT_FALSE(Due("每月a日8时0分", Inputs(At(8, 0))));
    EXPECT_FALSE(Due("每天8时3 0分", Inputs(At(8, 30))));
    EXPECT_FALSE(Due("每天8时99999999999分", Inputs(At(8, 30))));
    EXPECT_FALSE(Due("每年x月13日8时30分", Inputs(At(8, 30))));
}

TEST(ToInt, AcceptsOnlyASignAndDecimalDigits) {
    EXPECT_EQ(ToInt("0"), 0);
    EXPECT_EQ(ToInt("-12"), -12);
    EXPECT_EQ(ToInt("+7"), 7);
    EXPECT_EQ(ToInt("007"), 7);
    EXPECT_EQ(ToInt("2147483647"), 2147483647);
    EXPECT_EQ(ToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", " 1", "1 ", "2147483648", "-2147483649", "+", "$1F", "0x10", "1.5", "一"})
        EXPECT_FALSE(ToInt(bad).has_value()) << bad;
}

TEST(ShortDateFormat, FormatsAndParsesThePicturesWindowsUses) {
    EXPECT_EQ(ShortDateFormat("yyyy/M/d").Format(2030, 1, 5), "2030/1/5");
    EXPECT_EQ(ShortDateFormat("yyyy-MM-dd").Format(2030, 1, 5), "2030-01-05");
    EXPECT_EQ(ShortDateFormat("d/M/yy").Format(2030, 11, 25), "25/11/30");
    EXPECT_EQ(ShortDateFormat("yyyy'年'M'月'd'日'").Format(2030, 1, 5), "2030年1月5日");
    using D = ShortDateFormat::Date;
    EXPECT_EQ(ShortDateFormat("yyyy/M/d").Parse("2030/01/5", 2026), (D{2030, 1, 5}));
    EXPECT_EQ(ShortDateFormat("M/d/yyyy").Parse("2/29/2032", 2026), (D{2032, 2, 29}));
    EXPECT_EQ(ShortDateFormat("d/M/yy").Parse("25/11/30", 2026), (D{2030, 11, 25}));
    for (const char* bad : {"2030-1-5", "2030/13/1", "2030/2/30", "2031/2/29", "2030/1/", "2030/1/5x", "/1/5", "2030/4/31", "2030/9/31"})
        EXPECT_FALSE(ShortDateFormat("yyyy/M/d").Parse(bad, 2026).has_value()) << bad;
}

TEST(ShortDateFormat, EveryMonthEndsOnItsLastDayAndNotADayLater) {
    using D = ShortDateFormat::Date;
    const ShortDateFormat format("yyyy/M/d");
    // 2030 is no leap year: January 31, February 28, March 31, ...
    const int lastDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        const int last = lastDays[month - 1];
        const std::string prefix = "2030/" + std::to_string(month) + "/";
        EXPECT_EQ(format.Parse(prefix + std::to_string(last), 2026), (D{2030, month, last}));
        EXPECT_FALSE(format.Parse(prefix + std::to_string(last + 1), 2026).has_value()) << prefix << last + 1;
    }
}

TEST(ShortDateFormat, FieldsWrittenStraightAfterEachOtherReadBackByTheirWidths) {
    using D = ShortDateFormat::Date;
    const ShortDateFormat compact("yyyyMMdd");
    EXPECT_EQ(compact.Format(2030, 3, 5), "20300305");
    EXPECT_EQ(compact.Parse("20300305", 2026), (D{2030, 3, 5}));
    EXPECT_EQ(compact.Parse("2030035", 2026), (D{2030, 3, 5})) << "the last field may be short, as before a literal";
    EXPECT_FALSE(compact.Parse("203035", 2026).has_value()) << "month 35";
    EXPECT_FALSE(compact.Parse("203003051", 2026).has_value()) << "one digit over";
    EXPECT_EQ(ShortDateFormat("ddMMyy").Parse("290228", 2026), (D{2028, 2, 29}));
    EXPECT_EQ(ShortDateFormat("dd.MMyyyy").Parse("31.122029", 2026), (D{2029, 12, 31}));
    EXPECT_EQ(ShortDateFormat("yy''MMdd").Parse("300305", 2026), (D{2030, 3, 5})) << "an empty quote keeps them adjacent";
    // Before a literal a field still takes what digits there are.
    EXPECT_FALSE(ShortDateFormat("yyyy/M/d").Parse("2030/001/5", 2026).has_value());
    EXPECT_FALSE(ShortDateFormat("yy/M/d").Parse("02030/1/5", 2026).has_value());
}

TEST(DueTest, AOneOffDateWrittenWithItsOwn日ReadsBackAndComesDue) {
    const ShortDateFormat chinese("yyyy'年'M'月'd'日'");
    const std::string a = OnceText(chinese.Format(2030, 1, 13), 8, 5);
    EXPECT_EQ(a, "一次2030年1月13日日8时5分");
    EXPECT_EQ(ScheduleFields(a), (std::vector<std::string>{"2030年1月13日", "8", "5"}));
    EXPECT_TRUE(Due(a, Inputs(At(8, 5), 0, 0, "yyyy'年'M'月'd'日'")));
    EXPECT_FALSE(Due(a, Inputs(At(8, 6), 0, 0, "yyyy'年'M'月'd'日'")));
    EXPECT_FALSE(Due(a, Inputs(At(8, 5, 0, 14), 0, 0, "yyyy'年'M'月'd'日'")));
    // A date without 日 still ends at the first one.
    EXPECT_EQ(ScheduleFields("一次2030/1/13日8时5分"), (std::vector<std::string>{"2030/1/13", "8", "5"}));
    EXPECT_EQ(ScheduleFields("一次2030/1/13"), (std::vector<std::string>{"2030/1/13", "", ""}));
    EXPECT_EQ(ScheduleFields("一次日日"), (std::vector<std::string>{"日", "", ""}));
}

TEST(ShortDateFormat, APictureMayStartWithLiteralTextAndRunLiteralsTogether) {
    using D = ShortDateFormat::Date;
    const ShortDateFormat format("'公元'yyyy'年' M'月'd'日'");
    EXPECT_EQ(format.Format(2030, 1, 5), "公元2030年 1月5日");
    EXPECT_EQ(format.Parse("公元2030年 1月5日", 2026), (D{2030, 1, 5}));
    EXPECT_FALSE(format.Parse("公元2030年1月5日", 2026).has_value()) << "the blank is part of the picture";
    EXPECT_FALSE(format.Parse("2030年 1月5日", 2026).has_value());
}

TEST(ShortDateFormat, OnlyYearsASystemClockCanShowAreRead) {
    using D = ShortDateFormat::Date;
    const ShortDateFormat format("yyyy/M/d");
    EXPECT_FALSE(format.Parse("010/2/2", 2026).has_value()) << "the year 10";
    EXPECT_FALSE(format.Parse("1600/12/31", 2026).has_value());
    EXPECT_EQ(format.Parse("1601/1/1", 2026), (D{1601, 1, 1}));
    EXPECT_EQ(format.Parse("9999/12/31", 2026), (D{9999, 12, 31}));
    EXPECT_FALSE(ShortDateFormat("yy/M/d").Parse("00/1/1", 1601).has_value()) << "1600";
    EXPECT_EQ(ShortDateFormat("yy/M/d").Parse("01/1/1", 1601), (D{1601, 1, 1}));
}

TEST(WakeSpec, SplitsTheChoiceDayHourAndMinute) {
    WakeSpecFields w = SplitWakeSpec("第2天7时5分唤醒");
    EXPECT_EQ(w.choice, "第2天");
    EXPECT_EQ(w.day, "2");
    EXPECT_EQ(w.hour, "7");
    EXPECT_EQ(w.minute, "5");
    w = SplitWakeSpec("不唤醒");
    EXPECT_EQ(w.choice, "不唤醒");
    EXPECT_EQ(w.day + w.hour + w.minute, "");
    w = SplitWakeSpec("第1天");
    EXPECT_EQ(w.choice, "第1天");
    EXPECT_EQ(w.day, "1");
    EXPECT_EQ(w.hour, "");
    w = SplitWakeSpec("第3");  // no 天 at all
    EXPECT_EQ(w.choice, "第3");
    EXPECT_EQ(w.day, "3");
    EXPECT_EQ(w.hour + w.minute, "");
}

TEST(WakeSpec, AChoiceTypedWithout第KeepsItsWakeTime) {
    WakeSpecFields w = SplitWakeSpec("天7时5分唤醒");
    EXPECT_EQ(w.choice, "天");
    EXPECT_EQ(w.day, "");
    EXPECT_EQ(w.hour, "7");
    EXPECT_EQ(w.minute, "5");
    w = SplitWakeSpec("2天23时59分唤醒");
    EXPECT_EQ(w.choice, "2天");
    EXPECT_EQ(w.day, "2");
    EXPECT_EQ(w.hour, "23");
    EXPECT_EQ(w.minute, "59");
    // Saved from the editor and loaded again, the wake time stays.
    EditorAttribute hibernate;
    hibernate.typeIndex = static_cast<int>(TaskType::Hibernate);
    hibernate.text = "天";
    hibernate.wake = {22, 22};
    const std::string c = ComposeAttribute(hibernate);
    EXPECT_EQ(c, "天22时22分唤醒");
    const LoadedTask loaded = LoadTask("", "休眠计算机", c, ShortDateFormat("yyyy/M/d"), At(8, 0));
    EXPECT_EQ(loaded.attribute.text, "天");
    EXPECT_EQ(loaded.attribute.wake, (TimeOfDay{22, 22}));
}

TEST(BackupSpec, SplitsAtStarsWithAMissingFlagMeaningDoNotOverwrite) {
    BackupSpecFields b = SplitBackupSpec("D:\\data\\a.xls*E:\\bak*1");
    EXPECT_EQ(b.source, "D:\\data\\a.xls");
    EXPECT_EQ(b.target, "E:\\bak");
    EXPECT_TRUE(b.overwrite());
    b = SplitBackupSpec("D:\\a*E:\\b");
    EXPECT_EQ(b.flag, "0");
    EXPECT_FALSE(b.overwrite());
    b = SplitBackupSpec("D:\\a*E:\\b*1*extra*more");
    EXPECT_EQ(b.flag, "1");
    // Chinese path parts whose bytes equal the schedule separators are left alone.
    b = SplitBackupSpec("D:\\分公司\\时报.xls*E:\\备份*0");
    EXPECT_EQ(b.source, "D:\\分公司\\时报.xls");
    EXPECT_EQ(b.target, "E:\\备份");
    EXPECT_EQ(BackupText("D:\\分公司", "E:\\备份", true), "D:\\分公司*E:\\备份*1");
}

TEST(TaskType, NamesMatchExactlyInTheEditorsOrder) {
    EXPECT_EQ(TaskTypeOf("提醒"), TaskType::Reminder);
    EXPECT_EQ(TaskTypeOf("备份文件夹"), TaskType::BackupFolder);
    EXPECT_EQ(TaskTypeOf("清理系统垃圾"), TaskType::CleanJunk);
    EXPECT_EQ(static_cast<int>(*TaskTypeOf("禁用网卡")), 14);
    EXPECT_FALSE(TaskTypeOf("").has_value());
    EXPECT_FALSE(TaskTypeOf("提醒 ").has_value());
    EXPECT_FALSE(TaskTypeOf("备份").has_value());
}

}  // namespace
