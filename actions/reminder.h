// The reminder window: a topmost window that tells the user something without
// blocking anything. Every call opens a new, independent window.
#pragma once

#include "platform/clock.h"

#include <string>

inline constexpr char kReminderCaption[] = "Tempiro2020 提示";
inline constexpr char kReminderOk[] = "确定";

// The time line under the message: year-month-day hour:minute, no leading zeros.
std::string ReminderTimeLine(const LocalTime& time);

// Opens a new reminder window with `message`; `note` rides along unseen (a
// scheduled reminder passes its schedule text). Win32 only.
void ShowReminder(const std::string& message, const std::string& note);
