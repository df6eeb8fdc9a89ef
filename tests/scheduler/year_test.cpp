// A whole year of the real tick, every 6 seconds on a simulated clock, over a
// store with one task of each schedule kind at its edge values. Every
// dispatch is checked against firing minutes worked out here from the
// calendar, with date arithmetic of this file's own.
#include "scheduler/scheduler.h"

#include "platform/fake_registry.h"
#include "store/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>

namespace {

constexpr std::int64_t kMinuteMs = 60000;
constexpr std::int64_t kDayMs = 24 * 60 * kMinuteMs;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int year, month, day, weekday;  // weekday 0 Sunday
};

Civil CivilFromDays(std::int64_t z) {
    const int weekday = static_cast<int>(((z % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return {static_cast<int>(yoe + era * 400) + (m <= 2), m, d, weekday};
}

// The span: 2 March 2027 to 29 February 2028 inclusive, 365 days holding
// the leap day, seven 31sts and the last minute of 2027.
const std::int64_t kFirstDay = DaysFromCivil(2027, 3, 2);
constexpr int kDays = 365;
constexpr std::int64_t kBootedBeforeStartMs = 10 * kMinuteMs;

// The user's input, each day: at 8:00, 8:09 (nine quiet minutes), 8:19 (ten
// quiet minutes, not more) and 12:00; and once at the very start.
std::vector<std::int64_t> InputMoments() {
    std::vector<std::int64_t> moments{0};
    for (int day = 0; day < kDays; ++day) {
        for (int minute : {8 * 60, 8 * 60 + 9, 8 * 60 + 19, 12 * 60})
            moments.push_back(day * kDayMs + minute * kMinuteMs);
    }
    return moments;
}

// The simulated clock: milliseconds since midnight of the first day. The
// date is worked out again only when the day changes.
class YearClock : public Clock {
public:
    explicit YearClock(const std::int64_t& nowMs) : nowMs_(nowMs), inputs_(InputMoments()) {}

    LocalTime Now() override {
        const std::int64_t day = nowMs_ / kDayMs;
        if (day != day_) {
            day_ = day;
            civil_ = CivilFromDays(kFirstDay + day);
        }
        const std::int64_t inDay = nowMs_ % kDayMs;
        LocalTime t;
        t.year = civil_.year;
        t.month = civil_.month;
        t.day = civil_.day;
        t.dayOfWeek = civil_.weekday;
        t.hour = static_cast<int>(inDay / 3600000);
        t.minute = static_cast<int>(inDay / kMinuteMs % 60);
        t.second = static_cast<int>(inDay / 1000 % 60);
        return t;
    }
    // The 32-bit tick count wraps every 49.7 days, as Windows' does.
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(UptimeMilliseconds()); }
    std::uint64_t UptimeMilliseconds() override { return static_cast<std::uint64_t>(kBootedBeforeStartMs + nowMs_); }
    std::uint32_t LastInputTick() override {
        while (next_ < inputs_.size() && inputs_[next_] <= nowMs_) ++next_;
        return static_cast<std::uint32_t>(kBootedBeforeStartMs + inputs_[next_ - 1]);
    }
    std::string ShortDatePicture() override { return "yyyy/M/d"; }

private:
    const std::int64_t& nowMs_;
    std::int64_t day_ = -1;
    Civil civil_{};
    std::vector<std::int64_t> inputs_;
    size_t next_ = 0;
};

// A store as cheap to read as can be: records by number and letter, the
// options by name. The tick sees it through the same accessor as ever.
class YearStore : public RegistryBackend {
public:
    void PutRecord(int n, const std::string& a, const std::string& c) {
        if (records_.size() <= static_cast<size_t>(n)) records_.resize(n + 1);
        records_[n] = {StringValue(a), StringValue("提醒"), StringValue(c), StringValue(kStateEnabled)};
        ++values_;
        values_ += 3;
    }
    RegKey Open(RegRoot, const std::string&, bool) override { return 1; }
    void Close(RegKey) override {}
    bool ReadOnly(RegKey) const override { return false; }
    std::optional<std::uint32_t> ValueCount(RegKey) override { return values_; }
    std::optional<RegValue> Query(RegKey, const std::string& name) override {
        const char letter = name[0];
        if (letter < 'A' || letter > 'D' || name.size() < 2) return std::nullopt;
        size_t n = 0;
        for (size_t i = 1; i < name.size(); ++i) n = n * 10 + static_cast<size_t>(name[i] - '0');
        if (n >= records_.size() || records_[n][0].text.empty()) return std::nullopt;
        return records_[n][letter - 'A'];
    }
    bool SetString(RegKey, const std::string&, const std::string&) override { return false; }
    bool SetDword(RegKey, const std::string&, std::uint32_t) override { return false; }
    bool Delete(RegKey, const std::string&) override { return false; }
    std::vector<std::string> Names(RegKey) override { return {}; }
    bool RenameKey(RegRoot, const std::string&, const std::string&) override { return false; }
    bool DeleteKey(RegRoot, const std::string&) override { return false; }

private:
    std::vector<std::array<RegValue, 4>> records_;
    std::uint32_t values_ = 1;  // TaskNum
};

// Timers on the simulated clock, as in the scheduler tests.
class YearTimers : public TimerSwitch {
public:
    std::int64_t nowMs = 0;
    std::int64_t next[kTimerCount] = {};

protected:
    void StartTimer(TimerId id, unsigned intervalMs) override { next[id] = nowMs + intervalMs; }
    void StopTimer(TimerId) override {}
};

// Each dispatch with the minute it came in (since the start).
class Dispatches : public TaskActions, public CountdownFace, public SoundPlayer {
public:
    explicit Dispatches(const std::int64_t& nowMs) : nowMs_(nowMs) {}
    std::map<std::string, std::vector<std::int64_t>> minutes;  // by reminder text
    int other = 0;                                              // anything but a reminder

    Outcome ShowReminder(const std::string& message, const std::string&) override {
        minutes[message].push_back(nowMs_ / kMinuteMs);
        return {};
    }
    Outcome OpenTarget(const std::string&) override { ++other; return {}; }
    Outcome KillProcessByName(const std::string&) override { ++other; return {}; }
    Outcome DialDefault() override { ++other; return {}; }
    Outcome CleanSystemJunk(bool) override { ++other; return {}; }
    void SetAdapterState(const std::string&, bool, OutcomeReport) override { ++other; }
    void StartBackup(TaskType, const std::string&, OutcomeReport) override { ++other; }
    void CloseAllPrograms() override { ++other; }
    void ExecutePowerAction(PowerAction, const std::string&, const OutcomeReport&) override { ++other; }
    void MyChangeCaption(const CountdownTexts&) override { ++other; }
    void ShowProgress(int, int) override {}
    void ShowRemaining(const std::string&) override {}
    void Show() override { ++other; }
    void Hide() override {}
    void PlayLoop(const std::string&) override {}
    void Stop() override {}

private:
    const std::int64_t& nowMs_;
};

// The minute (since the start) of a day of the span and a time of day.
std::int64_t MinuteOf(int day, int hour, int minute) { return day * 24 * 60 + hour * 60 + minute; }

// The firing minutes each task should have, from the calendar alone.
std::map<std::string, std::vector<std::int64_t>> ExpectedMinutes() {
    std::map<std::string, std::vector<std::int64_t>> expected;
    for (int day = 0; day < kDays; ++day) {
        const Civil date = CivilFromDays(kFirstDay + day);
        expected["daily"].push_back(MinuteOf(day, 0, 0));
        if (date.weekday == 0) expected["sunday"].push_back(MinuteOf(day, 23, 59));
        if (date.day == 31) expected["day31"].push_back(MinuteOf(day, 12, 0));
        if (date.month == 2 && date.day == 29) expected["feb29"].push_back(MinuteOf(day, 8, 0));
        if (date.year == 2027 && date.month == 12 && date.day == 31) expected["once"].push_back(MinuteOf(day, 23, 59));
        // Every 7 minutes from 23:58, counted within the day: 0:03, 0:10, ... 23:58.
        for (int m = 23 * 60 + 58; m >= 0; m -= 7) expected["interval"].push_back(day * 24 * 60 + m);
    }
    // Thirty minutes after boot, and never again.
    expected["boot"].push_back((30 * kMinuteMs - kBootedBeforeStartMs) / kMinuteMs);
    // Ten minutes into each quiet spell longer than ten minutes.
    const std::vector<std::int64_t> inputs = InputMoments();
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::int64_t quietUntil = i + 1 < inputs.size() ? inputs[i + 1] : kDays * kDayMs;
        if (quietUntil - inputs[i] > 10 * kMinuteMs) expected["idle"].push_back((inputs[i] + 10 * kMinuteMs) / kMinuteMs);
    }
    for (auto& [task, minutes] : expected) std::sort(minutes.begin(), minutes.end());
    return expected;
}

std::string When(std::int64_t minute) {
    const Civil date = CivilFromDays(kFirstDay + minute / (24 * 60));
    std::ostringstream out;
    out << date.year << "-" << date.month << "-" << date.day << " " << minute % (24 * 60) / 60 << ":"
        << minute % 60;
    return out.str();
}

// The first few minutes that one list has and the other has not.
std::string Differences(const std::vector<std::int64_t>& actual, const std::vector<std::int64_t>& expected) {
    std::vector<std::int64_t> extra, missing;
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
    std::ostringstream out;
    out << extra.size() << " unexpected, " << missing.size() << " missing;";
    for (size_t i = 0; i < std::min<size_t>(extra.size(), 5); ++i) out << " fired " << When(extra[i]) << ";";
    for (size_t i = 0; i < std::min<size_t>(missing.size(), 5); ++i) out << " did not fire " << When(missing[i]) << ";";
    return out.str();
}

TEST(SimulatedYear, EveryTaskFiresInExactlyItsMinutesForAWholeYear) {
    YearTimers timers;
    YearClock clock(timers.nowMs);
    Dispatches dispatches(timers.nowMs);
    YearStore store;
    ProgramState state;
    state.store = std::make_unique<TaskStore>(store, state.options);
    Countdown countdown(state.options, clock, timers, dispatches, dispatches, dispatches);
    Scheduler scheduler(state, clock, timers, dispatches, countdown);

    const std::pair<const char*, const char*> tasks[] = {
        {"每天0时0分", "daily"},
        {"每周7日23时59分", "sunday"},
        {"每周07日23时59分", "never: 07 is no Sunday"},
        {"每月31日12时0分", "day31"},
        {"每年2月29日8时0分", "feb29"},
        {"每年2月30日8时0分", "never: 30 February"},
        {"一次2027/12/31日23时59分", "once"},
        {"一次2028/12/31日23时59分", "never: a year too late"},
        {"每隔7分开始23时58分", "interval"},
        {"开机0时30分", "boot"},
        {"空闲10分钟", "idle"},
    };
    int n = 0;
    for (const auto& [a, label] : tasks) store.PutRecord(++n, a, label);
    state.options.TaskNum = n;

    timers.SetEnabled(kTimer1, true);
    const std::int64_t end = kDays * kDayMs;
    std::int64_t ticks = 0;
    for (;;) {
        TimerId first{};
        for (TimerId id : {kTimer1, kTimer2, kTimer3}) {
            if (timers.IsEnabled(id) && (!first || timers.next[id] < timers.next[first])) first = id;
        }
        if (!first || timers.next[first] >= end) break;
        timers.nowMs = timers.next[first];
        timers.next[first] += kTimerIntervals[first];
        if (first == kTimer1) {
            ++ticks;
            scheduler.Timer1Timer();
        } else if (first == kTimer3) {
            scheduler.Timer3Timer();
        } else {
            countdown.Timer2Timer();
        }
    }

    EXPECT_EQ(dispatches.other, 0);
    const auto expected = ExpectedMinutes();
    EXPECT_EQ(expected.at("daily").size(), 365u);
    EXPECT_EQ(expected.at("day31").size(), 7u);
    EXPECT_EQ(expected.at("feb29").size(), 1u);
    EXPECT_EQ(expected.at("sunday").size(), 52u);
    EXPECT_EQ(expected.at("interval").size(), 206u * 365);
    EXPECT_EQ(expected.at("idle").size(), 2u * 365 + 1);
    for (const auto& [task, minutes] : expected) {
        auto found = dispatches.minutes.find(task);
        const std::vector<std::int64_t> actual = found == dispatches.minutes.end() ? std::vector<std::int64_t>{} : found->second;
        EXPECT_EQ(actual, minutes) << task << ": " << Differences(actual, minutes);
    }
    for (const auto& [task, minutes] : dispatches.minutes)
        EXPECT_TRUE(expected.count(task)) << "\"" << task << "\" fired " << minutes.size() << " times, first " << When(minutes[0]);
    // Every tick ran, less the minute's pause after each minute that fired.
    EXPECT_GT(ticks, 365 * 14400 * 8 / 10);
}

}  // namespace
