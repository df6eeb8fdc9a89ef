// The editor's loading of a stored record over any texts: the controls it
// fills are within their ranges, and a task saved from what was loaded
// loads back to the same texts.
#include "fuzz/fuzz_check.h"
#include "store/task_texts.h"
#include "windows/editor_model.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

bool ValidTime(const TimeOfDay& t) { return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59; }

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    LocalTime now;
    now.year = in.ConsumeIntegralInRange(1601, 9999);
    now.month = in.ConsumeIntegralInRange(1, 12);
    now.day = in.ConsumeIntegralInRange(1, 28);
    now.hour = in.ConsumeIntegralInRange(0, 23);
    now.minute = in.ConsumeIntegralInRange(0, 59);
    const ShortDateFormat format(PictureFor(in.ConsumeIntegral<unsigned char>()));
    const int typePick = in.ConsumeIntegralInRange(-1, kTaskTypeCount - 1);
    const std::string b = typePick >= 0 ? kTaskTypeNames[typePick] : in.ConsumeRandomLengthString(16);
    const std::string a = in.ConsumeRandomLengthString(64);
    const std::string c = in.ConsumeRemainingBytesAsString();

    const LoadedTask task = LoadTask(a, b, c, format, now);
    const EditorSchedule& s = task.schedule;
    FUZZ_CHECK(s.kind == KindOf(a), "kind of " + Shown(a));
    for (const TimeOfDay& t : {s.onceTime, s.daily, s.weekly, s.monthly, s.yearly, s.anchor})
        FUZZ_CHECK(ValidTime(t), "a time picker outside the day for " + Shown(a));
    FUZZ_CHECK(s.onceDate.month >= 1 && s.onceDate.month <= 12 && s.onceDate.day >= 1 && s.onceDate.day <= 31,
               "the date picker outside the calendar for " + Shown(a));
    const EditorAttribute& attribute = task.attribute;
    FUZZ_CHECK(attribute.typeIndex >= 0 && attribute.typeIndex < kTaskTypeCount, "type index for " + Shown(b));
    FUZZ_CHECK(ValidTime(attribute.wake), "the wake picker outside the day for " + Shown(c));
    FUZZ_CHECK(task.view.text == attribute.text, "the attribute box shows another text for " + Shown(c));

    // Saved as loaded, then loaded again: the same texts come back.
    EditorSchedule first = s;
    const std::string a1 = ComposeSchedule(first, format);
    const std::string b1 = TypeNameAt(attribute.typeIndex);
    const std::string c1 = ComposeAttribute(attribute);
    const LoadedTask again = LoadTask(a1, b1, c1, format, now);
    EditorSchedule second = again.schedule;
    const std::string a2 = ComposeSchedule(second, format);
    FUZZ_CHECK(a2 == a1, Shown(a) + " saved as " + Shown(a1) + " and again as " + Shown(a2));
    FUZZ_CHECK(again.attribute.typeIndex == attribute.typeIndex, "type of " + Shown(b1));
    const bool wakeChoice = attribute.text == kNoWake || EndsWith(attribute.text, "天");
    if (attribute.typeIndex != static_cast<int>(TaskType::Hibernate) || wakeChoice) {
        const std::string c2 = ComposeAttribute(again.attribute);
        FUZZ_CHECK(c2 == c1, Shown(c) + " saved as " + Shown(c1) + " and again as " + Shown(c2));
    }
    return 0;
}
