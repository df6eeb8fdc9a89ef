// The user's short date format, from a Windows picture such as "yyyy/M/d":
// how a one-off task writes its date and reads it back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ShortDateFormat {
public:
    explicit ShortDateFormat(const std::string& picture);
    std::string Format(int year, int month, int day) const;
    // Reads a date written in this format; two-digit years fall in the century
    // of `currentYear`. A field written straight before another takes only
    // its own digits (two, or four for "yyy" and longer). Fails on text of
    // any other shape, on dates that do not exist and on years outside 1601
    // to 30827, which no system clock shows.
    struct Date {
        int year, month, day;
        bool operator==(const Date&) const = default;
    };
    std::optional<Date> Parse(std::string_view text, int currentYear) const;

private:
    struct Token {
        char field;           // 'y', 'M', 'd', or 0 for literal text
        int width;            // count of the letter in the picture
        std::string literal;  // for literal text
    };
    std::vector<Token> tokens_;
};
