#include "scheduler/scheduler.h"

#include "store/gbk.h"
#include "store/options.h"
#include "store/schedule_text.h"

LocalTime NextMinute(LocalTime t) {
    if (++t.minute < 60) return t;
    t.minute = 0;
    if (++t.hour < 24) return t;
    t.hour = 0;
    t.dayOfWeek = (t.dayOfWeek + 1) % 7;
    if (++t.day <= DaysInMonth(t.year, t.month)) return t;
    t.day = 1;
    if (++t.month <= 12) return t;
    t.month = 1;
    ++t.year;
    return t;
}

void Scheduler::Timer1Timer() { Tick({clock_.UptimeMilliseconds(), clock_.Now()}, 0); }

void Scheduler::Tick(const Moment& moment, std::uint64_t lagMs) {
    if (!state_.store) return;
    TaskStore& store = *state_.store;
    std::optional<ShortDateFormat> dateFormat;  // read once a tick, when a one-off record first needs it
    DueInputs inputs{
        moment.clock,
        [this, lagMs] {
            const std::uint32_t idle = clock_.TickCount() - clock_.LastInputTick();
            return (idle > lagMs ? idle - static_cast<std::uint32_t>(lagMs) : 0) / 1000 / 60;
        },
        [&moment] { return moment.instant; },
        [&]() -> const ShortDateFormat& {
            if (!dateFormat) dateFormat.emplace(clock_.ShortDatePicture());
            return *dateFormat;
        },
    };
    if (countdown_.HoldsTick(inputs.now)) return;
    TaskStore::Reader reader(store);
    // A task that fires may wait in a message loop (a box, a window shown),
    // where an import handed over from the command line can change the
    // store: the walk ends there rather than read a record under a number
    // that now means another.
    const std::uint64_t generation = store.generation();
    for (int n = 1; n <= reader.bound() && store.generation() == generation; ++n) {
        try {
            std::string a = reader.Field(n, TaskField::Schedule);
            std::string d = reader.Field(n, TaskField::State);
            if (a.empty() || d != kStateEnabled || !IsScheduleDue(a, inputs)) continue;
            std::optional<TaskType> type = TaskTypeOf(reader.Field(n, TaskField::Type));
            if (type) Dispatch(n, a, *type, moment, reader);
        } catch (const StoreError&) {
            // A value of the wrong type: this record cannot act; the others still do.
        }
    }
}

void Scheduler::Timer3Timer() {
    timers_.SetEnabled(kTimer3, false);
    if (TickMayRun()) {
        // The tasks as they stand a minute after the tick that fired, which
        // lies in the next minute of the clock, even when the firing tick
        // came in the last moments of its own. A re-arm held up for longer
        // than a tick (a busy or sleeping machine) judges them as they stand now.
        const std::uint64_t resume = fired_.instant + kTimerIntervals[kTimer3];
        const std::uint64_t now = clock_.UptimeMilliseconds();
        if (now <= resume + kTimerIntervals[kTimer1])
            Tick({resume, NextMinute(fired_.clock)}, now > resume ? now - resume : 0);
        else
            Timer1Timer();
    }
    // That tick may have fired again; a countdown that is counting holds the
    // tick until its end.
    timers_.SetEnabled(kTimer1, TickMayRun());
}

bool Scheduler::TickMayRun() const {
    return state_.monitoring && !state_.tickHeld && !countdown_.Counting() && !timers_.IsEnabled(kTimer3);
}

void Scheduler::SetMonitoring(bool on) {
    state_.monitoring = on;
    timers_.SetEnabled(kTimer1, TickMayRun());
}

void Scheduler::HoldTick(bool held) {
    state_.tickHeld = held;
    timers_.SetEnabled(kTimer1, TickMayRun());
}

void Scheduler::CountdownOver() { timers_.SetEnabled(kTimer1, TickMayRun()); }

void Scheduler::PowerActionOutcome(const Outcome& outcome) {
    if (!powerTask_) return;  // a countdown from the tray menu: no task's
    OutcomeReport report = std::move(powerTask_);
    powerTask_ = nullptr;
    report(outcome);
}

std::string Scheduler::ReadC(TaskStore::Reader& reader, int number) { return reader.Field(number, TaskField::Attribute); }

OutcomeReport Scheduler::Reporter(int number, TaskType type, const std::string& attribute) const {
    if (!log_) return [](const Outcome&) {};
    return [log = log_, number, type, attribute](const Outcome& outcome) { log->Task(number, type, attribute, outcome); };
}

void Scheduler::Dispatch(int number, const std::string& a, TaskType type, const Moment& moment,
                         TaskStore::Reader& reader) {
    if (std::optional<PowerAction> action = PowerActionFor(type)) {
        state_.PendingPowerAction = action;
        if (type == TaskType::Hibernate) state_.WakeSpec = ReadC(reader, number);
        if (powerTask_) powerTask_(PowerSuperseded());  // a countdown keeps the later word
        powerTask_ = Reporter(number, type, type == TaskType::Hibernate ? state_.WakeSpec : "");
        OpenCountdown();
        return;
    }
    // The types that act on C read it, as before; the dial and the cleaning have none.
    const std::string c = type == TaskType::Dial || type == TaskType::CleanJunk ? "" : ReadC(reader, number);
    const OutcomeReport report = Reporter(number, type, c);
    switch (type) {
    case TaskType::Reminder: report(actions_.ShowReminder(c, a)); break;
    case TaskType::OpenFile:
    case TaskType::OpenFolder: report(actions_.OpenTarget(c)); break;
    case TaskType::CloseProgram: report(actions_.KillProcessByName(FileNamePart(c))); break;
    case TaskType::Dial: report(actions_.DialDefault()); break;
    case TaskType::CleanJunk: report(actions_.CleanSystemJunk(false)); break;
    case TaskType::DisableAdapter: actions_.SetAdapterState(c, false, report); break;
    case TaskType::EnableAdapter: actions_.SetAdapterState(c, true, report); break;
    case TaskType::BackupFile:
    case TaskType::BackupFolder:
        actions_.StartBackup(type, c, report);
        break;
    default: break;
    }
    // A countdown on screen keeps the word it shows.
    if (!countdown_.Counting()) state_.PendingPowerAction.reset();
    timers_.SetEnabled(kTimer1, false);
    // The pause runs a minute from the moment of this tick, whatever the
    // actions took; a later task of the same tick leaves it as it is.
    if (!timers_.IsEnabled(kTimer3)) {
        fired_ = moment;
        const std::uint64_t resume = fired_.instant + kTimerIntervals[kTimer3];
        const std::uint64_t now = clock_.UptimeMilliseconds();
        timers_.StartWithin(kTimer3, resume > now ? static_cast<unsigned>(resume - now) : 1);
    }
}

void Scheduler::OpenCountdown() {
    countdown_.Open();
    timers_.SetEnabled(kTimer1, TickMayRun());
    if (SweepsFirst(*state_.PendingPowerAction, state_.options.shutapp)) actions_.CloseAllPrograms();
}
