#include "windows/editor_model.h"

#include "store/gbk.h"
#include "store/task_texts.h"

namespace {

constexpr int kTypeReminder = 0, kTypeOpenFile = 1, kTypeOpenFolder = 2, kTypeCloseProgram = 3, kTypeHibernate = 8,
              kTypeDisableAdapter = 14, kTypeEnableAdapter = 15, kTypeBackupFile = 16, kTypeBackupFolder = 17;

constexpr char kOpenFileHint[] = "可以打开mp3文件，程序，网址，电影视频等";
constexpr char kOpenFolderHint[] = "可以定时打开指定的文件夹。";
constexpr char kCloseProgramHint[] = "在此输入程序的文件名或按浏览。";

std::vector<std::string> WakeChoices() { return std::vector<std::string>(std::begin(kNoWakeChoices), std::end(kNoWakeChoices)); }

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
    TypeView view;
    view.label = "属性：";
    switch (typeIndex) {
    case kTypeReminder:
        view.label = "提醒语：";
        view.items = {"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"};
        view.text = view.items.front();
        break;
    case kTypeOpenFile:
        view.label = "文件:";
        view.text = view.hint = kOpenFileHint;
        break;
    case kTypeOpenFolder:
        view.label = "文件夹:";
        view.hint = kOpenFolderHint;
        break;
    case kTypeCloseProgram:
        view.label = "程序：";
        view.text = view.hint = kCloseProgramHint;
        break;
    case kTypeDisableAdapter:
    case kTypeEnableAdapter:
        view.items = {"本地连接", "以太网"};
        view.text = osMajorVersion < 10 ? "本地连接" : "以太网";
        break;
    case kTypeHibernate:
        view.label = "自动开机：";
        view.items = WakeChoices();
        view.text = kNoWake;
        view.wakeTime = true;
        break;
    case kTypeBackupFile:
        view.label = "源文件：";
        view.backup = true;
        break;
    case kTypeBackupFolder:
        view.label = "源文件夹：";
        view.backup = true;
        break;
    default: break;
    }
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
    if (a.typeIndex == kTypeHibernate && a.text != kNoWake)
        return a.text + std::to_string(a.wake.hour) + "时" + std::to_string(a.wake.minute) + "分唤醒";
    if (a.typeIndex == kTypeBackupFile || a.typeIndex == kTypeBackupFolder)
        return BackupText(a.text, a.target, a.overwrite);
    return a.text;
}

LoadedTask LoadTask(const std::string& a, const std::string& b, const std::string& c, const ShortDateFormat& format,
                    const LocalTime& now) {
    LoadedTask task;
    EditorAttribute& attribute = task.attribute;
    std::optional<TaskType> type = TaskTypeOf(b);
    attribute.typeIndex = type ? static_cast<int>(*type) : kTypeReminder;
    attribute.text = c;
    TypeView& view = task.view;
    view.label = "属性：";
    switch (attribute.typeIndex) {
    case kTypeReminder: view.label = "提醒语："; break;
    case kTypeOpenFile: view.label = "文件:"; view.hint = kOpenFileHint; break;
    case kTypeOpenFolder: view.label = "文件夹:"; view.hint = kOpenFolderHint; break;
    case kTypeCloseProgram: view.label = "程序："; view.hint = kCloseProgramHint; break;
    case kTypeHibernate: {
        view.label = "自动开机：";
        WakeSpecFields wake = SplitWakeSpec(c);
        attribute.text = wake.choice;
        attribute.wake = TimeFrom(wake.hour, wake.minute, attribute.wake);
        view.items = WakeChoices();
        view.wakeTime = true;
        break;
    }
    case kTypeBackupFile:
    case kTypeBackupFolder: {
        view.label = attribute.typeIndex == kTypeBackupFile ? "源文件：" : "源文件夹：";
        view.backup = true;
        BackupSpecFields backup = SplitBackupSpec(c);
        attribute.text = backup.source;
        attribute.target = backup.target;
        attribute.overwrite = backup.overwrite();
        break;
    }
    default: break;
    }
    view.text = attribute.text;

    EditorSchedule& s = task.schedule;
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
    return task;
}

bool DigitKeyAllowed(unsigned character) { return (character >= '0' && character <= '9') || character == 8; }

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
