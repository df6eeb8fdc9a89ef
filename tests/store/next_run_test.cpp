// When a schedule comes due next: the minute NextRunOf works out from the
// calendar is the first one the due test itself finds, stepping minute by minute.
#include "store/calendar.h"
#include "store/schedule_text.h"
#include "windows/editor_model.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second = 0) {
    static constexpr int kShift[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};  // Sakamoto's weekday
    const int y = year - (month < 3);
    return {year, month, (y + y / 4 - y / 100 + y / 400 + kShift[month - 1] + day) % 7, day, hour, minute, second};
}

void NextMinute(LocalTime& t) {
    if (++t.minute < 60 || (t.minute = 0, ++t.hour < 24)) return;
    t.hour = 0;
    t.dayOfWeek = (t.dayOfWeek + 1) % 7;
    if (++t.day > calendar::DaysInMonth(t.year, t.month) && (t.day = 1, ++t.month > 12)) t.month = 1, ++t.year;
}

// Stepping over `horizon` minutes from now's, the first due minute is the
// next run; with none due on the way, the next run lies beyond and is due, or
// there is none.
void ExpectStepsAgree(const std::string& a, const LocalTime& now, int horizon, const char* picture = "yyyy/M/d") {
    const ShortDateFormat format(picture);
    DueInputs in{now, [] { return 0u; }, [] { return std::uint64_t{0}; }, [&]() -> const ShortDateFormat& { return format; }};
    const NextRun next = NextRunOf(a, in);
    in.now.second = 0;
    for (int i = 0; i < horizon && !IsScheduleDue(a, in); ++i) NextMinute(in.now);
    const auto key = [](const LocalTime& t) { return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.dayOfWeek); };
    SCOPED_TRACE(a + " " + picture + " from " + std::to_string(now.year) + "/" + std::to_string(now.month) + "/" +
                 std::to_string(now.day) + " " + std::to_string(now.hour) + ":" + std::to_string(now.minute));
    const bool found = IsScheduleDue(a, in);
    EXPECT_EQ(next.is, found ? NextRun::Is::At : next.is == NextRun::Is::At ? next.is : NextRun::Is::Never);
    if (next.is != NextRun::Is::At) return;
    EXPECT_TRUE(found ? key(next.at) == key(in.now) : key(next.at) > key(in.now));
    in.now = next.at;
    EXPECT_TRUE(IsScheduleDue(a, in));
}

TEST(NextRun, IsTheFirstMinuteTheDueTestFindsForEveryKindAtTheEdgesOfTheCalendar) {
    const char* odd[] = {"每天24时0分", "每天0时60分", "每天-1时0分", "每天8时3 0分", "每天8时", "每天08时005分",
                         "每周07日8时5分", "每周+7日8时5分", "每周8日8时5分", "每周五日8时5分", "每月0日0时0分",
                         "每月32日0时0分", "每月031日0时0分", "每年13月1日0时0分", "每年2月30日0时0分",
                         "每隔0分开始9时0分", "每隔x分开始9时0分", "每隔2000分开始25时0分", "一次", ""};
    using Times = std::initializer_list<std::pair<int, int>>;
    for (const LocalTime& now : {At(2028, 2, 28, 23, 59), At(2028, 2, 29, 12, 0), At(2027, 2, 28, 23, 59),
                                 At(2100, 2, 28, 23, 59), At(2026, 12, 31, 23, 59, 59), At(2099, 12, 31, 23, 59),
                                 At(2027, 4, 30, 23, 58), At(2027, 1, 31, 0, 0), At(2030, 1, 13, 8, 5, 30)}) {
        for (const char* a : odd) ExpectStepsAgree(a, now, 2 * 1440);
        for (auto [h, m] : Times{{0, 0}, {8, 5}, {23, 58}, {23, 59}}) {
            ExpectStepsAgree(DailyText(h, m), now, 2 * 1440);
            for (const char* n : {"1", "7", "45", "1439", "1440", "-7", "2147483647", "-2147483648"})
                ExpectStepsAgree(IntervalText(n, h, m), now, 2 * 1440);
            for (const char* w : {"0", "1", "6", "7"}) ExpectStepsAgree(WeeklyText(w, h, m), now, 8 * 1440);
        }
        for (const char* d : {"1", "29", "30", "31"}) ExpectStepsAgree(MonthlyText(d, 23, 59), now, 62 * 1440);
        // One-offs today before, at and after now, and tomorrow, with years of two and four digits.
        LocalTime tomorrow = now;
        for (int i = 0; i < 1440; ++i) NextMinute(tomorrow);
        for (const char* picture : {"yyyy/M/d", "yy/M/d", "yyyy年M月d日"}) {
            const ShortDateFormat f(picture);
            for (auto [h, m] : Times{{0, 0}, {now.hour, now.minute}, {23, 59}})
                ExpectStepsAgree(OnceText(f.Format(now.year, now.month, now.day), h, m), now, 3 * 1440, picture);
            ExpectStepsAgree(OnceText(f.Format(tomorrow.year, tomorrow.month, tomorrow.day), 0, 0), now, 3 * 1440, picture);
        }
    }
    // Years: 29 February skips 2100 for 2104; a two-digit year past comes back a century on.
    ExpectStepsAgree("每年2月29日0时0分", At(2096, 2, 29, 0, 1), 8 * 366 * 1440);
    ExpectStepsAgree("每年12月31日23时59分", At(2027, 1, 1, 0, 0), 366 * 1440);
    ExpectStepsAgree("每年4月31日0时0分", At(2027, 4, 1, 0, 0), 31 * 1440);
    ExpectStepsAgree("一次99/12/31日23时59分", At(2100, 1, 1, 0, 0), 1440, "yy/M/d");
}

TEST(NextRunText, NamesTheMinuteOrWhatIdleAndBootSchedulesWaitFor) {
    const auto text = [](const std::string& a, const LocalTime& now, std::uint64_t uptime = 0) {
        return NextRunText(a, ShortDateFormat("yyyy/M/d"), now, uptime);
    };
    const LocalTime now = At(2026, 12, 31, 23, 59, 30);
    EXPECT_EQ(text("每年12月31日23时59分", now), "下次执行：2026年12月31日 星期四 23:59") << "now's minute counts";
    EXPECT_EQ(text("每月31日8时5分", At(2027, 4, 30, 9, 0)), "下次执行：2027年5月31日 星期一 8:05");
    EXPECT_EQ(text("每年2月29日0时0分", At(2100, 2, 28, 23, 59)), "下次执行：2104年2月29日 星期五 0:00");
    EXPECT_EQ(text("每隔7分开始23时58分", now), "下次执行：2027年1月1日 星期五 0:03") << "not 0:05: each day counts anew";
    EXPECT_EQ(text("一次2026/12/31日23时58分", now), "") << "a one-off in the past";
    EXPECT_EQ(text("空闲030分钟", now), "空闲满30分钟时执行");
    EXPECT_EQ(text("空闲-1分钟", now), "");
    EXPECT_EQ(text("空闲0分钟", now), "空闲满0分钟时执行");
    // A boot schedule: the minute in which the uptime reaches its own, counted from now's second.
    EXPECT_EQ(text("开机0时1分", now, 29999), "下次执行：2027年1月1日 星期五 0:00");
    EXPECT_EQ(text("开机0时1分", now, 30001), "下次执行：2026年12月31日 星期四 23:59");
    EXPECT_EQ(text("开机-1时65分", now, 6 * 60000 - 1), "下次执行：2026年12月31日 星期四 23:59");
    EXPECT_EQ(text("开机-1时65分", now, 6 * 60000), "开机后0时5分执行（本次开机已过）");
    EXPECT_EQ(text("开机0时-1分", now), "");
}

}  // namespace
