// Times the import of an exported settings file into the in-memory registry,
// in replace mode over a store that already holds as many tasks, next to
//  - the registry writes the import cannot do without (the options, every task
//    value and the count, with names and texts made beforehand), so that what
//    reading the file adds shows as a ratio, and
//  - an import that finds every value by searching the whole file for its key
//    again, the way the program once did, so that the gain shows as a factor.
// Both imports must leave the same store. Native only.
#include "bench/stopwatch.h"
#include "platform/fake_text_files.h"
#include "platform/fake_registry.h"
#include "store/settings_file.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kTargetOverBare = 1.3;
constexpr double kTargetOverSearch = 100.0;
constexpr char kPath[] = "D:\\导出\\设置.txt";

struct Size {
    int tasks;
    int repetitions;        // of the import and the bare writes, interleaved
    int searchRepetitions;  // of each searching import
};
constexpr Size kSizes[] = {{1000, 41, 1}, {3000, 21, 1}, {10000, 11, 1}};

// A mix of the schedules and texts users have.
std::string TaskValue(int letter, int n) {
    switch (letter) {
    case 0:
        switch (n % 4) {
        case 0: return DailyText(n % 24, n * 7 % 60);
        case 1: return WeeklyText(std::to_string(n % 7 + 1), n % 24, n * 7 % 60);
        case 2: return MonthlyText(std::to_string(n % 28 + 1), n % 24, n * 7 % 60);
        default: return IntervalText("30", 9, 0);
        }
    case 1: return kTaskTypeNames[n % 3 == 0 ? static_cast<int>(TaskType::OpenFile) : static_cast<int>(TaskType::Reminder)];
    case 2: return n % 3 == 0 ? "C:\\Program Files\\工具\\备份" + std::to_string(n) + ".exe"
                              : "起来活动一下，喝杯水，看看远处 #" + std::to_string(n);
    default: return n % 7 == 3 ? kStateDisabled : kStateEnabled;
    }
}

StoreOptions FileOptions(int tasks) {
    StoreOptions o;
    o.shutapp = 1;
    o.soundpath = "C:\\Windows\\Media\\提示音.wav";
    o.tishi = 45;
    o.TaskNum = tasks;
    o.kaiji = 1;
    o.rejian = 1;
    return o;
}

void PutTasks(FakeRegistry& backend, int tasks) {
    for (int n = 1; n <= tasks; ++n)
        for (int l = 0; l < 4; ++l)
            backend.Put(RegRoot::LocalMachine, kStoreKeyPath, TaskValueName(kTaskFields[l], n), StringValue(TaskValue(l, n)));
    backend.Put(RegRoot::LocalMachine, kStoreKeyPath, kTaskNumValue, DwordValue(tasks));
}

// --- The search the program once made: the first occurrence of the key
// anywhere in the data, compared byte by byte; the value up to the next CR.
using Search = const char* (*)(const char* data, const char* key);

const char* BytewiseSearch(const char* data, const char* key) {
    for (const char* at = data; *at; ++at) {
        size_t i = 0;
        while (key[i] && at[i] == key[i]) ++i;
        if (!key[i]) return at;
    }
    return nullptr;
}

// The same search done by the C library, whose strstr skips ahead far faster
// than a byte-by-byte comparison: how much of the gain the search method alone
// could have brought.
const char* LibrarySearch(const char* data, const char* key) { return std::strstr(data, key); }

Search g_search = BytewiseSearch;

std::optional<std::string> SearchValue(const char* data, const std::string& key) {
    const char* at = g_search(data, key.c_str());
    if (!at) return std::nullopt;
    const char* start = at + key.size();
    const char* end = std::strchr(start, '\r');
    return end ? std::string(start, end) : std::string(start);
}

std::int32_t SearchInteger(const char* data, const char* key, std::int32_t fallback) {
    std::optional<std::string> text = SearchValue(data, key);
    return text ? ToInt(*text).value_or(fallback) : fallback;
}

// Replace mode in the program's old order: options, count, the old records
// deleted, the rest of the options, then a search for every task key.
void SearchingImport(RegistryAccessor& registry, StoreOptions& options, const std::string& file) {
    const char* data = file.c_str();
    const std::int32_t shutapp = SearchInteger(data, "shutapp=", 0);
    const std::string soundpath = SearchValue(data, "soundpath=").value_or("");
    const std::int32_t tishi = SearchInteger(data, "tishi=", 60);
    const std::int32_t count = SearchInteger(data, "TaskNum=", 0);
    const std::int32_t kaiji = SearchInteger(data, "kaiji=", 0);
    const std::int32_t rejian = SearchInteger(data, "rejian=", 0);
    OpenStore(registry);
    registry.WriteInteger(kShutappValue, shutapp);
    registry.WriteString(kSoundpathValue, soundpath);
    registry.WriteInteger(kTishiValue, tishi);
    registry.WriteInteger(kTaskNumValue, count);
    for (int n = 1; n <= options.TaskNum; ++n)
        for (int l = 0; l < 4; ++l) registry.DeleteValue(TaskValueName(kTaskFields[l], n));
    registry.WriteInteger(kKaijiValue, kaiji);
    registry.WriteInteger(kRejianValue, rejian);
    for (int r = 1; r <= count; ++r) {
        for (int l = 0; l < 4; ++l) {
            const std::string name = TaskValueName(kTaskFields[l], r);
            if (std::optional<std::string> value = SearchValue(data, name + "=")) registry.WriteString(name, *value);
        }
    }
    registry.CloseKey();
    options.shutapp = shutapp;
    options.soundpath = soundpath;
    options.tishi = tishi;
    options.TaskNum = count;
    options.kaiji = kaiji;
    options.rejian = rejian;
}

// --- The writes any import of the file makes, everything made beforehand.
struct BareWrites {
    StoreOptions options;
    std::vector<std::string> names, texts;

    BareWrites(const StoreOptions& o, int tasks) : options(o) {
        for (int n = 1; n <= tasks; ++n) {
            for (int l = 0; l < 4; ++l) {
                names.push_back(TaskValueName(kTaskFields[l], n));
                texts.push_back(TaskValue(l, n));
            }
        }
    }
    void Run(RegistryAccessor& registry) const {
        OpenStore(registry);
        registry.WriteInteger(kShutappValue, options.shutapp);
        registry.WriteString(kSoundpathValue, options.soundpath);
        registry.WriteInteger(kTishiValue, options.tishi);
        for (size_t i = 0; i < names.size(); ++i) registry.WriteString(names[i], texts[i]);
        registry.WriteInteger(kTaskNumValue, options.TaskNum);
        registry.WriteInteger(kKaijiValue, options.kaiji);
        registry.WriteInteger(kRejianValue, options.rejian);
        registry.CloseKey();
    }
};

// The store holds the file's options and tasks, and no task beyond them.
bool StoreMatches(const FakeRegistry& backend, const StoreOptions& expected) {
    auto get = [&](const std::string& name) { return backend.Get(RegRoot::LocalMachine, kStoreKeyPath, name); };
    auto dword = [&](const char* name) {
        auto v = get(name);
        return v && v->type == RegType::Dword ? static_cast<std::int32_t>(v->dword) : -999;
    };
    auto sound = get(kSoundpathValue);
    if (dword(kShutappValue) != expected.shutapp || !sound || sound->text != expected.soundpath ||
        dword(kTishiValue) != expected.tishi || dword(kTaskNumValue) != expected.TaskNum ||
        dword(kKaijiValue) != expected.kaiji || dword(kRejianValue) != expected.rejian)
        return false;
    for (int n = 1; n <= expected.TaskNum + 1; ++n) {
        for (int l = 0; l < 4; ++l) {
            auto v = get(TaskValueName(kTaskFields[l], n));
            if (n > expected.TaskNum ? v.has_value() : !v || v->text != TaskValue(l, n)) return false;
        }
    }
    return true;
}

template <typename F>
double Microseconds(F&& f) {
    double start = SteadyMicroseconds();
    f();
    return SteadyMicroseconds() - start;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Row {
    int tasks;
    double fileKb;
    double import, bare;      // medians
    double bytewise, library; // medians of the searching imports
};

}  // namespace

int main() {
    std::printf("Settings import (ImportSettings, replace mode over as many present tasks); registry: in-memory "
                "FakeRegistry\n");
    std::printf("bare writes: the options, 4 values a task and TaskNum, names and texts made beforehand\n");
    std::printf("searching import: every key searched for from the start of the file, byte by byte as the program\n"
                "  once did it (and, for comparison, with the C library's strstr)\n");
    std::printf("targets: import at most %.1fx the bare writes; at least %.0fx faster than the byte-by-byte\n"
                "  searching import at 10,000 tasks; the import's own time per task flat from 1,000 to 10,000\n\n",
                kTargetOverBare, kTargetOverSearch);

    std::vector<Row> rows;
    bool ok = true;
    for (const Size& size : kSizes) {
        const StoreOptions fileOptions = FileOptions(size.tasks);
        FakeRegistry source;
        PutTasks(source, size.tasks);
        RegistryAccessor sourceAccessor(source);
        FakeTextFiles files;
        files.files[kPath] = ComposeSettingsFile(sourceAccessor, fileOptions, {"2024/5/3", "10:37:05"});
        const std::string& file = files.files[kPath];

        FakeRegistry target;
        PutTasks(target, size.tasks);
        RegistryAccessor registry(target);
        StoreOptions options = fileOptions;
        const BareWrites bare(fileOptions, size.tasks);
        auto import = [&] {
            ImportOutcome outcome =
                ImportSettings(registry, files, options, std::string(kPath), [] { return ImportAnswer::Replace; });
            ok = ok && outcome.status == ImportStatus::Imported;
        };
        auto check = [&](const char* what) {
            if (StoreMatches(target, fileOptions)) return;
            std::fprintf(stderr, "%s at %d tasks leaves another store\n", what, size.tasks);
            ok = false;
        };

        // One untimed round of each, checked.
        import();
        check("the import");
        bare.Run(registry);
        std::vector<double> importTimes, bareTimes, bytewiseTimes, libraryTimes;
        // Interleaved, so that drift in the machine's load falls on both alike.
        for (int r = 0; r < size.repetitions; ++r) {
            importTimes.push_back(Microseconds(import));
            bareTimes.push_back(Microseconds([&] { bare.Run(registry); }));
        }
        for (Search search : {BytewiseSearch, LibrarySearch}) {
            g_search = search;
            auto& times = search == BytewiseSearch ? bytewiseTimes : libraryTimes;
            for (int r = 0; r < size.searchRepetitions; ++r)
                times.push_back(Microseconds([&] { SearchingImport(registry, options, file); }));
            check(search == BytewiseSearch ? "the byte-by-byte searching import" : "the strstr searching import");
        }
        import();
        check("the import");
        rows.push_back({size.tasks, file.size() / 1024.0, Median(importTimes), Median(bareTimes), Median(bytewiseTimes),
                        Median(libraryTimes)});
    }

    std::printf("%7s %8s %11s %11s %9s %14s %14s %14s\n", "tasks", "file KB", "import us", "bare us", "imp/bare",
                "import us/task", "bare us/task", "own us/task");
    for (const Row& r : rows)
        std::printf("%7d %8.0f %11.0f %11.0f %8.2fx %14.3f %14.3f %14.3f\n", r.tasks, r.fileKb, r.import, r.bare,
                    r.import / r.bare, r.import / r.tasks, r.bare / r.tasks, (r.import - r.bare) / r.tasks);
    std::printf("(own: import minus bare writes, the work of reading the file and building names)\n\n");
    std::printf("%7s %20s %12s %20s %12s\n", "tasks", "byte-by-byte us", "/import", "strstr us", "/import");
    for (const Row& r : rows)
        std::printf("%7d %20.0f %11.0fx %20.0f %11.0fx\n", r.tasks, r.bytewise, r.bytewise / r.import, r.library,
                    r.library / r.import);

    const Row& small = rows.front();
    const Row& large = rows.back();
    bool overBare = true;
    for (const Row& r : rows) overBare = overBare && r.import / r.bare <= kTargetOverBare;
    std::printf("\nimport within %.1fx of the bare writes at every size: %s\n", kTargetOverBare, overBare ? "yes" : "NO");
    std::printf("import %.0fx faster than the byte-by-byte searching import at %d tasks: %s\n",
                large.bytewise / large.import, large.tasks,
                large.bytewise / large.import >= kTargetOverSearch ? "yes" : "NO");
    std::printf("time per task at %d tasks over that at %d: import %.2f, bare writes %.2f, own work %.2f "
                "(1.00 is linear)\n",
                large.tasks, small.tasks, (large.import / large.tasks) / (small.import / small.tasks),
                (large.bare / large.tasks) / (small.bare / small.tasks),
                ((large.import - large.bare) / large.tasks) / ((small.import - small.bare) / small.tasks));
    std::printf("every import leaves the file's options and tasks in the store: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
