// Times the settings window's task list and the import against the real
// registry under Wine (in a throwaway prefix), at 2,500, 10,000 and 25,000 tasks, each
// next to the registry calls it cannot do without:
//  - opening "设置" (ShowSettingsWindow, until the window has painted), less
//    opening it over a task count of 0, next to the bare reads of the four
//    values of every record;
//  - an import through the window's "导入" button that replaces the store by
//    the same tasks, from the answer "是" until the refilled list has painted,
//    next to the bare writes of the file's values plus the bare reads;
//  - the import into an empty store key next to the bare writes of its values
//    in ascending name order and in record order, which shows what Wine's
//    sorted array of values makes of the order.
// Win32 only: the window is the program's own, made in this process.
#include "bench/stopwatch.h"
#include "platform/clock_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_files_win32.h"
#include "platform/text_win32.h"
#include "store/settings_file.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "windows/settings_window_win32.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kTargetOverBare = 1.5;
constexpr char kFilePath[] = "C:\\tempiro-bench-settings.txt";
constexpr wchar_t kStoreKey[] = L"Software\\Qelvora\\Tempiro";
constexpr int kFileNameBox = 0x47C;  // the explorer-style file dialog's name box (cmb13)
constexpr DWORD kDialogTimeoutMs = 60000;
// The user reads the question before answering it. Wine's file dialog also
// leaves work behind for a moment after it closes, which made the registry
// calls of an import answered at once three to six times as slow.
constexpr DWORD kReadingTheQuestionMs = 2000;

struct Size {
    int tasks;
    int repetitions;
};
constexpr Size kSizes[] = {{2500, 7}, {10000, 5}, {25000, 5}};

// A mix of the schedules and texts users have.
std::string TaskValue(int letter, int n) {
    switch (letter) {
    case 0: return n % 2 ? DailyText(n % 24, n * 7 % 60) : WeeklyText(std::to_string(n % 7 + 1), n % 24, n * 7 % 60);
    case 1: return kTaskTypeNames[static_cast<int>(n % 3 == 0 ? TaskType::OpenFile : TaskType::Reminder)];
    case 2: return n % 3 == 0 ? "C:\\Program Files\\工具\\备份" + std::to_string(n) + ".exe"
                              : "起来活动一下，喝杯水，看看远处 #" + std::to_string(n);
    default: return n % 7 == 3 ? kStateDisabled : kStateEnabled;
    }
}

StoreOptions Options(int tasks) {
    StoreOptions o;
    o.soundpath = "C:\\Windows\\Media\\提示音.wav";
    o.TaskNum = tasks;
    return o;
}

template <typename F>
double Microseconds(F&& f) {
    const double start = SteadyMicroseconds();
    f();
    return SteadyMicroseconds() - start;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void PumpUntilIdle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// No store key, as on a machine where nothing was saved yet; the next
// OpenStore makes it. The key goes whole: Wine deletes the values of a key
// that stays one by one, each moving all those after it.
void EmptyStore() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, KEY_WOW64_64KEY, 0); }

// The values of the tasks: names and texts made beforehand, in record order.
struct TaskValues {
    std::vector<std::string> names, texts;
    std::vector<size_t> byName;  // indexes in ascending name order

    explicit TaskValues(int tasks) {
        for (int n = 1; n <= tasks; ++n) {
            for (int l = 0; l < 4; ++l) {
                names.push_back(TaskValueName(kTaskFields[l], n));
                texts.push_back(TaskValue(l, n));
                byName.push_back(byName.size());
            }
        }
        std::sort(byName.begin(), byName.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });
    }

    // What any import of the file writes: the options, the task values (in
    // record order, or in name order), and the count.
    void Write(RegistryAccessor& registry, const StoreOptions& o, bool nameOrder) const {
        OpenStore(registry);
        registry.WriteInteger(kShutappValue, o.shutapp);
        registry.WriteString(kSoundpathValue, o.soundpath);
        registry.WriteInteger(kTishiValue, o.tishi);
        for (size_t i = 0; i < names.size(); ++i) {
            const size_t at = nameOrder ? byName[i] : i;
            registry.WriteString(names[at], texts[at]);
        }
        registry.WriteInteger(kTaskNumValue, o.TaskNum);
        registry.WriteInteger(kKaijiValue, o.kaiji);
        registry.WriteInteger(kRejianValue, o.rejian);
        registry.CloseKey();
    }

    // What the list reads: the value count, then the four values of every
    // record. Returns how many were found.
    int Read(RegistryAccessor& registry, int tasks) const {
        OpenStore(registry);
        int found = 0;
        const int last = TaskRecordBound(registry, tasks);
        for (int i = 0; i < 4 * last; ++i) found += !registry.ReadString(names[static_cast<size_t>(i)]).empty();
        registry.CloseKey();
        return found;
    }
};

HWND SettingsWindow() { return FindWindowW(L"TempiroSettings", nullptr); }

HWND TaskList(HWND settings) { return FindWindowExW(settings, nullptr, WC_LISTVIEWW, nullptr); }

// Waits for a visible dialog of this process with the caption; exits the
// benchmark when none comes, since the window would wait for it forever.
HWND WaitForDialog(const std::string& caption) {
    const std::wstring wide = Wide(caption);
    for (DWORD waited = 0; waited < kDialogTimeoutMs; waited += 10) {
        HWND dialog = FindWindowW(L"#32770", wide.c_str());
        if (dialog && IsWindowVisible(dialog)) return dialog;
        Sleep(10);
    }
    std::fprintf(stderr, "no dialog \"%s\" came\n", caption.c_str());
    std::fflush(stderr);
    ExitProcess(1);
}

// Plays the user of "导入": the file in the open dialog, "是" to the question.
// Returns when the answer went, on the steady clock.
double AnswerImport() {
    HWND dialog = WaitForDialog(kImportDialogTitle);
    const std::wstring path = Wide(kFilePath);
    SendMessageW(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND question = WaitForDialog(kImportQuestionTitle);
    Sleep(kReadingTheQuestionMs);
    const double answered = SteadyMicroseconds();
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    return answered;
}

// Presses "导入" of the open settings window; returns the time from the
// answer to the question until the window has painted again.
double ImportThroughWindow(HWND settings) {
    HWND button = FindWindowExW(settings, nullptr, L"Button", Wide("导入(&I)").c_str());
    std::atomic<double> answered{0};
    std::thread user([&answered] { answered = AnswerImport(); });
    SendMessageW(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    PumpUntilIdle();
    const double end = SteadyMicroseconds();
    user.join();
    return end - answered;
}

struct Row {
    int tasks;
    double open, window, reads;  // opening the window with the tasks, and with none; the bare reads
    double refill, writes;       // import through the window; bare writes (record order, over the same values)
    double empty, byName, byRecord;  // import into an empty key; bare writes into one, by name and by record
};

bool g_ok = true;

void Check(bool condition, const char* what, int tasks) {
    if (condition) return;
    std::fprintf(stderr, "%s at %d tasks\n", what, tasks);
    g_ok = false;
}

Row Measure(const Size& size, Win32Registry& backend) {
    const StoreOptions options = Options(size.tasks);
    const TaskValues values(size.tasks);
    ProgramState state;
    state.store = std::make_unique<TaskStore>(backend, state.options);
    RegistryAccessor registry(backend);
    Win32TextFiles files;

    EmptyStore();
    values.Write(registry, options, true);
    state.options = options;
    Check(WriteFileReplacing(files, kFilePath, ComposeSettingsFile(*state.store, options, {"2024/5/3", "10:37:05"})),
          "the settings file could not be written", size.tasks);

    Win32Clock clock;
    SettingsContext context;
    context.state = &state;
    context.clock = &clock;
    context.exePath = "C:\\Program Files\\Tempiro\\Tempiro.exe";
    auto open = [&](int taskNum) {
        state.options.TaskNum = taskNum;
        return Microseconds([&] {
            ShowSettingsWindow(context);
            PumpUntilIdle();
        });
    };
    auto close = [] {
        SendMessageW(SettingsWindow(), WM_CLOSE, 0, 0);
        PumpUntilIdle();
    };
    auto rows = [] { return static_cast<int>(ListView_GetItemCount(TaskList(SettingsWindow()))); };

    std::vector<double> windows, opens, reads, refills, writes, empties, byName, byRecord;
    // Interleaved, so that drift in the machine's load falls on all alike.
    for (int r = 0; r < size.repetitions; ++r) {
        windows.push_back(open(0));
        close();
        opens.push_back(open(size.tasks));
        Check(rows() == size.tasks, "the opened list does not show every task", size.tasks);
        refills.push_back(ImportThroughWindow(SettingsWindow()));
        Check(rows() == size.tasks, "the refilled list does not show every task", size.tasks);
        close();
        int found = 0;
        reads.push_back(Microseconds([&] { found = values.Read(registry, size.tasks); }));
        Check(found == 4 * size.tasks, "a value is missing", size.tasks);
        writes.push_back(Microseconds([&] { values.Write(registry, options, false); }));
    }
    for (int r = 0; r < size.repetitions; ++r) {
        EmptyStore();
        state.options = StoreOptions{};
        empties.push_back(Microseconds([&] {
            ImportOutcome outcome =
                ImportSettings(*state.store, files, std::string(kFilePath), [] { return ImportAnswer::Replace; });
            Check(outcome.status == ImportStatus::Imported, "the import failed", size.tasks);
        }));
        Check(values.Read(registry, size.tasks) == 4 * size.tasks, "the import left a value out", size.tasks);
        EmptyStore();
        byName.push_back(Microseconds([&] { values.Write(registry, options, true); }));
        EmptyStore();
        byRecord.push_back(Microseconds([&] { values.Write(registry, options, false); }));
    }
    return {size.tasks,     Median(opens),   Median(windows), Median(reads), Median(refills),
            Median(writes), Median(empties), Median(byName),  Median(byRecord)};
}

}  // namespace

int main() {
    // The run rewrites the store key, so it refuses any prefix but one run_in_prefix.sh made.
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !std::strstr(prefix, "/wine-prefixes/run.")) {
        std::fprintf(stderr, "this benchmark overwrites the store key; run it through tests/wine/run_in_prefix.sh\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    std::printf("Settings window and import; registry: real registry under Wine (Win32Registry)\n");
    std::printf("open: ShowSettingsWindow until painted; window: the same with TaskNum 0; fill: open - window\n");
    std::printf("reads: the value count and A..D of every record\n");
    std::printf("refill: the import button, replacing the store by the same tasks, from the answer to the\n"
                "  question until painted; w+r: the file's options, task values (record order) and count\n"
                "  written over the same values, plus the reads\n");
    std::printf("empty: ImportSettings into an empty store key; by name / by record: its bare writes in\n"
                "  ascending name order / in record order\n");
    std::printf("targets: fill at most %.1fx the reads; refill at most %.1fx writes + reads; empty at most\n"
                "  %.1fx the writes by name\n\n",
                kTargetOverBare, kTargetOverBare, kTargetOverBare);

    Win32Registry backend;
    std::vector<Row> rows;
    for (const Size& size : kSizes) rows.push_back(Measure(size, backend));

    std::printf("%6s %8s %7s %8s %8s %6s %9s %8s %6s %8s %8s %6s %9s %6s\n", "tasks", "open ms", "window",
                "fill ms", "reads ms", "ratio", "refill ms", "w+r ms", "ratio", "empty ms", "name ms", "ratio",
                "record ms", "ratio");
    bool within = true;
    for (const Row& r : rows) {
        const double fill = r.open - r.window;
        const double fillRatio = fill / r.reads, refillRatio = r.refill / (r.writes + r.reads),
                     emptyRatio = r.empty / r.byName;
        within = within && std::max({fillRatio, refillRatio, emptyRatio}) <= kTargetOverBare;
        std::printf("%6d %8.0f %7.0f %8.0f %8.0f %5.2fx %9.0f %8.0f %5.2fx %8.0f %8.0f %5.2fx %9.0f %5.2fx\n", r.tasks,
                    r.open / 1000, r.window / 1000, fill / 1000, r.reads / 1000, fillRatio, r.refill / 1000,
                    (r.writes + r.reads) / 1000, refillRatio, r.empty / 1000, r.byName / 1000, emptyRatio,
                    r.byRecord / 1000, r.byRecord / r.byName);
    }
    std::printf("(the last ratio: the bare writes in record order over those in name order, Wine's own cost)\n");
    const Row& small = rows.front();
    const Row& large = rows.back();
    const double scale = static_cast<double>(large.tasks) / small.tasks;
    std::printf("\nwithin %.1fx of the registry calls at every size: %s\n", kTargetOverBare, within ? "yes" : "NO");
    auto perTask = [scale](double largeTime, double smallTime) { return largeTime / smallTime / scale; };
    std::printf("time per task at %d tasks over that at %d: fill %.2f, reads %.2f, refill %.2f, empty %.2f, "
                "writes by name %.2f (1.00 is linear)\n",
                large.tasks, small.tasks, perTask(large.open - large.window, small.open - small.window),
                perTask(large.reads, small.reads), perTask(large.refill, small.refill),
                perTask(large.empty, small.empty), perTask(large.byName, small.byName));
    std::printf("per registry call at %d tasks: read %.1f us, write by name %.1f us; the list's own work (fill\n"
                "  less reads) %.1f us a task\n",
                large.tasks, large.reads / (4.0 * large.tasks), large.byName / (4.0 * large.tasks),
                (large.open - large.window - large.reads) / large.tasks);
    std::printf("every list showed every task and every import left every value: %s\n", g_ok ? "yes" : "NO");
    return g_ok ? 0 : 1;
}
