#include "actions/power.h"

#include "store/schedule_text.h"
#include "store/task_texts.h"

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(era * 400 + yoe + (month <= 2));
}

}  // namespace

std::optional<LocalTime> WakeMoment(const std::string& wakeSpec, const LocalTime& today) {
    if (wakeSpec.empty() || wakeSpec == kNoWake) return std::nullopt;
    WakeSpecFields fields = SplitWakeSpec(wakeSpec);
    const std::int32_t days = StrToInt(fields.day);
    const std::int32_t hour = StrToInt(fields.hour);
    const std::int32_t minute = StrToInt(fields.minute);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) throw ConversionError("Invalid argument to time encode");
    LocalTime wake;
    const std::int64_t day = DaysFromCivil(today.year, static_cast<unsigned>(today.month),
                                           static_cast<unsigned>(today.day)) + days - 1;
    CivilFromDays(day, wake.year, wake.month, wake.day);
    wake.dayOfWeek = static_cast<int>(((day % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    wake.hour = hour;
    wake.minute = minute;
    return wake;
}

void HibernateComputer(const std::string& wakeSpec, const LocalTime& today, PowerSystem& power) {
    std::optional<LocalTime> wake = WakeMoment(wakeSpec, today);
    if (wake) power.SetWakeTimer(*wake);
    power.SetSystemPowerState(true, false);
}

void ExecutePowerAction(const std::string& word, const std::string& wakeSpec, const LocalTime& today,
                        PowerSystem& power, const std::function<void()>& hangUp) {
    if (word == "注销") power.ExitWindowsEx(kEwxLogOffForced);
    if (word == "待机") power.SetSystemPowerState(true, true);
    if (word == "休眠") HibernateComputer(wakeSpec, today, power);
    if (word == "重启") power.ExitWindowsEx(kEwxRebootForced);
    if (word == "关机") power.ExitWindowsEx(kEwxPowerOffForced);
    if (word == "断开拨号") hangUp();
    if (word == "快速重启") power.NtShutdownSystem(kShutdownReboot);
    if (word == "快速关机") power.NtShutdownSystem(kShutdownPowerOff);
}

void RunTrayPower(TrayPower entry, std::int32_t shutapp, PowerSystem& power) {
    const bool standbySweep = shutapp == 1;
    switch (entry) {
    case TrayPower::LogOff:
        power.CloseAllPrograms();
        power.ExitWindowsEx(kEwxLogOffForced);
        break;
    case TrayPower::Standby:
        if (standbySweep) power.CloseAllPrograms();
        power.SetSystemPowerState(true, true);
        break;
    case TrayPower::Hibernate:  // a forced hibernation, with no wake timer
        if (standbySweep) power.CloseAllPrograms();
        power.SetSystemPowerState(false, true);
        break;
    case TrayPower::Restart:
        power.CloseAllPrograms();
        power.ExitWindowsEx(kEwxRebootForced);
        break;
    case TrayPower::ShutDown:
        power.CloseAllPrograms();
        power.ExitWindowsEx(kEwxPowerOffForced);
        break;
    case TrayPower::FastRestart:
        power.CloseAllPrograms();
        power.NtShutdownSystem(kShutdownReboot);
        break;
    case TrayPower::FastShutDown:
        power.CloseAllPrograms();
        power.NtShutdownSystem(kShutdownPowerOff);
        break;
    }
}

void RunHotkeyPower(PowerHotkey key, PowerSystem& power) {
    switch (key) {
    case PowerHotkey::F8:
        power.CloseAllPrograms();
        power.ExitWindowsEx(kEwxLogOffForced);
        break;
    case PowerHotkey::F9:  // standby from the keyboard never closes programs, whatever shutapp says
        power.SetSystemPowerState(true, true);
        break;
    case PowerHotkey::F10:
        power.CloseAllPrograms();
        power.NtShutdownSystem(kShutdownReboot);
        break;
    case PowerHotkey::F11:
        power.CloseAllPrograms();
        power.NtShutdownSystem(kShutdownPowerOff);
        break;
    }
}
