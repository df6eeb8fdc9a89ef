#include "windows/editor_model.h"

#include "store/gbk.h"
#include "store/task_texts.h"

#include <iterator>
#include <span>

namespace {

constexpr char kOpenFileHint[] = "可以打开mp3文件，程序，网址，电影视频等";
constexpr char kOpenFolderHint[] = "可以定时打开指定的文件夹。";
constexpr char kCloseProgramHint[] = "在此输入程序的文件名或按浏览。";
constexpr const char* kReminders[] = {"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"};
constexpr const char* kAdapters[] = {"本地连接", "以太网"};
constexpr char kWakeTimersForbidden[] = "电源选项禁止了唤醒定时器，电脑可能不会按时唤醒";

// What the attribute row shows for a type.
struct TypeRow {
    TaskType type;
    const char* label = "属性：";  // Label6
    const char* hint = "";  // ComboBox6's hint
    std::span<const char* const> items = {};  // ComboBox6's proposals
    const char* text = "";  // ComboBox6's text on choosing the type
    const char* textBefore10 = nullptr;  // that text on Windows before 10, if another
    bool itemsOnLoad = false;  // a stored task loads with the proposals too
    bool wakeTime = false;
    bool backup = false;
};

constexpr TypeRow kTypeRows[] = {
    {.type = TaskType::Reminder, .label = "提醒语：", .items = kReminders, .text = kReminders[0]},
    {.type = TaskType::OpenFile, .label = "文件:", .hint = kOpenFileHint, .text = kOpenFileHint},
    {.type = TaskType::OpenFolder, .label = "文件夹:", .hint = kOpenFolderHint},
    {.type = TaskType::CloseProgram, .label = "程序：", .hint = kCloseProgramHint, .text = kCloseProgramHint},
    {.type = TaskType::HangUp}, {.type = TaskType::Dial}, {.type = TaskType::LogOff}, {.type = TaskType::Standby},
    {.type = TaskType::Hibernate, .label = "自动开机：", .items = kNoWakeChoices, .text = kNoWake, .itemsOnLoad = true,
     .wakeTime = true},
    {.type = TaskType::Restart}, {.type = TaskType::ShutDown}, {.type = TaskType::FastRestart},
    {.type = TaskType::FastShutDown}, {.type = TaskType::CleanJunk},
    {.type = TaskType::DisableAdapter, .items = kAdapters, .text = "以太网", .textBefore10 = "本地连接"},
    {.type = TaskType::EnableAdapter, .items = kAdapters, .text = "以太网", .textBefore10 = "本地连接"},
    {.type = TaskType::BackupFile, .label = "源文件：", .backup = true},
    {.type = TaskType::BackupFolder, .label = "源文件夹：", .backup = true},
};
static_assert(std::size(kTypeRows) == kTaskTypeCount && [] {
    for (int i = 0; i < kTaskTypeCount; ++i)
        if (kTypeRows[i].type != static_cast<TaskType>(i)) return false;
    return true;
}(), "a row for each type, in the order of TaskType");

// The row's controls; the proposals only when asked for.
TypeView ViewOf(const TypeRow& row, bool withItems) {
    const std::span<const char* const> items = withItems ? row.items : std::span<const char* const>();
    return {row.label, std::vector<std::string>(items.begin(), items.end()), "", row.hint, row.wakeTime, row.backup};
}

// The byte position of the last "\" of a GBK text, or npos.
size_t LastBackslash(const std::string& text) { return LastGbkByteOf(text, "\\"); }

// A time of day from two field texts; the old time when either does not
// convert or is not a time.
TimeOfDay TimeFrom(const std::string& hour, const std::string& minute, TimeOfDay old) {
    std::optional<std::int32_t> h = ToInt(hour), m = ToInt(minute);
    if (!h || !m || *h < 0 || *h > 23 || *m < 0 || *m > 59) return old;
    return {*h, *m};
}

}  // namespace

TypeView TypeViewFor(int typeIndex, unsigned osMajorVersion) {
    if (typeIndex < 0 || typeIndex >= kTaskTypeCount) return ViewOf(TypeRow{}, false);
    const TypeRow& row = kTypeRows[typeIndex];
    TypeView view = ViewOf(row, true);
    view.text = osMajorVersion < 10 && row.textBefore10 ? row.textBefore10 : row.text;
    return view;
}

std::string ComposeSchedule(EditorSchedule& s, const ShortDateFormat& format) {
    switch (s.kind) {
    case ScheduleKind::Idle: return IdleText(s.idleMinutes);
    case ScheduleKind::Once:
        return OnceText(format.Format(s.onceDate.year, s.onceDate.month, s.onceDate.day), s.onceTime.hour,
                        s.onceTime.minute);
    case ScheduleKind::Daily: return DailyText(s.daily.hour, s.daily.minute);
    case ScheduleKind::Weekly: return WeeklyText(s.weekday, s.weekly.hour, s.weekly.minute);
    case ScheduleKind::Monthly: return MonthlyText(s.monthDay, s.monthly.hour, s.monthly.minute);
    case ScheduleKind::Yearly: return YearlyText(s.month, s.yearDay, s.yearly.hour, s.yearly.minute);
    case ScheduleKind::AtBoot:
        // Written back as the window shows them (std::string(1, '0') keeps
        // g++ 12's false -Wrestrict alarm about assigning a literal quiet).
        if (s.bootHours.empty()) s.bootHours = std::string(1, '0');
        if (s.bootMinutes.empty()) s.bootMinutes = std::string(1, '0');
        return AtBootText(s.bootHours, s.bootMinutes);
    case ScheduleKind::Interval: return IntervalText(s.intervalMinutes, s.anchor.hour, s.anchor.minute);
    case ScheduleKind::None: break;
    }
    return {};
}

std::string TypeNameAt(int typeIndex) {
    return typeIndex >= 0 && typeIndex < kTaskTypeCount ? kTaskTypeNames[typeIndex] : "";
}

std::string ComposeAttribute(const EditorAttribute& a) {
    const auto is = [&](TaskType type) { return a.typeIndex == static_cast<int>(type); };
    if (is(TaskType::Hibernate) && a.text != kNoWake)
        return a.text + std::to_string(a.wake.hour) + "时" + std::to_string(a.wake.minute) + "分唤醒";
    if (is(TaskType::BackupFile) || is(TaskType::BackupFolder)) return BackupText(a.text, a.target, a.overwrite);
    return a.text;
}

std::string WakeTimerHint(int typeIndex, const std::string& wakeChoice, const WakeTimerSetting& setting) {
    const bool hibernate = typeIndex == static_cast<int>(TaskType::Hibernate);
    const bool wakes = hibernate && !wakeChoice.empty() && wakeChoice != kNoWake;
    return wakes && ForbidsWakeTimers(setting) ? kWakeTimersForbidden : "";
}

EditorSchedule LoadSchedule(const std::string& a, const ShortDateFormat& format, const LocalTime& now) {
    EditorSchedule s;
    s.onceDate = {now.year, now.month, now.day};
    s.onceTime = s.anchor = {now.hour, now.minute};
    s.kind = KindOf(a);
    const std::vector<std::string> f = ScheduleFields(a);
    switch (s.kind) {
    case ScheduleKind::Idle: s.idleMinutes = f[0]; break;
    case ScheduleKind::Once:
        if (auto date = format.Parse(f[0], now.year)) s.onceDate = *date;
        s.onceTime = TimeFrom(f[1], f[2], s.onceTime);
        break;
    case ScheduleKind::Daily: s.daily = TimeFrom(f[0], f[1], s.daily); break;
    case ScheduleKind::Weekly:
        s.weekday = f[0];
        s.weekly = TimeFrom(f[1], f[2], s.weekly);
        break;
    case ScheduleKind::Monthly:
        s.monthDay = f[0];
        s.monthly = TimeFrom(f[1], f[2], s.monthly);
        break;
    case ScheduleKind::Yearly:
        s.month = f[0];
        s.yearDay = f[1];
        s.yearly = TimeFrom(f[2], f[3], s.yearly);
        break;
    case ScheduleKind::AtBoot:
        s.bootHours = f[0];
        s.bootMinutes = f[1];
        break;
    case ScheduleKind::Interval:
        s.intervalMinutes = f[0];
        s.anchor = TimeFrom(f[1], f[2], s.anchor);
        break;
    case ScheduleKind::None: break;
    }
    return s;
}

LoadedAttribute LoadAttribute(const std::string& b, const std::string& c) {
    const TaskType type = TaskTypeOf(b).value_or(TaskType::Reminder);
    const TypeRow& row = kTypeRows[static_cast<int>(type)];
    LoadedAttribute loaded;
    EditorAttribute& attribute = loaded.attribute;
    attribute.typeIndex = static_cast<int>(type);
    attribute.text = c;
    if (type == TaskType::Hibernate) {
        WakeSpecFields wake = SplitWakeSpec(c);
        attribute.text = wake.choice;
        attribute.wake = TimeFrom(wake.hour, wake.minute, attribute.wake);
    } else if (type == TaskType::BackupFile || type == TaskType::BackupFolder) {
        BackupSpecFields backup = SplitBackupSpec(c);
        attribute.text = backup.source;
        attribute.target = backup.target;
        attribute.overwrite = backup.overwrite();
    }
    loaded.view = ViewOf(row, row.itemsOnLoad);
    loaded.view.text = attribute.text;
    return loaded;
}

LoadedTask LoadTask(const std::string& a, const std::string& b, const std::string& c, const ShortDateFormat& format,
                    const LocalTime& now) {
    LoadedAttribute loaded = LoadAttribute(b, c);
    return {LoadSchedule(a, format, now), loaded.attribute, loaded.view};
}

bool DigitKeyAllowed(unsigned character) { return (character >= '0' && character <= '9') || character == 8; }

std::string NextRunText(const std::string& a, const ShortDateFormat& format, const LocalTime& now,
                        std::uint64_t uptimeMilliseconds) {
    static constexpr const char* kWeekdays[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    const DueInputs inputs{now, [] { return 0u; }, [=] { return uptimeMilliseconds; },
                           [&]() -> const ShortDateFormat& { return format; }};
    const NextRun next = NextRunOf(a, inputs);
    std::string text;
    switch (next.is) {
    case NextRun::Is::At: {
        const LocalTime& t = next.at;
        text = "下次执行：";
        text += std::to_string(t.year) + "年" + std::to_string(t.month) + "月" + std::to_string(t.day) + "日 ";
        text += kWeekdays[t.dayOfWeek];
        text += ' ';
        text += std::to_string(t.hour) + (t.minute < 10 ? ":0" : ":") + std::to_string(t.minute);
        break;
    }
    case NextRun::Is::WhenIdle:
        text = "空闲满";
        text += std::to_string(next.minutes) + "分钟时执行";
        break;
    case NextRun::Is::BootPassed:
        text = "开机后";
        text += std::to_string(next.minutes / 60) + "时" + std::to_string(next.minutes % 60) + "分执行（本次开机已过）";
        break;
    case NextRun::Is::Never: break;
    }
    return text;
}

std::string UptimeText(std::uint64_t milliseconds) {
    const std::uint64_t t = milliseconds / 1000;
    std::string text = "已开机时间:";
    text += std::to_string(t / 3600);
    text += "时";
    text += std::to_string(t % 3600 / 60);
    text += "分";
    text += std::to_string(t % 60);
    text += "秒";
    return text;
}

std::string ProposeFolderTarget(const std::string& source, const std::string& chosenFolder) {
    if (chosenFolder.empty()) return {};
    const size_t slash = LastBackslash(source);
    if (slash == std::string::npos) return chosenFolder;
    const bool chosenEndsInSlash = LastBackslash(chosenFolder) == chosenFolder.size() - 1;
    return chosenFolder + source.substr(chosenEndsInSlash ? slash + 1 : slash);
}

std::optional<int> FirstFocusRow(ScheduleKind ticked) {
    for (int row = 0; row < static_cast<int>(std::size(kScheduleRows)); ++row) {
        if (kScheduleRows[row] == ticked) return row;
    }
    return std::nullopt;
}
