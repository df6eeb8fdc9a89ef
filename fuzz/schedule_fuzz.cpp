// The schedule readers and the due test over any A text and any local time:
// the tick's reader and the editor's agree on the due flag and the fields,
// and a text made by a writer reads back to the fields it was made from and
// is due exactly when the calendar says; the next run is the first minute
// the due test finds.
#include "fuzz/fuzz_check.h"
#include "store/calendar.h"
#include "store/schedule_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr unsigned char kMinuteLead = 0xB7, kHourLead = 0xCA, kDayLead = 0xC8, kMonthLead = 0xD4;

size_t FieldCount(ScheduleKind kind) {
    switch (kind) {
    case ScheduleKind::Idle: return 1;
    case ScheduleKind::Daily:
    case ScheduleKind::AtBoot: return 2;
    case ScheduleKind::Once:
    case ScheduleKind::Weekly:
    case ScheduleKind::Monthly:
    case ScheduleKind::Interval: return 3;
    case ScheduleKind::Yearly: return 4;
    case ScheduleKind::None: break;
    }
    return 0;
}

// A field text as an editor control might hold it, without the byte that
// ends that field.
std::string FieldText(FuzzedDataProvider& in, unsigned char separatorLead) {
    std::string text = in.ConsumeRandomLengthString(12);
    std::erase(text, static_cast<char>(separatorLead));
    return text;
}

// The fields a writer should read back as, then whether the calendar makes
// the text due.
struct Written {
    std::string a;
    std::vector<std::string> fields;
    bool checkDue = false;  // the expected flag is known
    bool due = false;
};

Written Write(FuzzedDataProvider& in, const LocalTime& now, std::uint32_t idle, std::uint64_t uptime,
              const std::string& picture, bool realisticPicture) {
    Written w;
    // Times as a picker gives them most of the time, any int now and then.
    auto number = [&](int low, int high) {
        return in.ConsumeBool() ? in.ConsumeIntegralInRange(low, high) : in.ConsumeIntegral<int>();
    };
    const int hour = number(0, 23), minute = number(0, 59);
    const bool timeMatches = hour == now.hour && minute == now.minute;
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: {
        const int minutes = number(0, 1000);
        const std::string text = in.ConsumeBool() ? std::to_string(minutes) : FieldText(in, kMinuteLead);
        w.a = IdleText(text);
        w.fields = {text};
        w.checkDue = text == std::to_string(minutes);
        w.due = w.checkDue && minutes >= 0 && static_cast<std::uint32_t>(minutes) == idle;
        break;
    }
    case 1: {
        // A date as the editor writes it, in one of the pictures Windows
        // offers (today, or any day), or any text.
        const int pick = in.ConsumeIntegralInRange(0, 2);
        std::string date;
        if (pick < 2 && now.year <= 9999) {
            const ShortDateFormat format(picture);
            const int year = pick == 0 ? now.year : in.ConsumeIntegralInRange(1601, 9999);
            const int month = pick == 0 ? now.month : in.ConsumeIntegralInRange(1, 12);
            const int day = pick == 0 ? now.day : in.ConsumeIntegralInRange(1, 28);
            date = format.Format(year, month, day);
            w.checkDue = realisticPicture;
            w.due = timeMatches && date == format.Format(now.year, now.month, now.day);
        } else {
            date = FieldText(in, kDayLead);
        }
        w.a = OnceText(date, hour, minute);
        w.fields = {date, std::to_string(hour), std::to_string(minute)};
        break;
    }
    case 2:
        w.a = DailyText(hour, minute);
        w.fields = {std::to_string(hour), std::to_string(minute)};
        w.checkDue = true;
        w.due = timeMatches;
        break;
    case 3: {
        const int weekday = number(1, 7);
        const std::string text = in.ConsumeBool() ? std::to_string(weekday) : FieldText(in, kDayLead);
        w.a = WeeklyText(text, hour, minute);
        w.fields = {text, std::to_string(hour), std::to_string(minute)};
        w.checkDue = text == std::to_string(weekday);
        w.due = w.checkDue && (weekday == 7 ? 0 : weekday) == now.dayOfWeek && timeMatches;
        break;
    }
    case 4: {
        const int day = number(1, 31);
        const std::string text = in.ConsumeBool() ? std::to_string(day) : FieldText(in, kDayLead);
        w.a = MonthlyText(text, hour, minute);
        w.fields = {text, std::to_string(hour), std::to_string(minute)};
        w.checkDue = text == std::to_string(day);
        w.due = w.checkDue && day == now.day && timeMatches;
        break;
    }
    case 5: {
        const int month = number(1, 12), day = number(1, 31);
        const bool numbers = in.ConsumeBool();
        const std::string m = numbers ? std::to_string(month) : FieldText(in, kMonthLead);
        const std::string d = numbers ? std::to_string(day) : FieldText(in, kDayLead);
        w.a = YearlyText(m, d, hour, minute);
        w.fields = {m, d, std::to_string(hour), std::to_string(minute)};
        w.checkDue = numbers;
        w.due = numbers && month == now.month && day == now.day && timeMatches;
        break;
    }
    case 6: {
        const bool numbers = in.ConsumeBool();
        const int hours = number(0, 99), minutes = number(0, 59);
        const std::string h = numbers ? std::to_string(hours) : FieldText(in, kHourLead);
        const std::string m = numbers ? std::to_string(minutes) : FieldText(in, kMinuteLead);
        w.a = AtBootText(h, m);
        w.fields = {h.empty() ? "0" : h, m.empty() ? "0" : m};
        w.checkDue = numbers;
        const std::int64_t total = static_cast<std::int64_t>(hours) * 60 + minutes;
        w.due = numbers && total >= 0 && static_cast<std::uint64_t>(total) == uptime / 60000;
        break;
    }
    default: {
        const int every = number(1, 1440);
        const std::string n = in.ConsumeBool() ? std::to_string(every) : FieldText(in, kMinuteLead);
        w.a = IntervalText(n, hour, minute);
        if (n.empty()) {
            w.checkDue = true;  // no text, never due
            break;
        }
        w.fields = {n, std::to_string(hour), std::to_string(minute)};
        w.checkDue = n == std::to_string(every);
        if (w.checkDue && every != 0) {
            // Due at the anchor and every `every` minutes before and after it, within the day.
            const std::int64_t distance = (now.hour * 60 + now.minute) - (static_cast<std::int64_t>(hour) * 60 + minute);
            w.due = distance % every == 0;
        }
        break;
    }
    }
    return w;
}

// The next run against the due test stepped minute by minute over two days
// from now, whose weekday the calendar tells: the first due minute is the
// next run; with none due on the way, the next run lies beyond and is due
// there, or there is none. Idle and boot schedules wait for no clock minute.
void CheckNextRun(const std::string& a, DueInputs in) {
    if (KindOf(a) == ScheduleKind::Idle || KindOf(a) == ScheduleKind::AtBoot) return;
    static constexpr int kShift[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};  // Sakamoto's weekday
    LocalTime& t = in.now;
    const int y = t.year - (t.month < 3);
    t.dayOfWeek = (y + y / 4 - y / 100 + y / 400 + kShift[t.month - 1] + t.day) % 7;
    const NextRun next = NextRunOf(a, in);
    t.second = 0;
    for (int i = 0; i < 2 * 1440 && !IsScheduleDue(a, in); ++i) {
        if (++t.minute < 60 || (t.minute = 0, ++t.hour < 24)) continue;
        t.hour = 0;
        t.dayOfWeek = (t.dayOfWeek + 1) % 7;
        if (++t.day > calendar::DaysInMonth(t.year, t.month) && (t.day = 1, ++t.month > 12)) t.month = 1, ++t.year;
    }
    auto key = [](const LocalTime& m) { return std::tuple(m.year, m.month, m.day, m.hour, m.minute, m.dayOfWeek); };
    const bool at = next.is == NextRun::Is::At, found = IsScheduleDue(a, in);
    FUZZ_CHECK(found ? at && key(next.at) == key(t) : !at ? next.is == NextRun::Is::Never : key(next.at) > key(t),
               "the next run of " + Shown(a) + " is not the first due minute");
    t = next.at;
    FUZZ_CHECK(!at || IsScheduleDue(a, in), "the next run of " + Shown(a) + " is not due");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    LocalTime now;
    now.year = in.ConsumeIntegralInRange(1601, 30827);
    now.month = in.ConsumeIntegralInRange(1, 12);
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (now.year % 4 == 0 && now.year % 100 != 0) || now.year % 400 == 0;
    now.day = in.ConsumeIntegralInRange(1, kDays[now.month - 1] + (now.month == 2 && leap ? 1 : 0));  // a real day
    now.dayOfWeek = in.ConsumeIntegralInRange(0, 6);
    now.hour = in.ConsumeIntegralInRange(0, 23);
    now.minute = in.ConsumeIntegralInRange(0, 59);
    now.second = in.ConsumeIntegralInRange(0, 59);
    const std::uint32_t idle = in.ConsumeIntegral<std::uint32_t>();
    const std::uint64_t uptime = in.ConsumeIntegral<std::uint64_t>();
    const bool realisticPicture = in.ConsumeBool();
    const std::string picture =
        realisticPicture ? PictureFor(in.ConsumeIntegral<unsigned char>()) : in.ConsumeRandomLengthString(16);
    const ShortDateFormat format(picture);
    const DueInputs inputs{now, [&] { return idle; }, [&] { return uptime; },
                           [&]() -> const ShortDateFormat& { return format; }};

    const bool fromWriter = in.ConsumeBool();
    Written written;
    if (fromWriter) written = Write(in, now, idle, uptime, picture, realisticPicture);
    const std::string a = fromWriter ? written.a : in.ConsumeRemainingBytesAsString();

    const std::vector<std::string> fields = ScheduleFields(a);
    const ScheduleKind kind = KindOf(a);
    const bool due = IsScheduleDue(a, inputs);
    FUZZ_CHECK(fields.size() == FieldCount(kind), "wrong field count for " + Shown(a));
    if (kind == ScheduleKind::None) FUZZ_CHECK(!due, "a text of no kind is due: " + Shown(a));
    CheckNextRun(a, inputs);

    if (fromWriter) {
        FUZZ_CHECK(fields == written.fields, "the writer's text " + Shown(a) + " reads back other fields");
        if (written.checkDue)
            FUZZ_CHECK(due == written.due, "the writer's text " + Shown(a) + (due ? " is due" : " is not due") +
                                               " against the calendar");
    }
    return 0;
}
