#include "windows/settings_model.h"

#include "windows/editor_model.h"

#include "store/gbk.h"
#include "store/options.h"
#include "store/task_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A decimal number with an optional sign, digits around one optional point
// and an optional exponent; nothing else.
bool ParseDecimal(const std::string& text, double& value) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != text.size()) return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

}  // namespace

int CompareTaskRows(int column, const std::string& left, const std::string& right, bool ascending) {
    int order = 0;
    if (column == 0) {
        const std::int32_t l = ToInt(left).value_or(0), r = ToInt(right).value_or(0);
        order = l < r ? -1 : (l > r ? 1 : 0);
    } else {
        order = CompareGbkFolded(left, right);
    }
    return ascending ? order : -order;
}

std::string MinutesText(std::int32_t seconds) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", seconds / 60.0);
    return text;
}

bool MinutesKeyAllowed(unsigned character) { return DigitKeyAllowed(character) || character == '.'; }

std::int32_t SecondsFromMinutesText(const std::string& text) {
    if (text.empty()) return kDefaultCountdownSeconds;
    double minutes = 0;
    if (!ParseDecimal(text, minutes)) throw ConversionError("'" + text + "' is not a valid floating point value");
    const double seconds = std::nearbyint(minutes * 60);  // the default rounding takes halves to the even neighbour
    if (seconds < -2147483648.0 || seconds > 2147483647.0)
        throw ConversionError("'" + text + "' is not a valid floating point value");
    return static_cast<std::int32_t>(seconds);
}

std::int32_t VersionsKeptFromText(const std::string& text) {
    if (text.empty()) return 0;
    return std::max(StrToInt(text), 0);
}

std::shared_ptr<int> EditTargets::Track(int number) {
    auto target = std::make_shared<int>(number);
    targets_.push_back(target);
    return target;
}

void EditTargets::AllReplaced() {
    for (const std::weak_ptr<int>& weak : targets_) {
        if (std::shared_ptr<int> target = weak.lock()) *target = 0;
    }
    targets_.clear();
}

void EditTargets::Deleted(int number) {
    std::vector<std::weak_ptr<int>> alive;
    for (const std::weak_ptr<int>& weak : targets_) {
        std::shared_ptr<int> target = weak.lock();
        if (!target) continue;
        if (*target == number)
            *target = 0;
        else if (*target > number)
            --*target;
        alive.push_back(target);
    }
    targets_ = std::move(alive);
}
