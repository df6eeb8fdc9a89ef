#include "store/short_date.h"

#include "store/calendar.h"

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
    if (date.day > calendar::DaysInMonth(date.year, date.month)) return std::nullopt;
    return date;
}
