// The strict decimal conversion against a reading of its own: an optional
// sign and decimal digits whose value fits 32 bits, nothing else; and every
// 32-bit value written in decimal reads back.
#include "fuzz/fuzz_check.h"
#include "store/task_texts.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace {

std::optional<std::int32_t> Expected(const std::string& text) {
    size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    if (i == text.size()) return std::nullopt;
    const bool negative = text[0] == '-';
    while (i < text.size() && text[i] == '0') ++i;  // leading zeros add nothing
    const std::string digits = text.substr(i);
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    if (digits.size() > 10) return std::nullopt;
    const long long value = digits.empty() ? 0 : std::stoll(digits);
    const long long signedValue = negative ? -value : value;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> value = ToInt(text);
    FUZZ_CHECK(value == Expected(text), "ToInt(\"" + Shown(text) + "\") is " +
                                            (value ? std::to_string(*value) : std::string("none")));
    bool threw = false;
    try {
        FUZZ_CHECK(StrToInt(text) == value.value_or(0) && value, "StrToInt returned for " + Shown(text));
    } catch (const ConversionError& e) {
        threw = true;
        // what() ends at a zero byte of the text.
        const std::string message = "'" + text + "' is not a valid integer value";
        FUZZ_CHECK(std::strcmp(e.what(), message.c_str()) == 0, e.what());
    }
    FUZZ_CHECK(threw == !value, "StrToInt and ToInt disagree on " + Shown(text));
    if (size >= 4) {
        std::int32_t any;
        std::memcpy(&any, data, 4);
        FUZZ_CHECK(ToInt(std::to_string(any)) == any, "the decimal text of " + std::to_string(any));
    }
    return 0;
}
