// The import of a settings file, in two modes chosen by the first byte.
//
// Any file: the store after the import holds exactly what a plain, line by
// line reading of the file gives (the first line of each key counts, a task
// line only for a record up to the imported count), whatever order the lines
// stand in, over a store whose in-memory count may be hostile.
//
// A file the export writes (options and records made from the input, texts
// with line breaks too): importing it into an empty store gives back the same
// options and records, each text up to its first line break, and wherever a
// key's text occurs only once in the file, the import took the same value as
// a plain search of the whole text for that key.
#include "fuzz/fuzz_check.h"
#include "platform/fake_registry.h"
#include "platform/fake_text_files.h"
#include "store/settings_file.h"
#include "store/task_texts.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kPath[] = "Software\\Qelvora\\Tempiro";
constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr char kFile[] = "D:\\设置.txt";
const char* const kSettingKeys[] = {"soundpath", "tishi", "shutapp", "TaskNum", "kaiji", "rejian", "buzuo", "banben"};

// What the store should hold: value name -> value.
using Store = std::map<std::string, RegValue>;

bool SameValue(const RegValue& a, const RegValue& b) {
    return a.type == b.type && (a.type == RegType::Dword ? a.dword == b.dword : a.text == b.text);
}

std::string Describe(const RegValue& v) {
    return v.type == RegType::Dword ? std::to_string(static_cast<std::int32_t>(v.dword)) : "\"" + Shown(v.text) + "\"";
}

Store Stored(const FakeRegistry& backend) {
    Store store;
    for (const std::string& name : backend.ValueNames(kHklm, kPath)) store[name] = *backend.Get(kHklm, kPath, name);
    return store;
}

void ExpectStore(const FakeRegistry& backend, const Store& expected, const std::string& file) {
    const Store actual = Stored(backend);
    for (const auto& [name, value] : expected) {
        auto found = actual.find(name);
        FUZZ_CHECK(found != actual.end(), name + " missing after importing " + Shown(file));
        FUZZ_CHECK(SameValue(found->second, value), name + " is " + Describe(found->second) + ", not " + Describe(value) +
                                               ", after importing " + Shown(file));
    }
    for (const auto& [name, value] : actual)
        FUZZ_CHECK(expected.count(name), name + " = " + Describe(value) + " left over after importing " + Shown(file));
}

void PutOptions(FakeRegistry& backend, const StoreOptions& o) {
    backend.Put(kHklm, kPath, "soundpath", StringValue(o.soundpath));
    for (auto [name, value] : {std::pair{"tishi", o.tishi}, {"shutapp", o.shutapp}, {"TaskNum", o.TaskNum},
                               {"kaiji", o.kaiji}, {"rejian", o.rejian}, {"buzuo", o.buzuo}, {"banben", o.banben}})
        backend.Put(kHklm, kPath, name, DwordValue(static_cast<std::uint32_t>(value)));
}

// The file read the plain way: each line (ended by CR, LF or the first zero
// byte) split at its first "="; the first line of each key counts.
struct PlainReading {
    std::map<std::string, std::string> settings;
    std::map<std::pair<std::int64_t, int>, std::string> tasks;  // (number, letter) -> value
    std::int64_t highest = 0;
};

// "A" to "D" and a number from 1 to 2^31 - 1 without leading zeros.
std::optional<std::pair<std::int64_t, int>> TaskKey(const std::string& key) {
    if (key.size() < 2 || key.size() > 11 || key[0] < 'A' || key[0] > 'D' || key[1] == '0') return std::nullopt;
    std::int64_t number = 0;
    for (size_t i = 1; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9') return std::nullopt;
        number = number * 10 + (key[i] - '0');
    }
    if (number > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return std::pair{number, key[0] - 'A'};
}

PlainReading ReadPlainly(const std::string& data) {
    PlainReading reading;
    const std::string text = data.substr(0, data.find('\0'));
    size_t start = 0;
    while (true) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
            if (auto task = TaskKey(key)) {
                reading.tasks.emplace(*task, value);
                reading.highest = std::max(reading.highest, task->first);
            } else if (std::find(std::begin(kSettingKeys), std::end(kSettingKeys), key) != std::end(kSettingKeys)) {
                reading.settings.emplace(key, value);
            }
        }
        if (end == text.size()) break;
        start = end + 1;
    }
    return reading;
}

std::int32_t IntegerOf(const PlainReading& reading, const std::string& key, std::int32_t fallback) {
    auto found = reading.settings.find(key);
    return found == reading.settings.end() ? fallback : ToInt(found->second).value_or(fallback);
}

ImportOutcome Import(FakeRegistry& backend, StoreOptions& options, const std::string& file, ImportAnswer answer) {
    TaskStore store(backend, options);
    FakeTextFiles files;
    files.files[kFile] = file;
    return ImportSettings(store, files, std::string(kFile), [answer] { return answer; });
}

void AnyFile(FuzzedDataProvider& in) {
    const int present = in.ConsumeIntegralInRange(0, 4);
    // The in-memory count: the records present, or anything a hostile store
    // could have put there.
    const bool hostile = in.ConsumeBool();
    const std::int32_t taskNum = hostile ? in.ConsumeIntegral<std::int32_t>() : present;
    const bool replace = in.ConsumeBool();
    const std::string file = in.ConsumeRemainingBytesAsString();

    FakeRegistry backend;
    StoreOptions options;
    options.TaskNum = taskNum;
    PutOptions(backend, options);
    for (int n = 1; n <= present; ++n)
        for (int l = 0; l < 4; ++l)
            backend.Put(kHklm, kPath, TaskValueName(kTaskFields[l], n), StringValue("old" + std::to_string(n * 4 + l)));

    const PlainReading reading = ReadPlainly(file);
    Store expected = Stored(backend);
    const std::int64_t valuesHeld = static_cast<std::int64_t>(expected.size());
    const ImportOutcome outcome = Import(backend, options, file, replace ? ImportAnswer::Replace : ImportAnswer::Append);
    if (reading.settings.empty()) {
        FUZZ_CHECK(outcome.status == ImportStatus::NotSettingsFile, "no settings key, yet imported: " + Shown(file));
        ExpectStore(backend, expected, file);
        return;
    }
    FUZZ_CHECK(outcome.status == ImportStatus::Imported, "not imported: " + Shown(file));

    // Records the key may hold: never more than its values.
    const std::int64_t held = std::clamp<std::int64_t>(taskNum, 0, valuesHeld);
    const std::int64_t base = replace ? 0 : held;
    const std::int64_t count = std::min({std::max<std::int64_t>(IntegerOf(reading, "TaskNum", 0), 0), reading.highest,
                                         std::numeric_limits<std::int32_t>::max() - base});
    // Replacing puts a new store in place of the old one: nothing of the old
    // records stays, even beyond the count.
    if (replace)
        for (int n = 1; n <= present; ++n)
            for (int l = 0; l < 4; ++l) expected.erase(TaskValueName(kTaskFields[l], n));
    for (const auto& [key, value] : reading.tasks)
        if (key.first <= count)
            expected[TaskValueName(kTaskFields[key.second], static_cast<int>(base + key.first))] = StringValue(value);

    auto found = reading.settings.find("soundpath");
    expected["soundpath"] = StringValue(found == reading.settings.end() ? "" : found->second);
    const std::int32_t tishi = IntegerOf(reading, "tishi", 60), shutapp = IntegerOf(reading, "shutapp", 0),
                       kaiji = IntegerOf(reading, "kaiji", 0), rejian = IntegerOf(reading, "rejian", 0),
                       buzuo = IntegerOf(reading, "buzuo", 0), banben = IntegerOf(reading, "banben", 0);
    for (auto [name, value] : {std::pair{"tishi", tishi}, {"shutapp", shutapp}, {"kaiji", kaiji}, {"rejian", rejian},
                               {"buzuo", buzuo}, {"banben", banben}})
        expected[name] = DwordValue(static_cast<std::uint32_t>(value));
    expected["TaskNum"] = DwordValue(static_cast<std::uint32_t>(base + count));
    ExpectStore(backend, expected, file);
    FUZZ_CHECK(options.TaskNum == base + count && options.tishi == tishi && options.shutapp == shutapp &&
                   options.kaiji == kaiji && options.rejian == rejian && options.buzuo == buzuo &&
                   options.banben == banben && options.soundpath == expected["soundpath"].text,
               "the options in memory differ from the store after importing " + Shown(file));
}

// A text as the store can hold one: up to its first zero byte, and with line
// breaks only when `breaks`.
std::string StoredText(FuzzedDataProvider& in, size_t longest, bool breaks) {
    std::string text = in.ConsumeRandomLengthString(longest);
    std::erase_if(text, [breaks](char c) { return c == '\0' || (!breaks && (c == '\r' || c == '\n')); });
    return text;
}

// What of a stored text comes back through a file: the export writes it up
// to its first line break.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// The value a plain search of the whole text finds for `key`: its first
// occurrence anywhere, the value up to the next CR.
std::optional<std::string> SearchPlainly(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return std::nullopt;
    const size_t start = at + key.size();
    return text.substr(start, std::min(text.find('\r', start), text.size()) - start);
}

size_t Occurrences(const std::string& text, const std::string& key) {
    size_t count = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) ++count;
    return count;
}

void ExportedFile(FuzzedDataProvider& in) {
    StoreOptions options;
    options.soundpath = StoredText(in, 40, true);
    options.tishi = in.ConsumeIntegral<std::int32_t>();
    options.shutapp = in.ConsumeIntegral<std::int32_t>();
    options.kaiji = in.ConsumeIntegral<std::int32_t>();
    options.rejian = in.ConsumeIntegral<std::int32_t>();
    options.buzuo = in.ConsumeIntegral<std::int32_t>();
    options.banben = in.ConsumeIntegral<std::int32_t>();
    const int records = in.ConsumeIntegralInRange(0, 12);
    options.TaskNum = records;
    const ExportTime when{StoredText(in, 12, false), StoredText(in, 12, false)};

    FakeRegistry source;
    PutOptions(source, options);
    Store original;
    for (int n = 1; n <= records; ++n) {
        for (int l = 0; l < 4; ++l) {
            const std::string name = TaskValueName(kTaskFields[l], n);
            // A missing value is exported, and so imported, as an empty one.
            // D is always there, so that the key holds more values than
            // records and the export writes every record.
            const bool missing = l < 3 && in.ConsumeIntegralInRange(0, 7) == 0;
            const std::string text = missing ? "" : StoredText(in, 30, true);
            if (!missing) source.Put(kHklm, kPath, name, StringValue(text));
            original[name] = StringValue(FirstLine(text));
        }
    }
    StoreOptions sourceOptions = options;
    TaskStore sourceStore(source, sourceOptions);
    const std::string file = ComposeSettingsFile(sourceStore, options, when);

    FakeRegistry target;
    StoreOptions imported;
    PutOptions(target, imported);
    FUZZ_CHECK(Import(target, imported, file, ImportAnswer::Replace).status == ImportStatus::Imported,
               "an exported file not imported: " + Shown(file));
    Store expected = original;
    expected["soundpath"] = StringValue(FirstLine(options.soundpath));
    for (auto [name, value] : {std::pair{"tishi", options.tishi}, {"shutapp", options.shutapp},
                               {"TaskNum", options.TaskNum}, {"kaiji", options.kaiji}, {"rejian", options.rejian},
                               {"buzuo", options.buzuo}, {"banben", options.banben}})
        expected[name] = DwordValue(static_cast<std::uint32_t>(value));
    ExpectStore(target, expected, file);

    // Where a key's text occurs once, the plain search of the whole text
    // cannot be misled, and finds what the import took.
    std::vector<std::string> keys(std::begin(kSettingKeys), std::end(kSettingKeys));
    for (int n = 1; n <= records; ++n)
        for (int l = 0; l < 4; ++l) keys.push_back(TaskValueName(kTaskFields[l], n));
    for (const std::string& name : keys) {
        const std::string key = name + "=";
        if (Occurrences(file, key) != 1) continue;
        const std::optional<std::string> plain = SearchPlainly(file, key);
        FUZZ_CHECK(plain.has_value(), key + " not found in " + Shown(file));
        const RegValue& value = expected[name];
        const std::string took = value.type == RegType::Dword ? std::to_string(static_cast<std::int32_t>(value.dword))
                                                              : value.text;
        FUZZ_CHECK(*plain == took, "the plain search finds " + Shown(*plain) + " for " + key + ", the import " +
                                       Shown(took) + ", in " + Shown(file));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        AnyFile(in);
    else
        ExportedFile(in);
    return 0;
}
