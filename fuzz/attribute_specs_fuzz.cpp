// The readers of C for hibernate and backup tasks over any text: what they
// return lies within the text, and a text made as the editor makes it reads
// back to the parts it was made from.
#include "fuzz/fuzz_check.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

bool Within(const std::string& part, const std::string& text) {
    return part.empty() || text.find(part) != std::string::npos;
}

std::string Digits(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? std::to_string(in.ConsumeIntegralInRange(0, 99))
                            : std::to_string(in.ConsumeIntegral<std::int32_t>());
}

void Wake(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        // As the editor writes it: a choice of the list, then the picker's time.
        const std::string day = Digits(in), hour = Digits(in), minute = Digits(in);
        const std::string c = "第" + day + "天" + hour + "时" + minute + "分唤醒";
        const WakeSpecFields w = SplitWakeSpec(c);
        FUZZ_CHECK(w.choice == "第" + day + "天", "choice of " + Shown(c) + " is " + Shown(w.choice));
        FUZZ_CHECK(w.day == day && w.hour == hour && w.minute == minute,
                   "fields of " + Shown(c) + " are " + Shown(w.day) + "|" + Shown(w.hour) + "|" + Shown(w.minute));
        return;
    }
    const std::string c = in.ConsumeRemainingBytesAsString();
    const WakeSpecFields w = SplitWakeSpec(c);
    if (c == kNoWake) {
        FUZZ_CHECK(w.choice == c && w.day.empty() && w.hour.empty() && w.minute.empty(), "不唤醒 has fields");
        return;
    }
    FUZZ_CHECK(c.compare(0, w.choice.size(), w.choice) == 0, "the choice is no beginning of " + Shown(c));
    FUZZ_CHECK(Within(w.day, c) && Within(w.hour, c) && Within(w.minute, c), "a field outside " + Shown(c));
}

void Backup(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        std::string source = in.ConsumeRandomLengthString(64), target = in.ConsumeRandomLengthString(64);
        std::erase(source, '*');
        std::erase(target, '*');
        const bool overwrite = in.ConsumeBool();
        const std::string c = BackupText(source, target, overwrite);
        const BackupSpecFields b = SplitBackupSpec(c);
        FUZZ_CHECK(b.source == source && b.target == target && b.overwrite() == overwrite,
                   Shown(c) + " reads back as " + Shown(b.source) + "|" + Shown(b.target) + "|" + Shown(b.flag));
        return;
    }
    const std::string c = in.ConsumeRemainingBytesAsString();
    const BackupSpecFields b = SplitBackupSpec(c);
    FUZZ_CHECK(b.source.find('*') == std::string::npos && b.target.find('*') == std::string::npos &&
                   b.flag.find('*') == std::string::npos,
               "a part of " + Shown(c) + " holds a *");
    FUZZ_CHECK(c.compare(0, b.source.size(), b.source) == 0, "the source is no beginning of " + Shown(c));
    FUZZ_CHECK(Within(b.target, c) && (b.flag == "0" || Within(b.flag, c)), "a part outside " + Shown(c));
    FUZZ_CHECK(b.overwrite() == (b.flag == "1"), "overwrite flag");
    if (c.find('*') == std::string::npos) FUZZ_CHECK(b.source == c && b.target.empty() && b.flag == "0", Shown(c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        Wake(in);
    else
        Backup(in);
    return 0;
}
