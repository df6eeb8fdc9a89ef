#include "store/settings_file.h"

#include "store/gbk.h"
#include "store/run_log.h"
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

}  // namespace

std::string ComposeSettingsFile(TaskStore& store, const StoreOptions& options, const ExportTime& when) {
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

    TaskStore::Reader reader(store);
    // Never past the records the key can hold, whatever TaskNum says.
    const int last = std::min(reader.bound(), std::max(options.TaskNum, 0));
    for (int n = 1; n <= last; ++n) {
        for (TaskField field : kTaskFields) entry(TaskValueName(field, n), reader.Field(n, field));
    }
    return text;
}

ExportOutcome ExportSettings(TaskStore& store, TextFiles& files, const StoreOptions& options,
                             const std::optional<std::string>& chosenPath, const ExportTime& when) {
    if (!chosenPath || chosenPath->empty()) return {};
    std::string text;
    try {
        text = ComposeSettingsFile(store, options, when);
    } catch (const StoreError& e) {
        return {ExportStatus::Failed, {MessageKind::StoreError, e.what()}};
    }
    if (!WriteFileReplacing(files, *chosenPath, text))
        return {ExportStatus::Failed, {MessageKind::FileFailure, kExportFailed}};
    return {ExportStatus::Written, {}};
}

ImportOutcome ImportSettings(TaskStore& store, TextFiles& files, const std::optional<std::string>& chosenPath,
                             const std::function<ImportAnswer()>& ask) {
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
        // A negative count is none; a count beyond the highest record the file
        // holds, or beyond what the store can number, is cut down to it.
        const std::int32_t present = replace ? 0 : TaskStore::Reader(store).bound();
        const std::int32_t count = std::min({std::max(file.Integer(kTaskNumOption, 0), 0), file.highestTask(),
                                             std::numeric_limits<std::int32_t>::max() - present});
        StoreOptions options;
        for (int option = 0; option < kOptionCount; ++option) {
            const OptionSpec& spec = kOptionTable[option];
            if (spec.text)
                options.*spec.text = std::string(Bounded(file.Text(option)));
            else
                options.*spec.integer = file.Integer(option, spec.defaultNumber);
        }
        std::vector<ImportedValue> values;
        file.ForEachTaskUpTo(count, [&values](const TaskLine& task) {
            values.push_back({task.number, kTaskFields[task.letter], std::string(Bounded(task.value))});
        });
        if (replace)
            store.ReplaceAll(options, count, std::move(values));
        else
            store.AppendAll(options, count, std::move(values));
    } catch (const StoreError& e) {
        return {ImportStatus::StoreFailed, {MessageKind::StoreError, e.what()}};
    }
    return {ImportStatus::Imported, {}};
}

ImportOutcome ImportNamedFile(TaskStore& store, TextFiles& files, const std::string& file, bool append,
                              const std::function<void()>& beforeStore, RunLog* runLog) {
    const ImportOutcome outcome = ImportSettings(store, files, file, [&] {
        if (beforeStore) beforeStore();
        return append ? ImportAnswer::Append : ImportAnswer::Replace;
    });
    if (runLog) {
        if (std::optional<Outcome> note = ImportNote(file, outcome.status, !append, outcome.message.text))
            runLog->Note(*note);
    }
    return outcome;
}

ExportOutcome ExportStore(TaskStore& store, TextFiles& files, const std::string& file, const ExportTime& when) {
    store.Load(false);
    return ExportSettings(store, files, store.options(), file, when);
}
