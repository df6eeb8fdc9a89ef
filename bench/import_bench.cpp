// Times the import of an exported settings file into the in-memory registry,
// in replace mode over a store that already holds as many tasks, at three
// sizes each four times the one before, so that its growth shows, and at
// 10,000 tasks next to an import that finds every value by searching the whole
// file for its key again, byte by byte, the way the program once did, so that
// the gain shows as a factor. Both imports must leave the same store. Native
// only.
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

constexpr double kTargetOverSearch = 100.0;
constexpr char kPath[] = "D:\\导出\\设置.txt";

constexpr int kSizes[] = {2500, 10000, 40000};
constexpr int kRepetitions = 11;        // of the import at each size
constexpr int kSearchedTasks = 10000;  // the size of the searching import, run once

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

// The search the program once made: the first occurrence of the key anywhere
// in the data, compared byte by byte; the value up to the next CR.
const char* BytewiseSearch(const char* data, const char* key) {
    for (const char* at = data; *at; ++at) {
        size_t i = 0;
        while (key[i] && at[i] == key[i]) ++i;
        if (!key[i]) return at;
    }
    return nullptr;
}

std::optional<std::string> SearchValue(const char* data, const std::string& key) {
    const char* at = BytewiseSearch(data, key.c_str());
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
    double import;     // median
    double searching;  // the searching import, 0 where not run
};

}  // namespace

int main() {
    std::printf("Settings import (ImportSettings, replace mode over as many present tasks); registry: in-memory "
                "FakeRegistry\n");
    std::printf("searching import: every key searched for from the start of the file, byte by byte as the program\n"
                "  once did it\n");
    std::printf("targets: at least %.0fx faster than the searching import at %d tasks; the import's time growing\n"
                "  linearly with the tasks\n\n",
                kTargetOverSearch, kSearchedTasks);

    std::vector<Row> rows;
    bool ok = true;
    for (const int tasks : kSizes) {
        const StoreOptions fileOptions = FileOptions(tasks);
        FakeRegistry source;
        PutTasks(source, tasks);
        StoreOptions sourceOptions = fileOptions;
        TaskStore sourceStore(source, sourceOptions);
        FakeTextFiles files;
        files.files[kPath] = ComposeSettingsFile(sourceStore, fileOptions, {"2024/5/3", "10:37:05"});
        const std::string& file = files.files[kPath];

        FakeRegistry target;
        PutTasks(target, tasks);
        RegistryAccessor registry(target);
        StoreOptions options = fileOptions;
        TaskStore store(target, options);
        auto import = [&] {
            ImportOutcome outcome =
                ImportSettings(store, files, std::string(kPath), [] { return ImportAnswer::Replace; });
            ok = ok && outcome.status == ImportStatus::Imported;
        };
        auto check = [&](const char* what) {
            if (StoreMatches(target, fileOptions)) return;
            std::fprintf(stderr, "%s at %d tasks leaves another store\n", what, tasks);
            ok = false;
        };

        import();
        check("the import");
        std::vector<double> times;
        for (int r = 0; r < kRepetitions; ++r) times.push_back(Microseconds(import));
        double searching = 0;
        if (tasks == kSearchedTasks) {
            searching = Microseconds([&] { SearchingImport(registry, options, file); });
            check("the searching import");
            import();
            check("the import");
        }
        rows.push_back({tasks, file.size() / 1024.0, Median(times), searching});
    }

    std::printf("%7s %8s %11s %14s %16s\n", "tasks", "file KB", "import us", "import us/task", "time over prior");
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::printf("%7d %8.0f %11.0f %14.3f", r.tasks, r.fileKb, r.import, r.import / r.tasks);
        if (i > 0) std::printf(" %15.2fx", r.import / rows[i - 1].import);
        std::printf("\n");
    }
    std::printf("(time over prior: 4 times the tasks of the row before; 4.00x is linear)\n\n");

    for (const Row& r : rows) {
        if (r.searching == 0) continue;
        const double gain = r.searching / r.import;
        std::printf("at %d tasks: searching import %.0f us, import %.0f us, %.0fx faster: %s\n", r.tasks, r.searching,
                    r.import, gain, gain >= kTargetOverSearch ? "yes" : "NO");
    }
    std::printf("time per task at %d tasks over that at %d: %.2f (1.00 is linear)\n", rows.back().tasks,
                rows.front().tasks, (rows.back().import / rows.back().tasks) / (rows.front().import / rows.front().tasks));
    std::printf("every import leaves the file's options and tasks in the store: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
