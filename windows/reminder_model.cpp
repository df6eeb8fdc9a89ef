#include "windows/reminder_model.h"

#include "store/gbk.h"

std::string ReminderTimeLine(const LocalTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute);
}

std::string ReminderShownText(const std::string& message) {
    const size_t end = GbkPrefixBytes(message, kReminderShownCharacters);
    return end < message.size() ? message.substr(0, end) + "…" : message;
}
