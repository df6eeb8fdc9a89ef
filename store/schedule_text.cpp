#include "store/schedule_text.h"

#include "store/calendar.h"
#include "store/task_texts.h"

#include <array>
#include <cstring>

namespace {

// First bytes of the unit characters, as the readers recognise them.
constexpr unsigned char kMinuteByte = 0xB7;  // 分
constexpr unsigned char kHourByte = 0xCA;    // 时
constexpr unsigned char kDayByte = 0xC8;     // 日
constexpr unsigned char kMonthByte = 0xD4;   // 月
constexpr unsigned char kTianFirst = 0xCC;   // 天, first byte
constexpr unsigned char kTianSecond = 0xEC;  // 天, second byte

// Each kind: its prefix, the separator ending each field, and whether the
// field after the first skips "分开始" (the interval kind).
struct KindGrammar {
    ScheduleKind kind;
    const char* prefix;
    unsigned char separators[4];
    size_t fieldCount;
    bool interval;
};
constexpr KindGrammar kGrammars[] = {
    {ScheduleKind::Idle, "空闲", {kMinuteByte}, 1, false},
    {ScheduleKind::Once, "一次", {kDayByte, kHourByte, kMinuteByte}, 3, false},
    {ScheduleKind::Daily, "每天", {kHourByte, kMinuteByte}, 2, false},
    {ScheduleKind::Weekly, "每周", {kDayByte, kHourByte, kMinuteByte}, 3, false},
    {ScheduleKind::Monthly, "每月", {kDayByte, kHourByte, kMinuteByte}, 3, false},
    {ScheduleKind::Yearly, "每年", {kMonthByte, kDayByte, kHourByte, kMinuteByte}, 4, false},
    {ScheduleKind::AtBoot, "开机", {kHourByte, kMinuteByte}, 2, false},
    {ScheduleKind::Interval, "每隔", {kMinuteByte, kHourByte, kMinuteByte}, 3, true},
};

const KindGrammar* GrammarOf(std::string_view a) {
    if (a.size() < 4) return nullptr;
    for (const KindGrammar& g : kGrammars) {
        if (std::memcmp(a.data(), g.prefix, 4) == 0) return &g;
    }
    return nullptr;
}

// Scans from 1-based `start` until `separator` or the end of the text;
// returns the field and the position where the scan stopped.
std::pair<std::string_view, size_t> ScanTo(std::string_view s, size_t start, unsigned char separator) {
    size_t p = start;
    while (p <= s.size() && static_cast<unsigned char>(s[p - 1]) != separator) ++p;
    if (start > s.size()) return {std::string_view(), p};
    return {s.substr(start - 1, p - start), p};
}

struct Fields {
    std::array<std::string_view, 4> at;
    size_t count = 0;
};

// The fields of A after its two-character prefix, each ended by the first
// byte of its separator (a one-off date by the last 日). The next field starts two bytes on, past the
// separator; in an interval text the field after N skips "分开始". Once a
// field would start past the end, it and all later fields are empty.
Fields ScanFields(std::string_view a, const KindGrammar& g) {
    Fields fields;
    fields.count = g.fieldCount;
    size_t start = 5;
    for (size_t i = 0; i < g.fieldCount && start <= a.size(); ++i) {
        auto [field, stop] = ScanTo(a, start, g.separators[i]);
        if (g.kind == ScheduleKind::Once && i == 0) {
            // The date is in the user's short date format, which may hold
            // 日 itself ("2030年1月5日"): it ends at the last 日, after which
            // only the time follows.
            const size_t last = a.rfind(static_cast<char>(kDayByte));
            if (last != std::string_view::npos && last + 1 > stop) {
                stop = last + 1;
                field = a.substr(start - 1, stop - start);
            }
        }
        fields.at[i] = field;
        start = stop + ((g.interval && i == 0) ? 6 : 2);
    }
    return fields;
}

// Every numeric field must convert; a record with one that does not is
// never due. The date of a one-off record is read apart, from its text.
bool Convert(const KindGrammar& g, const Fields& fields, std::int64_t (&n)[4]) {
    const size_t first = g.kind == ScheduleKind::Once ? 1 : 0;
    for (size_t i = first; i < fields.count; ++i) {
        std::optional<std::int32_t> value = ToInt(fields.at[i]);
        if (!value) return false;
        n[i] = *value;
    }
    return true;
}

// Only the text "7" stands for Sunday; "07" or "+7" is a weekday 7 that never comes.
std::int64_t WeekdayOf(const Fields& fields, const std::int64_t (&n)[4]) { return fields.at[0] == "7" ? 0 : n[0]; }
std::int64_t BootMinutes(const std::int64_t (&n)[4]) { return n[0] * 60 + n[1]; }

bool IsDue(const KindGrammar& g, const Fields& fields, const DueInputs& in) {
    const LocalTime& now = in.now;
    // The date of a one-off record is read last, only when its time matches.
    std::int64_t n[4] = {};
    if (!Convert(g, fields, n)) return false;
    auto timeMatches = [&](size_t hourIndex) { return n[hourIndex] == now.hour && n[hourIndex + 1] == now.minute; };
    switch (g.kind) {
    case ScheduleKind::Idle: return n[0] == static_cast<std::int64_t>(in.idleMinutes());
    case ScheduleKind::Once: {
        if (!timeMatches(1)) return false;
        auto date = in.dateFormat().Parse(fields.at[0], now.year);
        return date && *date == ShortDateFormat::Date{now.year, now.month, now.day};
    }
    case ScheduleKind::Daily: return timeMatches(0);
    case ScheduleKind::Weekly: return WeekdayOf(fields, n) == now.dayOfWeek && timeMatches(1);
    case ScheduleKind::Monthly: return n[0] == now.day && timeMatches(1);
    case ScheduleKind::Yearly: return n[0] == now.month && n[1] == now.day && timeMatches(2);
    case ScheduleKind::AtBoot: {
        const std::int64_t minutes = BootMinutes(n);
        return minutes >= 0 && static_cast<std::uint64_t>(minutes) == in.uptimeMilliseconds() / 60000;
    }
    case ScheduleKind::Interval: {
        if (n[0] == 0) return false;
        std::int64_t distance = (now.hour * 60 + now.minute) - (n[1] * 60 + n[2]);
        return distance % n[0] == 0;
    }
    case ScheduleKind::None: break;
    }
    return false;
}

std::string Num(int value) { return std::to_string(value); }

using calendar::DayNumber;
using calendar::DaysInMonth;
using calendar::MomentOn;

// The minute of day of the hour and minute fields at `i`, or -1 when they
// name no time of day: such a record's time never matches the clock.
std::int64_t MinuteOfDay(const std::int64_t (&n)[4], size_t i) {
    return n[i] >= 0 && n[i] <= 23 && n[i + 1] >= 0 && n[i + 1] <= 59 ? n[i] * 60 + n[i + 1] : -1;
}

// The next minute of a kind that names a moment, by the same fields the due
// test reads; nullopt when no minute from now on is due.
std::optional<LocalTime> NextMoment(const KindGrammar& g, const Fields& fields, const std::int64_t (&n)[4],
                                    const DueInputs& in) {
    const LocalTime& now = in.now;
    const std::int64_t today = DayNumber(now.year, now.month, now.day);
    const std::int64_t nowMinute = now.hour * 60 + now.minute;
    // Whether day `day` at minute `minute` is not before now's minute.
    auto fromNow = [&](std::int64_t day, std::int64_t minute) {
        return day > today || (day == today && minute >= nowMinute);
    };
    switch (g.kind) {
    case ScheduleKind::Once: {
        const std::int64_t t = MinuteOfDay(n, 1);
        if (t < 0) return std::nullopt;
        // A two-digit year is read in the century of the minute tested, so
        // each century from now's on may hold the date; a four-digit year is
        // the same in all of them.
        for (int century = now.year / 100; century <= 30827 / 100; ++century) {
            const auto date = in.dateFormat().Parse(fields.at[0], century * 100);
            if (!date) continue;
            const std::int64_t day = DayNumber(date->year, date->month, date->day);
            if (fromNow(day, t)) return MomentOn(day, t);
            if (date->year / 100 != century) break;
        }
        return std::nullopt;
    }
    case ScheduleKind::Daily: {
        const std::int64_t t = MinuteOfDay(n, 0);
        if (t < 0) return std::nullopt;
        return MomentOn(fromNow(today, t) ? today : today + 1, t);
    }
    case ScheduleKind::Weekly: {
        const std::int64_t t = MinuteOfDay(n, 1), weekday = WeekdayOf(fields, n);
        if (t < 0 || weekday < 0 || weekday > 6) return std::nullopt;
        std::int64_t ahead = (weekday - calendar::WeekdayOf(today) + 7) % 7;
        if (!fromNow(today + ahead, t)) ahead += 7;
        return MomentOn(today + ahead, t);
    }
    case ScheduleKind::Monthly: {
        const std::int64_t t = MinuteOfDay(n, 1), day = n[0];
        if (t < 0 || day < 1 || day > 31) return std::nullopt;
        // This month or the next that has the day (day 31 skips the months of 30).
        int year = now.year, month = now.month;
        auto nextMonth = [&] {
            if (++month > 12) month = 1, ++year;
        };
        if (!fromNow(DayNumber(year, month, static_cast<int>(day)), t)) nextMonth();
        while (day > DaysInMonth(year, month)) nextMonth();
        return MomentOn(DayNumber(year, month, static_cast<int>(day)), t);
    }
    case ScheduleKind::Yearly: {
        const std::int64_t t = MinuteOfDay(n, 2), month = n[0], day = n[1];
        if (t < 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(2000, static_cast<int>(month)))
            return std::nullopt;
        // This year or the next that has the day (29 February waits for a leap year).
        int year = now.year;
        const int m = static_cast<int>(month), d = static_cast<int>(day);
        if (d > DaysInMonth(year, m) || !fromNow(DayNumber(year, m, d), t)) ++year;
        while (d > DaysInMonth(year, m)) ++year;
        return MomentOn(DayNumber(year, m, d), t);
    }
    case ScheduleKind::Interval: {
        // Due where the minute of the day lies a multiple of N from the
        // anchor, counted anew each day: the same minutes every day, the
        // first of them `first`.
        if (n[0] == 0) return std::nullopt;
        const std::int64_t every = n[0] < 0 ? -n[0] : n[0];
        const std::int64_t first = ((n[1] * 60 + n[2]) % every + every) % every;
        const std::int64_t t = nowMinute + ((first - nowMinute) % every + every) % every;
        if (t < 1440) return MomentOn(today, t);
        if (first < 1440) return MomentOn(today + 1, first);
        return std::nullopt;
    }
    case ScheduleKind::AtBoot: {
        // The minute in which the time since the start reaches the minutes
        // asked, counted from now's second.
        const std::int64_t minutes = BootMinutes(n);
        const std::uint64_t uptime = in.uptimeMilliseconds();
        if (minutes < 0 || uptime / 60000 > static_cast<std::uint64_t>(minutes)) return std::nullopt;
        const std::uint64_t remaining =
            uptime / 60000 == static_cast<std::uint64_t>(minutes) ? 0 : minutes * 60000 - uptime;
        const std::int64_t at = nowMinute + static_cast<std::int64_t>((now.second * 1000 + remaining) / 60000);
        return MomentOn(today + at / 1440, at % 1440);
    }
    case ScheduleKind::Idle:
    case ScheduleKind::None: break;
    }
    return std::nullopt;
}

}  // namespace

ScheduleKind KindOf(const std::string& a) {
    const KindGrammar* g = GrammarOf(a);
    return g ? g->kind : ScheduleKind::None;
}

std::string IdleText(const std::string& minutes) { return "空闲" + minutes + "分钟"; }
std::string OnceText(const std::string& date, int hour, int minute) {
    return "一次" + date + "日" + Num(hour) + "时" + Num(minute) + "分";
}
std::string DailyText(int hour, int minute) { return "每天" + Num(hour) + "时" + Num(minute) + "分"; }
std::string WeeklyText(const std::string& weekday, int hour, int minute) {
    return "每周" + weekday + "日" + Num(hour) + "时" + Num(minute) + "分";
}
std::string MonthlyText(const std::string& day, int hour, int minute) {
    return "每月" + day + "日" + Num(hour) + "时" + Num(minute) + "分";
}
std::string YearlyText(const std::string& month, const std::string& day, int hour, int minute) {
    return "每年" + month + "月" + day + "日" + Num(hour) + "时" + Num(minute) + "分";
}
std::string AtBootText(const std::string& hours, const std::string& minutes) {
    return "开机" + (hours.empty() ? "0" : hours) + "时" + (minutes.empty() ? "0" : minutes) + "分";
}
std::string IntervalText(const std::string& n, int hour, int minute) {
    if (n.empty()) return {};
    return "每隔" + n + "分开始" + Num(hour) + "时" + Num(minute) + "分";
}

bool IsScheduleDue(const std::string& a, const DueInputs& inputs) {
    const KindGrammar* g = GrammarOf(a);
    return g && IsDue(*g, ScanFields(a, *g), inputs);
}

NextRun NextRunOf(const std::string& a, const DueInputs& inputs) {
    NextRun next;
    const KindGrammar* g = GrammarOf(a);
    if (!g) return next;
    const Fields fields = ScanFields(a, *g);
    std::int64_t n[4] = {};
    if (!Convert(*g, fields, n)) return next;
    if (g->kind == ScheduleKind::Idle) {
        if (n[0] >= 0) next = {NextRun::Is::WhenIdle, {}, n[0]};
        return next;
    }
    if (const auto at = NextMoment(*g, fields, n, inputs)) {
        next = {NextRun::Is::At, *at, 0};
    } else if (g->kind == ScheduleKind::AtBoot && BootMinutes(n) >= 0) {
        next = {NextRun::Is::BootPassed, {}, BootMinutes(n)};
    }
    return next;
}

std::vector<std::string> ScheduleFields(const std::string& a) {
    const KindGrammar* g = GrammarOf(a);
    if (!g) return {};
    Fields fields = ScanFields(a, *g);
    return std::vector<std::string>(fields.at.begin(), fields.at.begin() + fields.count);
}
WakeSpecFields SplitWakeSpec(const std::string& c) {
    WakeSpecFields w;
    if (c == kNoWake) {
        w.choice = c;
        return w;
    }
    size_t ec = c.find(static_cast<char>(kTianSecond));
    w.choice = ec == std::string::npos ? c : c.substr(0, ec + 1);
    // The day stands after 第 and before 天; a choice typed without 第 has
    // its day (and after it the wake time) from the first byte on.
    const size_t dayStart = c.compare(0, 2, "第") == 0 ? 3 : 1;
    auto [day, cc] = ScanTo(c, dayStart, kTianFirst);
    auto [hour, ca] = ScanTo(c, cc + 2, kHourByte);
    w.day = day;
    w.hour = hour;
    w.minute = ScanTo(c, ca + 2, kMinuteByte).first;
    return w;
}
