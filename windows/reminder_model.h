// The texts of the reminder window.
#pragma once

#include "platform/clock.h"

#include <string>

inline constexpr char kReminderCaption[] = "Tempiro2020 提示";
inline constexpr char kReminderOk[] = "确定";

// The time line under the message: year-month-day hour:minute, no leading zeros.
std::string ReminderTimeLine(const LocalTime& time);

// The most characters of a message a reminder window draws: more than its
// box can show, and few enough that wrapping them never keeps the window
// from answering, whatever length of text the store hands over.
inline constexpr size_t kReminderShownCharacters = 2000;
// The message as the window draws it: cut after kReminderShownCharacters
// characters (a GBK two-byte character counts once and is never split) and
// ended with "…" where it was cut.
std::string ReminderShownText(const std::string& message);
