#include "actions/reminder.h"

std::string ReminderTimeLine(const LocalTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute);
}

std::string ReminderShownText(const std::string& message) {
    size_t end = 0;
    for (size_t characters = 0; end < message.size(); ++characters) {
        if (characters == kReminderShownCharacters) return message.substr(0, end) + "…";
        const unsigned char c = static_cast<unsigned char>(message[end]);
        end += c >= 0x81 && c <= 0xFE && end + 1 < message.size() ? 2 : 1;
    }
    return message;
}
