#include "store/task_record.h"

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

bool IsDue(const KindGrammar& g, const Fields& fields, const DueInputs& in) {
    const LocalTime& now = in.now;
    // Every numeric field must convert; a record with one that does not is
    // never due. The date of a one-off record is read last, only when its
    // time matches.
    std::int64_t n[4] = {};
    const size_t first = g.kind == ScheduleKind::Once ? 1 : 0;
    for (size_t i = first; i < fields.count; ++i) {
        std::optional<std::int32_t> value = ToInt(fields.at[i]);
        if (!value) return false;
        n[i] = *value;
    }
    auto timeMatches = [&](size_t hourIndex) { return n[hourIndex] == now.hour && n[hourIndex + 1] == now.minute; };
    switch (g.kind) {
    case ScheduleKind::Idle: return n[0] == static_cast<std::int64_t>(in.idleMinutes());
    case ScheduleKind::Once: {
        if (!timeMatches(1)) return false;
        auto date = in.dateFormat().Parse(fields.at[0], now.year);
        return date && *date == ShortDateFormat::Date{now.year, now.month, now.day};
    }
    case ScheduleKind::Daily: return timeMatches(0);
    case ScheduleKind::Weekly: {
        // Only the text "7" stands for Sunday; "07" or "+7" is a weekday 7 that never comes.
        std::int64_t weekday = fields.at[0] == "7" ? 0 : n[0];
        return weekday == now.dayOfWeek && timeMatches(1);
    }
    case ScheduleKind::Monthly: return n[0] == now.day && timeMatches(1);
    case ScheduleKind::Yearly: return n[0] == now.month && n[1] == now.day && timeMatches(2);
    case ScheduleKind::AtBoot: {
        std::int64_t minutes = n[0] * 60 + n[1];
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

}  // namespace

ScheduleKind KindOf(const std::string& a) {
    const KindGrammar* g = GrammarOf(a);
    return g ? g->kind : ScheduleKind::None;
}

std::optional<std::int32_t> ToInt(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    std::optional<std::int32_t> value = ToInt(text);
    if (!value) throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

ShortDateFormat::ShortDateFormat(const std::string& picture) {
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == 'y' || c == 'M' || c == 'd') {
            size_t j = i;
            while (j < picture.size() && picture[j] == c) ++j;
            tokens_.push_back({c, static_cast<int>(j - i), {}});
            i = j;
            continue;
        }
        std::string literal;
        if (c == '\'') {
            size_t close = picture.find('\'', i + 1);
            if (close == std::string::npos) close = picture.size();
            literal = picture.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            literal = std::string(1, c);
            ++i;
        }
        if (literal.empty()) continue;  // '' stands for nothing: the fields around it stay adjacent
        if (!tokens_.empty() && tokens_.back().field == 0)
            tokens_.back().literal += literal;
        else
            tokens_.push_back({0, 0, literal});
    }
}

std::string ShortDateFormat::Format(int year, int month, int day) const {
    auto padded = [](int value, int width) {
        std::string s = std::to_string(value);
        return s.size() < static_cast<size_t>(width) ? std::string(width - s.size(), '0') + s : s;
    };
    std::string out;
    for (const Token& t : tokens_) {
        switch (t.field) {
        case 'y': out += t.width <= 2 ? padded(year % 100, 2) : std::to_string(year); break;
        case 'M': out += padded(month, t.width >= 2 ? 2 : 1); break;
        case 'd': out += padded(day, t.width >= 2 ? 2 : 1); break;
        default: out += t.literal; break;
        }
    }
    return out;
}

std::optional<ShortDateFormat::Date> ShortDateFormat::Parse(std::string_view text, int currentYear) const {
    Date date{0, 0, 0};
    bool seen[3] = {};
    size_t pos = 0;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        const Token& t = tokens_[i];
        if (t.field == 0) {
            if (text.substr(pos, t.literal.size()) != t.literal) return std::nullopt;  // pos never passes the end
            pos += t.literal.size();
            continue;
        }
        const size_t maxDigits = t.field == 'y' && t.width > 2 ? 4 : 2;
        // A field written straight before another ("yyyyMMdd") ends after
        // its own digits; before a literal or the end it takes all digits
        // there are, and too many make the text no date.
        const bool fieldFollows = i + 1 < tokens_.size() && tokens_[i + 1].field != 0;
        const size_t scanLimit = fieldFollows ? maxDigits : 4;
        size_t digits = 0;
        int value = 0;
        while (pos + digits < text.size() && text[pos + digits] >= '0' && text[pos + digits] <= '9' &&
               digits < scanLimit) {
            value = value * 10 + (text[pos + digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > (t.field == 'y' ? 4 : 2)) return std::nullopt;
        if (t.field == 'y') {
            date.year = digits <= 2 ? currentYear / 100 * 100 + value : value;
            seen[0] = true;
        } else if (t.field == 'M') {
            date.month = value;
            seen[1] = true;
        } else {
            date.day = value;
            seen[2] = true;
        }
        pos += digits;
    }
    if (pos != text.size() || !seen[0] || !seen[1] || !seen[2]) return std::nullopt;
    // Only years the system's clock and date pickers can hold.
    if (date.year < 1601 || date.year > 30827) return std::nullopt;
    if (date.month < 1 || date.month > 12 || date.day < 1) return std::nullopt;
    if (date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
    return date;
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

ScheduleMatch MatchSchedule(const std::string& a, const DueInputs& inputs) {
    ScheduleMatch match;
    const KindGrammar* g = GrammarOf(a);
    if (!g) return match;
    Fields fields = ScanFields(a, *g);
    match.kind = g->kind;
    match.fields.assign(fields.at.begin(), fields.at.begin() + fields.count);
    match.due = IsDue(*g, fields, inputs);
    return match;
}

bool IsScheduleDue(const std::string& a, const DueInputs& inputs) {
    const KindGrammar* g = GrammarOf(a);
    return g && IsDue(*g, ScanFields(a, *g), inputs);
}

std::vector<std::string> ScheduleFields(const std::string& a) {
    const KindGrammar* g = GrammarOf(a);
    if (!g) return {};
    Fields fields = ScanFields(a, *g);
    return std::vector<std::string>(fields.at.begin(), fields.at.begin() + fields.count);
}

size_t LastGbkByteOf(const std::string& text, std::string_view bytes) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x81 && i + 1 < text.size())
            ++i;
        else if (bytes.find(static_cast<char>(c)) != std::string_view::npos)
            last = i;
    }
    return last;
}

std::string FileNamePart(const std::string& path) {
    const size_t last = LastGbkByteOf(path, "\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
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

BackupSpecFields SplitBackupSpec(const std::string& c) {
    std::string parts[3];
    size_t field = 0;
    for (char ch : c) {
        if (ch == '*') {
            if (++field == 3) break;  // text after a third "*" is dropped
            continue;
        }
        parts[field] += ch;
    }
    return {parts[0], parts[1], parts[2].empty() ? "0" : parts[2]};
}

std::string BackupText(const std::string& source, const std::string& target, bool overwrite) {
    return source + "*" + target + (overwrite ? "*1" : "*0");
}

const char* const kTaskTypeNames[kTaskTypeCount] = {
    "提醒",       "打开文件",   "打开文件夹", "关闭程序",   "断开拨号",     "拨号连接",
    "注销计算机", "待机计算机", "休眠计算机", "重启计算机", "关闭计算机",   "快速重启",
    "快速关机",   "清理系统垃圾", "禁用网卡", "启用网卡",   "备份文件",     "备份文件夹",
};

std::optional<TaskType> TaskTypeOf(const std::string& b) {
    for (int i = 0; i < kTaskTypeCount; ++i) {
        if (b == kTaskTypeNames[i]) return static_cast<TaskType>(i);
    }
    return std::nullopt;
}
