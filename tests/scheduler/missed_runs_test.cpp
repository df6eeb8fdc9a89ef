#include "scheduler/missed_runs.h"

#include "store/calendar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::int64_t Minute(int y, int mo, int d, int h, int mi) {
    LocalTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi;
    return calendar::MinuteNumber(t);
}

struct Gap {
    int count;
    std::string first, last;
};

Gap Missed(const std::string& a, std::int64_t from, std::int64_t to) {
    const ShortDateFormat format("yyyy/M/d");
    const MissedRuns runs = MissedRunsOf(a, from, to, [&]() -> const ShortDateFormat& { return format; });
    if (runs.count == 0) return {0, "", ""};
    return {runs.count, MomentText(runs.first), MomentText(runs.last)};
}

void ExpectGap(const Gap& got, int count, const std::string& first, const std::string& last) {
    EXPECT_EQ(got.count, count);
    EXPECT_EQ(got.first, first);
    EXPECT_EQ(got.last, last);
}

// The gap runs from its first unwatched minute up to, not including, the
// minute the program looks again (which the tick still judges itself).
TEST(MissedRuns, EachKindOverAGapCountsTheMomentsFromItsFirstMinuteUpToItsEnd) {
    const std::int64_t eight = Minute(2030, 1, 14, 8, 0), half = Minute(2030, 1, 14, 8, 30);
    ExpectGap(Missed("一次2030/1/14日8时10分", eight, half), 1, "2030-01-14 08:10", "2030-01-14 08:10");
    ExpectGap(Missed("一次2030/1/14日8时0分", eight, half), 1, "2030-01-14 08:00", "2030-01-14 08:00");
    EXPECT_EQ(Missed("一次2030/1/14日8时30分", eight, half).count, 0) << "the minute looked at is the tick's";
    EXPECT_EQ(Missed("一次2030/1/14日7时59分", eight, half).count, 0) << "watched already";
    EXPECT_EQ(Missed("一次2030/1/15日8时10分", eight, half).count, 0) << "another day";

    // A daily task over three days, its third morning the last minute of the gap.
    ExpectGap(Missed("每天8时30分", Minute(2030, 1, 13, 9, 0), Minute(2030, 1, 16, 8, 31)), 3, "2030-01-14 08:30",
              "2030-01-16 08:30");
    EXPECT_EQ(Missed("每天8时30分", Minute(2030, 1, 13, 9, 0), Minute(2030, 1, 16, 8, 30)).count, 2);
    // Day 31 skips the shorter months; 29 February waits for a leap year.
    ExpectGap(Missed("每月31日12时0分", Minute(2030, 3, 31, 0, 0), Minute(2030, 5, 1, 0, 0)), 1, "2030-03-31 12:00",
              "2030-03-31 12:00");
    EXPECT_EQ(Missed("每月31日12时0分", Minute(2030, 4, 1, 0, 0), Minute(2030, 5, 1, 0, 0)).count, 0);
    ExpectGap(Missed("每月30日12时0分", Minute(2030, 4, 1, 0, 0), Minute(2030, 5, 1, 0, 0)), 1, "2030-04-30 12:00",
              "2030-04-30 12:00");
    ExpectGap(Missed("每月29日0时0分", Minute(2032, 2, 1, 0, 0), Minute(2032, 3, 1, 0, 0)), 1, "2032-02-29 00:00",
              "2032-02-29 00:00");
    ExpectGap(Missed("每周0日23时59分", Minute(2030, 1, 1, 0, 0), Minute(2030, 1, 14, 0, 0)), 2, "2030-01-06 23:59",
              "2030-01-13 23:59");
    ExpectGap(Missed("每年12月31日23时59分", Minute(2029, 12, 31, 23, 59), Minute(2030, 1, 1, 0, 0)), 1,
              "2029-12-31 23:59", "2029-12-31 23:59");
    // An interval counts anew each day: every 30 minutes from 0:15.
    ExpectGap(Missed("每隔30分开始0时15分", eight, Minute(2030, 1, 14, 10, 0)), 4, "2030-01-14 08:15",
              "2030-01-14 09:45");
    ExpectGap(Missed("每隔600分开始12时0分", Minute(2030, 1, 14, 20, 0), Minute(2030, 1, 15, 3, 0)), 2,
              "2030-01-14 22:00", "2030-01-15 02:00");
    // Idle and boot schedules wait for no moment; a text of no kind never comes.
    EXPECT_EQ(Missed("空闲10分钟", eight, half).count, 0);
    EXPECT_EQ(Missed("开机0时5分", eight, half).count, 0);
    EXPECT_EQ(Missed("每日8时10分", eight, half).count, 0);
    EXPECT_EQ(Missed("每天8时10分", half, eight).count, 0) << "a clock set back leaves no gap";
}

TEST(MissedRuns, TheGapIsLookedIntoForItsLast31DaysAndATaskCountsAThousandAtMost) {
    const std::int64_t end = Minute(2030, 3, 1, 9, 0);
    ExpectGap(Missed("每天8时30分", Minute(2029, 1, 1, 0, 0), end), 31, "2030-01-30 08:30", "2030-03-01 08:30");
    // The first minute of the look-back, 31 days before the end, is in it.
    ExpectGap(Missed("每天9时0分", Minute(2029, 1, 1, 0, 0), end), 31, "2030-01-29 09:00", "2030-02-28 09:00");
    const Gap busy = Missed("每隔1分开始0时0分", Minute(2030, 1, 1, 0, 0), end);
    EXPECT_EQ(busy.count, kMissedCountLimit);
    MissedRuns limit;
    limit.count = kMissedCountLimit;
    limit.first = calendar::FromMinuteNumber(end - kMissedLookBackMinutes);
    EXPECT_EQ(MissedOutcome(limit).text, "错过 1000 次以上：自 2030-01-29 09:00 起");
    limit.count = 3;
    limit.last = calendar::FromMinuteNumber(end);
    EXPECT_EQ(MissedOutcome(limit).text, "错过 3 次：2030-01-29 09:00 至 2030-03-01 09:00");
}

TEST(MissedRuns, OnlyTheTypesThatHarmNothingAfterTheirMomentAreCaughtUpOn) {
    std::vector<TaskType> caught;
    for (int t = 0; t < kTaskTypeCount; ++t)
        if (CatchesUp(static_cast<TaskType>(t))) caught.push_back(static_cast<TaskType>(t));
    EXPECT_EQ(caught, (std::vector<TaskType>{TaskType::Reminder, TaskType::OpenFile, TaskType::OpenFolder,
                                             TaskType::CloseProgram, TaskType::CleanJunk, TaskType::BackupFile,
                                             TaskType::BackupFolder}))
        << "never a power action, the dial, the hang-up or an adapter";
}

TEST(WatchedMinute, ReadsBackOnlyTheTextItWrites) {
    const LocalTime t = calendar::FromMinuteNumber(Minute(2026, 12, 9, 8, 30));
    EXPECT_EQ(WatchedMinuteText(t), "2026-12-09 08:30");
    EXPECT_EQ(ParseWatchedMinute("2026-12-09 08:30"), Minute(2026, 12, 9, 8, 30));
    EXPECT_EQ(ParseWatchedMinute("2028-02-29 23:59"), Minute(2028, 2, 29, 23, 59));
    for (const char* text : {"2026-12-09 8:30", "2026-12-09 08:30 ", "2026-02-29 08:30", "2026-12-09 24:00",
                             "2026-12-09 08:60", "+026-12-09 08:30", "2026-12-09T08:30", "", "1600-12-31 23:59",
                             "2026-13-01 00:00"})
        EXPECT_EQ(ParseWatchedMinute(text), std::nullopt) << text;
}

}  // namespace
