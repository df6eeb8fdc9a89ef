#include "scheduler/power_action.h"

#include "store/calendar.h"
#include "store/schedule_text.h"

namespace {

std::string TwoDigits(int n) {
    std::string text = std::to_string(n);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

// Built by appending: g++ 12 warns falsely about a literal + std::to_string.
std::string ArmedText(const LocalTime& t, std::uint32_t error) {
    std::string text;
    if (error == 0) {
        text = "唤醒定时器已设定：";
        text += std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " + TwoDigits(t.hour) +
                ":" + TwoDigits(t.minute);
        return text;
    }
    text = error == kErrorNotSupported ? "唤醒定时器设定失败：这台电脑不能定时唤醒（错误 " : "唤醒定时器设定失败：错误 ";
    text += std::to_string(error);
    if (error == kErrorNotSupported) text += "）";
    return text;
}

}  // namespace

constexpr PowerActionRow kPowerActions[kPowerActionCount] = {
    {PowerAction::LogOff, "注销", TaskType::LogOff, Sweep::Always, true,
     [](const PowerCallInputs& in) { in.power.ExitWindowsEx(kEwxLogOffForced); }},
    {PowerAction::Standby, "待机", TaskType::Standby, Sweep::WhenShutappIsOne, true,
     [](const PowerCallInputs& in) { in.power.SetSystemPowerState(true, true); }},
    {PowerAction::Hibernate, "休眠", TaskType::Hibernate, Sweep::WhenShutappIsOne, true,
     [](const PowerCallInputs& in) {  // the wake timer when the text asks for one, then a suspend, not forced
         if (std::optional<LocalTime> wake = WakeMoment(in.wakeSpec, in.today)) {
             const std::uint32_t error = in.power.SetWakeTimer(*wake);
             if (in.notes)
                 for (const std::string& text : WakeTimerNotes(*wake, error, in.power.ReadWakeTimerSetting()))
                     in.notes(text);
         }
         in.power.SetSystemPowerState(true, false);
     }},
    {PowerAction::Restart, "重启", TaskType::Restart, Sweep::Always, true,
     [](const PowerCallInputs& in) { in.power.ExitWindowsEx(kEwxRebootForced); }},
    {PowerAction::ShutDown, "关机", TaskType::ShutDown, Sweep::Always, true,
     [](const PowerCallInputs& in) { in.power.ExitWindowsEx(kEwxPowerOffForced); }},
    {PowerAction::FastRestart, "快速重启", TaskType::FastRestart, Sweep::Always, true,
     [](const PowerCallInputs& in) { in.power.NtShutdownSystem(kShutdownReboot); }},
    {PowerAction::FastShutDown, "快速关机", TaskType::FastShutDown, Sweep::Always, true,
     [](const PowerCallInputs& in) { in.power.NtShutdownSystem(kShutdownPowerOff); }},
    {PowerAction::HangUp, "断开拨号", TaskType::HangUp, Sweep::Never, false, [](const PowerCallInputs& in) { in.hangUp(); }},
};

static_assert([] {
    for (int i = 0; i < kPowerActionCount; ++i)
        if (kPowerActions[i].action != static_cast<PowerAction>(i)) return false;
    return true;
}(), "the rows follow the enum");

std::optional<PowerAction> PowerActionFor(TaskType type) {
    for (const PowerActionRow& row : kPowerActions)
        if (row.type == type) return row.action;
    return std::nullopt;
}

void ExecutePowerAction(PowerAction action, const std::string& wakeSpec, const LocalTime& today, PowerSystem& power,
                        const std::function<void()>& hangUp, const PowerNotes& notes) {
    RowOf(action).call({power, wakeSpec, today, hangUp, notes});
}

std::vector<std::string> WakeTimerNotes(const LocalTime& wakeAt, std::uint32_t error, const WakeTimerSetting& setting) {
    std::vector<std::string> notes{ArmedText(wakeAt, error)};
    const bool ac = ForbidsWakeTimers(setting.ac), dc = ForbidsWakeTimers(setting.dc);
    if (ac || dc) {
        const std::string where = ac && dc ? "交流电源/电池" : ac ? "交流电源" : "电池";
        notes.push_back("电源选项禁止了唤醒定时器（" + where + "）");
    }
    return notes;
}

std::optional<LocalTime> WakeMoment(const std::string& wakeSpec, const LocalTime& today) {
    if (wakeSpec.empty() || wakeSpec == kNoWake) return std::nullopt;
    WakeSpecFields fields = SplitWakeSpec(wakeSpec);
    const std::int32_t days = StrToInt(fields.day);
    const std::int32_t hour = StrToInt(fields.hour);
    const std::int32_t minute = StrToInt(fields.minute);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) throw ConversionError("Invalid argument to time encode");
    return calendar::MomentOn(calendar::DayNumber(today.year, today.month, today.day) + days - 1, hour * 60 + minute);
}
