#include "platform/clock_win32.h"

#include "platform/text_win32.h"

#include <windows.h>

LocalTime LocalTimeFrom(const SYSTEMTIME& t) {
    LocalTime out;
    out.year = t.wYear;
    out.month = t.wMonth;
    out.dayOfWeek = t.wDayOfWeek;
    out.day = t.wDay;
    out.hour = t.wHour;
    out.minute = t.wMinute;
    out.second = t.wSecond;
    return out;
}

LocalTime Win32Clock::Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalTimeFrom(now);
}

std::uint32_t Win32Clock::TickCount() { return GetTickCount(); }

std::uint64_t Win32Clock::UptimeMilliseconds() { return GetTickCount64(); }

std::uint32_t Win32Clock::LastInputTick() {
    LASTINPUTINFO info{sizeof info, 0};
    return GetLastInputInfo(&info) ? info.dwTime : GetTickCount();
}

std::string Win32Clock::ShortDatePicture() {
    wchar_t picture[80] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, picture, 80)) return "yyyy/M/d";
    return Narrow(picture);
}
