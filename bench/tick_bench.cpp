// Times one scheduler tick over a store of task records none of which is due,
// next to the registry reads the tick cannot do without (A and D of every
// record), so that what the tick adds on top of its reads shows as a ratio.
// Built natively against the in-memory registry, and by the MinGW build
// against the real registry, run under Wine in a throwaway prefix.
#include "bench/stopwatch.h"
#include "scheduler/scheduler.h"
#include "store/options.h"
#include "store/schedule_text.h"

#ifdef _WIN32
#include "platform/registry_win32.h"
#else
#include "platform/fake_registry.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kTargetRatio = 1.2;

struct Size {
    int records;
    int repetitions;
};

struct Backend {
    std::unique_ptr<RegistryBackend> registry;  // none: the run must not go ahead
    const char* name = "";
    std::vector<Size> sizes;
};

#ifdef _WIN32
// Registry calls go through wineserver, so fewer repetitions. The run rewrites
// the store key, so it refuses any prefix but one run_in_prefix.sh made.
Backend MakeBackend() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !std::strstr(prefix, "/wine-prefixes/run.")) {
        std::fprintf(stderr, "this benchmark overwrites the store key; run it through tests/wine/run_in_prefix.sh\n");
        return {};
    }
    return {std::make_unique<Win32Registry>(), "real registry under Wine (Win32Registry)",
            {{1000, 21}, {10000, 7}, {25000, 5}}};
}
#else
Backend MakeBackend() {
    return {std::make_unique<FakeRegistry>(), "in-memory FakeRegistry", {{1000, 301}, {10000, 51}}};
}
#endif

// Wednesday 10:37, five hours after boot, with input just now (idle 0 minutes).
constexpr LocalTime kNow{2024, 5, 3, 15, 10, 37, 0};
constexpr std::uint32_t kUptimeMs = 5 * 3600 * 1000 + 1234;

class FixedClock : public Clock {
public:
    LocalTime Now() override { return kNow; }
    std::uint32_t TickCount() override { return kUptimeMs; }
    std::uint32_t LastInputTick() override { return kUptimeMs; }
    std::uint64_t UptimeMilliseconds() override { return kUptimeMs; }
    std::string ShortDatePicture() override { return "yyyy/M/d"; }
};

// Stands in for the timers, the actions and the countdown: nothing is due, so
// any call at all means the run measured something else.
class CallCounter : public TimerSwitch, public TaskActions, public CountdownFace, public SoundPlayer {
public:
    int calls = 0;

    void StartTimer(TimerId, unsigned) override { ++calls; }
    void StopTimer(TimerId) override { ++calls; }
    Outcome ShowReminder(const std::string&, const std::string&) override { ++calls; return {}; }
    Outcome OpenTarget(const std::string&) override { ++calls; return {}; }
    Outcome KillProcessByName(const std::string&) override { ++calls; return {}; }
    Outcome DialDefault() override { ++calls; return {}; }
    Outcome CleanSystemJunk(bool) override { ++calls; return {}; }
    void SetAdapterState(const std::string&, bool, OutcomeReport) override { ++calls; }
    void StartBackup(TaskType, const std::string&, OutcomeReport) override { ++calls; }
    void CloseAllPrograms() override { ++calls; }
    void ExecutePowerAction(PowerAction, const std::string&, const OutcomeReport&) override { ++calls; }
    void MyChangeCaption(const CountdownTexts&) override { ++calls; }
    void ShowProgress(int, int) override { ++calls; }
    void ShowRemaining(const std::string&) override { ++calls; }
    void Show() override { ++calls; }
    void Hide() override { ++calls; }
    void PlayLoop(const std::string&) override { ++calls; }
    void Stop() override { ++calls; }
};

// A schedule of each kind a user would have many of. Every clock time in it is
// off the current hour, the interval's distance from its start is not a
// multiple of 30, and the idle task wants 10 minutes.
std::string ScheduleOf(int n) {
    const int hour = (kNow.hour + 1 + n % 23) % 24;
    const int minute = n * 7 % 60;
    switch (n % 10) {
    case 4:
    case 5: return WeeklyText(std::to_string(n % 7 + 1), hour, minute);
    case 6: return MonthlyText(std::to_string(n % 28 + 1), hour, minute);
    case 7: return IntervalText("30", 9, 0);
    case 8: return IdleText("10");
    case 9: return OnceText(ShortDateFormat("yyyy/M/d").Format(kNow.year - 1, n % 12 + 1, n % 28 + 1), hour, minute);
    default: return DailyText(hour, minute);
    }
}

void WriteRecords(RegistryAccessor& registry, int count) {
    if (!OpenStore(registry)) throw StoreError("cannot open the store key");
    for (int n = 1; n <= count; ++n) {
        registry.WriteString(TaskValueName(TaskField::Schedule, n), ScheduleOf(n));
        registry.WriteString(TaskValueName(TaskField::Type, n), kTaskTypeNames[static_cast<int>(TaskType::Reminder)]);
        registry.WriteString(TaskValueName(TaskField::Attribute, n), "起来活动一下，喝杯水 #" + std::to_string(n));
        registry.WriteString(TaskValueName(TaskField::State, n), n % 7 == 3 ? kStateDisabled : kStateEnabled);
    }
    registry.CloseKey();
}

void SetTaskNum(ProgramState& state, RegistryAccessor& registry, int count) {
    state.options.TaskNum = count;
    OpenStore(registry);
    registry.WriteInteger(kTaskNumValue, count);
    registry.CloseKey();
}

// The reads the tick must make, through the same accessor and key handling.
// Returns how many of them found a value.
int BareReads(RegistryAccessor& registry, int count) {
    OpenStore(registry);
    int found = 0;
    for (int n = 1; n <= count; ++n) {
        found += !registry.ReadString(TaskValueName(TaskField::Schedule, n)).empty();
        found += !registry.ReadString(TaskValueName(TaskField::State, n)).empty();
    }
    registry.CloseKey();
    return found;
}

template <typename F>
double Microseconds(F&& f) {
    double start = SteadyMicroseconds();
    f();
    return SteadyMicroseconds() - start;
}

struct Stats {
    double median;
    double min;
};

Stats Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front()};
}

int Run(Backend& backend) {
    ProgramState state;
    state.store = std::make_unique<TaskStore>(*backend.registry, state.options);
    RegistryAccessor registry(*backend.registry);
    FixedClock clock;
    CallCounter counter;
    Countdown countdown(state.options, clock, counter, counter, counter, counter);
    Scheduler scheduler(state, clock, counter, counter, countdown);

    int largest = 0;
    for (const Size& size : backend.sizes) largest = std::max(largest, size.records);
    WriteRecords(registry, largest);

    std::printf("Scheduler tick (Timer1Timer), no record due; registry: %s\n", backend.name);
    std::printf("bare reads: ReadString A<n> and D<n> for n = 1..TaskNum on the open store key\n");
    std::printf("target: tick at most %.1fx the bare reads (ratio of the medians)\n\n", kTargetRatio);
    std::printf("%8s %5s %26s %26s %10s %15s\n", "records", "reps", "tick us (median/min)", "bare us (median/min)",
                "tick/bare", "tick us/record");

    bool withinTarget = true;
    for (const Size& size : backend.sizes) {
        SetTaskNum(state, registry, size.records);
        // One untimed round each; the bare one also shows the records are all there.
        scheduler.Timer1Timer();
        if (BareReads(registry, size.records) != 2 * size.records) {
            std::fprintf(stderr, "the store does not hold %d records\n", size.records);
            return 1;
        }
        // Interleaved, so that drift in the machine's load falls on both alike.
        std::vector<double> tick, bare;
        for (int r = 0; r < size.repetitions; ++r) {
            tick.push_back(Microseconds([&] { scheduler.Timer1Timer(); }));
            bare.push_back(Microseconds([&] { BareReads(registry, size.records); }));
        }
        Stats t = Summarise(tick), b = Summarise(bare);
        double ratio = t.median / b.median;
        withinTarget = withinTarget && ratio <= kTargetRatio;
        std::printf("%8d %5d %14.1f / %9.1f %14.1f / %9.1f %9.2fx %15.3f\n", size.records, size.repetitions, t.median,
                    t.min, b.median, b.min, ratio, t.median / size.records);
    }

    std::printf("\ntick within %.1fx of the bare reads: %s\n", kTargetRatio, withinTarget ? "yes" : "NO");
    std::printf("timer, action and countdown calls: %d (expected 0)\n", counter.calls);
    return counter.calls == 0 ? 0 : 1;
}

}  // namespace

int main() {
    Backend backend = MakeBackend();
    if (!backend.registry) return 2;
    try {
        return Run(backend);
    } catch (const StoreError& e) {
        std::fprintf(stderr, "writing the store failed: %s\n", e.what());
        return 1;
    }
}
