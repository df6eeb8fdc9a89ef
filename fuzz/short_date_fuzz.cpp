// The short date reader over any picture and any text: a date it reads is a
// date that exists, and a date written in a picture whose fields can be told
// apart reads back as the same date.
#include "fuzz/fuzz_check.h"
#include "store/short_date.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && Leap(year) ? 1 : 0);
}

// Whether a date written in `picture` can be read back unambiguously: it has
// a year, a month and a day, a literal after a field does not start with a
// digit, and a field followed straight by another has a fixed width (two
// digits or more in the picture).
bool ReadableBack(const std::string& picture) {
    bool seen[3] = {};
    char previousField = 0;
    int previousWidth = 0;
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == 'y' || c == 'M' || c == 'd') {
            size_t j = i;
            while (j < picture.size() && picture[j] == c) ++j;
            if (previousField && previousWidth < 2) return false;
            seen[c == 'y' ? 0 : c == 'M' ? 1 : 2] = true;
            previousField = c;
            previousWidth = static_cast<int>(j - i);
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
        if (literal.empty()) continue;  // '' adds nothing
        if (previousField && literal[0] >= '0' && literal[0] <= '9') return false;
        previousField = 0;
    }
    return seen[0] && seen[1] && seen[2];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string picture =
        in.ConsumeBool() ? PictureFor(in.ConsumeIntegral<unsigned char>()) : in.ConsumeRandomLengthString(24);
    const ShortDateFormat format(picture);
    const int currentYear = in.ConsumeIntegralInRange(1601, 9999);

    if (in.ConsumeBool()) {
        const int year = in.ConsumeIntegralInRange(1601, 9999);
        const int month = in.ConsumeIntegralInRange(1, 12);
        const int day = in.ConsumeIntegralInRange(1, DaysIn(year, month));
        const std::string text = format.Format(year, month, day);
        if (ReadableBack(picture)) {
            const auto date = format.Parse(text, year);
            FUZZ_CHECK(date && *date == (ShortDateFormat::Date{year, month, day}),
                       std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) +
                           " written in " + Shown(picture) + " as " + Shown(text) + " does not read back");
        }
        return 0;
    }
    const std::string text = in.ConsumeRemainingBytesAsString();
    const auto date = format.Parse(text, currentYear);
    if (!date) return 0;
    FUZZ_CHECK(date->month >= 1 && date->month <= 12 && date->day >= 1 && date->year >= 0 &&
                   date->day <= DaysIn(date->year, date->month),
               Shown(text) + " in " + Shown(picture) + " reads as a date that does not exist");
    return 0;
}
