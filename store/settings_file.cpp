#include "store/settings_file.h"

#include "store/gbk.h"
#include "store/task_texts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr char kLineEnd[] = "\r\n";

struct TaskLine {
    std::int32_t number;
    int letter;  // 0 to 3: A to D
    std::string_view value;

    // Where the line stands in the export's order: by number, then letter.
    std::pair<std::int32_t, int> place() const { return {number, letter}; }
    bool operator<(const TaskLine& other) const { return place() < other.place(); }
};

// A letter A to D, a task number in decimal without leading zeros, as the
// export writes them, and "=" at the start of the line.
std::optional<TaskLine> ReadTaskLine(std::string_view line) {
    if (line.size() < 2 || line[0] < 'A' || line[0] > 'D' || line[1] < '1' || line[1] > '9') return std::nullopt;
    std::int32_t number;
    const char* const end = line.data() + line.size();
    const auto [equals, error] = std::from_chars(line.data() + 1, end, number);
    if (error != std::errc() || equals == end || *equals != '=') return std::nullopt;
    return TaskLine{number, line[0] - 'A', std::string_view(equals + 1, static_cast<size_t>(end - equals - 1))};
}

// What the import takes from the file, read through once line by line: the
// lines of the form key=value whose key is one it knows. CR LF, LF and CR each
// end a line, and the data ends at its first zero byte. A key counts only at
// the start of a line, its value runs to the end of that line, and the first
// line of a key counts.
class SettingsIndex {
public:
    explicit SettingsIndex(std::string_view data) {
        data = data.substr(0, data.find('\0'));
        for (auto line = data.begin();; ++line) {
            const auto end = std::find_if(line, data.end(), [](char c) { return c == '\r' || c == '\n'; });
            ReadLine(std::string_view(line, end));
            if (end == data.end()) break;
            line = end;
        }
        if (ascending_) return;
        // Stable, so that the first line of a key stays first.
        std::stable_sort(tasks_.begin(), tasks_.end());
        auto repeated = [](const TaskLine& a, const TaskLine& b) { return a.place() == b.place(); };
        tasks_.erase(std::unique(tasks_.begin(), tasks_.end(), repeated), tasks_.end());
    }

    bool holdsAnySetting() const {
        return std::any_of(settings_.begin(), settings_.end(), [](const auto& v) { return v.has_value(); });
    }
    std::string Text(int option) const { return std::string(settings_[option].value_or("")); }
    std::int32_t Integer(int option, std::int32_t fallback) const {
        if (!settings_[option]) return fallback;
        return ToInt(*settings_[option]).value_or(fallback);
    }
    std::int32_t highestTask() const { return highestTask_; }

    // Hands the task lines of records 1 to `count` to `take`, in ascending
    // order, one per key.
    template <typename Take>
    void ForEachTaskUpTo(std::int32_t count, Take take) const {
        for (const TaskLine& task : tasks_)
            if (task.number <= count) take(task);
    }

private:
    void ReadLine(std::string_view line) {
        if (const std::optional<TaskLine> task = ReadTaskLine(line)) {
            if (!tasks_.empty() && !(tasks_.back() < *task)) ascending_ = false;
            tasks_.push_back(*task);
            highestTask_ = std::max(highestTask_, task->number);
            return;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return;
        const std::string_view key = line.substr(0, equals);
        for (int s = 0; s < kOptionCount; ++s) {
            if (key == kOptionTable[s].name) {
                if (!settings_[s]) settings_[s] = line.substr(equals + 1);
                return;
            }
        }
    }

    std::array<std::optional<std::string_view>, kOptionCount> settings_;  // by the option table's rows
    std::int32_t highestTask_ = 0;
    std::vector<TaskLine> tasks_;  // in the file's order, and sorted when that is not ascending
    bool ascending_ = true;        // each task line after the one before it, as the export writes them
};

// `text` cut after kImportedTextCharacters characters; a GBK lead byte and
// the byte after it are one character.
std::string_view Bounded(std::string_view text) {
    if (text.size() <= kImportedTextCharacters) return text;  // no more characters than bytes
    return text.substr(0, GbkPrefixBytes(text, kImportedTextCharacters));
}

// Writes the file's records as numbers base + 1 onwards, from task lines
// handed over in ascending order, one per key. A key the file lacks writes
// nothing, except over a present record (the first `overwritten` numbers),
// where it writes an empty value so that no text of the old record shows
// through; a present record the file lacks altogether gets four of them.
// The present records are written as they come, record by record; the new
// values, which the key does not hold yet, all at the end in ascending name
// order. Wine keeps a key's values in an array sorted by name and moves every
// value behind the place where one is added or deleted: in name order the new
// values move none of each other, while 25,000 tasks written in record order
// into an empty key took five times as long. Windows keeps no sorted array of
// a key's values, so the order costs nothing there.
class RecordWriter {
public:
    RecordWriter(RegistryAccessor& registry, std::int32_t base, std::int32_t overwritten)
        : registry_(registry), base_(base), overwritten_(overwritten) {}

    void Add(const TaskLine& task) {
        if (task.number != record_) MoveTo(task.number);
        found_[task.letter] = task.value;
    }
    void Finish() {
        MoveTo(std::numeric_limits<std::int64_t>::max());
        std::sort(added_.begin(), added_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [name, text] : added_) Store(name, text);
    }

private:
    // Writes the record at hand and the present records before `next`, and
    // takes up record `next`. A record the file lacks altogether is written
    // like one whose keys are all missing.
    void MoveTo(std::int64_t next) {
        Write();
        for (std::int64_t r = record_ + 1; r < next && r <= overwritten_; ++r) {
            record_ = r;
            Write();
        }
        record_ = next;
    }

    void Write() {
        for (int l = 0; l < 4; ++l) {
            if (!found_[l] && record_ > overwritten_) continue;
            name_ = TaskValueName(kTaskFields[l], base_ + record_);
            const std::string_view text = Bounded(found_[l].value_or(std::string_view()));
            if (record_ <= overwritten_)
                Store(name_, text);
            else
                added_.emplace_back(name_, text);
        }
        found_ = {};
    }

    void Store(const std::string& name, std::string_view text) {
        text_.assign(text);
        registry_.WriteString(name, text_);
    }

    RegistryAccessor& registry_;
    const std::int64_t base_;
    const std::int32_t overwritten_;
    std::int64_t record_ = 1;
    std::array<std::optional<std::string_view>, 4> found_;
    std::vector<std::pair<std::string, std::string_view>> added_;  // name, text in the file's data
    std::string name_, text_;  // reused: a store of thousands of tasks is written here
};

}  // namespace

std::string ComposeSettingsFile(RegistryAccessor& registry, const StoreOptions& options, const ExportTime& when) {
    std::string text = std::string(kSettingsFileVersion) + kLineEnd + kSettingsFileHeading + kLineEnd +
                       kExportTimeLabel + when.date + " " + when.time + kLineEnd + kLineEnd;
    // One line per key: a stored text with a line break in it (no window of
    // the program writes one) is cut where the import would end it anyway,
    // so that nothing after the break can pass for a key of its own.
    auto entry = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value.substr(0, value.find_first_of(kLineEnd))).append(kLineEnd);
    };
    std::array<const OptionSpec*, kOptionCount> lines{};
    for (const OptionSpec& spec : kOptionTable) lines[spec.fileLine] = &spec;
    for (const OptionSpec* spec : lines)
        entry(spec->name, spec->text ? options.*spec->text : std::to_string(options.*spec->integer));

    OpenedStore store(registry);
    // Never past the records the key can hold, whatever TaskNum says.
    const int last = TaskRecordBound(registry, options.TaskNum);
    for (std::int64_t n = 1; n <= last; ++n) {
        for (TaskField field : kTaskFields) {
            const std::string name = TaskValueName(field, n);
            entry(name, registry.ReadString(name));
        }
    }
    return text;
}

ExportOutcome ExportSettings(RegistryAccessor& registry, TextFiles& files, const StoreOptions& options,
                             const std::optional<std::string>& chosenPath, const ExportTime& when) {
    if (!chosenPath || chosenPath->empty()) return {};
    std::string text;
    try {
        text = ComposeSettingsFile(registry, options, when);
    } catch (const StoreError& e) {
        return {ExportStatus::Failed, {MessageKind::StoreError, e.what()}};
    }
    if (!WriteFileReplacing(files, *chosenPath, text))
        return {ExportStatus::Failed, {MessageKind::FileFailure, kExportFailed}};
    return {ExportStatus::Written, {}};
}

ImportOutcome ImportSettings(RegistryAccessor& registry, TextFiles& files, StoreOptions& options,
                             const std::optional<std::string>& chosenPath, const std::function<ImportAnswer()>& ask) {
    if (!chosenPath || chosenPath->empty()) return {};
    const std::optional<std::string> data = files.ReadWholeFile(*chosenPath);
    if (!data)
        return {ImportStatus::NotOpened, {MessageKind::FileFailure, FileNamePart(*chosenPath) + kOpenFailedSuffix}};
    const SettingsIndex file(*data);
    if (!file.holdsAnySetting())
        return {ImportStatus::NotSettingsFile,
                {MessageKind::FileFailure, FileNamePart(*chosenPath) + kNotSettingsFileSuffix}};

    const ImportAnswer answer = ask();
    if (answer == ImportAnswer::Cancel) return {};
    const bool replace = answer == ImportAnswer::Replace;

    try {
        OpenedStore store(registry);
        // The present records, never more than the key can hold, whatever
        // TaskNum says: the renumbering and the deletes walk no further.
        const std::int32_t present = TaskRecordBound(registry, options.TaskNum);
        const std::int32_t base = replace ? 0 : present;
        // A negative count is none; a count beyond the highest record the file
        // holds, or beyond what the store can number, is cut down to it.
        const std::int32_t count =
            std::min({std::max(file.Integer(kTaskNumOption, 0), 0), file.highestTask(),
                      std::numeric_limits<std::int32_t>::max() - base});

        for (int option = 0; option < kOptionCount; ++option) {
            const OptionSpec& spec = kOptionTable[option];
            if (spec.text) {
                const std::string text(Bounded(file.Text(option)));
                registry.WriteString(spec.name, text);
                options.*spec.text = text;
                continue;
            }
            if (spec.integer != &StoreOptions::TaskNum) {
                const std::int32_t value = file.Integer(option, spec.defaultNumber);
                registry.WriteInteger(spec.name, value);
                options.*spec.integer = value;
                continue;
            }
            // Records first, the count after them, and only then the surplus
            // of the replaced records goes: a failure at any point leaves a
            // store whose records 1 to TaskNum are all there.
            RecordWriter records(registry, base, replace ? std::min(count, present) : 0);
            file.ForEachTaskUpTo(count, [&records](const TaskLine& task) { records.Add(task); });
            records.Finish();
            registry.WriteInteger(kTaskNumValue, base + count);
            options.TaskNum = base + count;
            if (replace) {
                // The last name first, so that Wine moves none of those still to go (see RecordWriter).
                std::vector<std::string> surplus;
                for (std::int64_t n = std::int64_t{count} + 1; n <= present; ++n)
                    for (TaskField field : kTaskFields) surplus.push_back(TaskValueName(field, n));
                std::sort(surplus.begin(), surplus.end(), std::greater<>());
                for (const std::string& name : surplus) registry.DeleteValue(name);
            }
        }
    } catch (const StoreError& e) {
        return {ImportStatus::StoreFailed, {MessageKind::StoreError, e.what()}};
    }
    return {ImportStatus::Imported, {}};
}
