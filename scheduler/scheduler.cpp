#include "scheduler/scheduler.h"

#include "scheduler/missed_runs.h"
#include "store/calendar.h"
#include "store/gbk.h"
#include "store/options.h"
#include "store/schedule_text.h"

LocalTime NextMinute(LocalTime t) { return calendar::AddMinutes(t, 1); }

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
    // The minute judged is watched (in memory; the clock watch stores it): a
    // sleep before the clock watch came never counts a task fired in it as
    // missed. Minutes passed unseen before it are looked into first.
    Watch(inputs.now, true);
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

void Scheduler::CountdownCancelled() {
    SetMonitoring(false);
    if (showMonitoring_) showMonitoring_(false);
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
        PowerRequest request{*action, type == TaskType::Hibernate ? ReadC(reader, number) : ""};
        if (powerTask_) powerTask_(PowerSuperseded());  // a countdown keeps the later word
        powerTask_ = Reporter(number, type, request.wake);
        OpenCountdown(std::move(request));
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

void Scheduler::OpenCountdown(PowerRequest request) {
    const bool sweep = SweepsFirst(request.action, state_.options.shutapp);
    countdown_.Open(std::move(request));
    timers_.SetEnabled(kTimer1, TickMayRun());
    if (sweep) actions_.CloseAllPrograms();
}

void Scheduler::Timer4Timer() {
    const LocalTime now = clock_.Now();
    Watch(now, false);
    // The tick never writes; the watch keeps the store up to date.
    if (watched_ && watched_ != stored_ && state_.store) Store(now);
}

void Scheduler::Watch(const LocalTime& now, bool judged) {
    const std::int64_t minute = calendar::MinuteNumber(now);
    if (watched_ && minute > *watched_ + 1) return ClockMoved(ClockEvent::Resume);
    if (watched_ && minute < *watched_) {
        // A tick may judge the minute before the clock's, after its re-arm.
        if (!judged) ClockMoved(ClockEvent::Jump);
        return;
    }
    watched_ = minute;
}

void Scheduler::Store(const LocalTime& now) {
    RegistryAccessor registry = state_.store->Accessor();
    WriteWatchedMinute(registry, now);
    stored_ = calendar::MinuteNumber(now);
}

void Scheduler::ClockMoved(ClockEvent event) {
    if (!state_.store) return;
    const LocalTime now = clock_.Now();
    const std::int64_t minute = calendar::MinuteNumber(now);
    if (event != ClockEvent::Start) countdown_.ClockMoved(now, event == ClockEvent::Resume);
    RegistryAccessor registry = state_.store->Accessor();
    const std::optional<std::int64_t> last = event == ClockEvent::Start ? ReadWatchedMinute(registry) : watched_;
    // Minutes in which the user had the tasks held fired nothing on purpose.
    if (last && minute > *last + 1 && state_.monitoring && !state_.tickHeld) ReportMissed(*last + 1, minute);
    watched_ = minute;
    Store(now);
}

void Scheduler::ReportMissed(std::int64_t from, std::int64_t to) {
    std::optional<ShortDateFormat> dateFormat;
    auto format = [&]() -> const ShortDateFormat& {
        if (!dateFormat) dateFormat.emplace(clock_.ShortDatePicture());
        return *dateFormat;
    };
    struct Missed {
        int number;
        TaskType type;
        std::string a;
        LocalTime last;
    };
    std::vector<Missed> catchUp;
    {
        TaskStore::Reader reader(*state_.store);
        for (int n = 1; n <= reader.bound(); ++n) {
            try {
                const std::string a = reader.Field(n, TaskField::Schedule);
                if (a.empty() || reader.Field(n, TaskField::State) != kStateEnabled) continue;
                const MissedRuns runs = MissedRunsOf(a, from, to, format);
                if (runs.count == 0) continue;
                const std::optional<TaskType> type = TaskTypeOf(reader.Field(n, TaskField::Type));
                if (!type) continue;  // never acts, so misses nothing
                const bool attributed = *type != TaskType::Dial && *type != TaskType::CleanJunk &&
                                        (!PowerActionFor(*type) || *type == TaskType::Hibernate);
                if (log_) log_->Task(n, *type, attributed ? ReadC(reader, n) : "", MissedOutcome(runs));
                if (state_.options.buzuo == 1 && CatchesUp(*type)) catchUp.push_back({n, *type, a, runs.last});
            } catch (const StoreError&) {
                // A value of the wrong type: this record cannot act; the others still do.
            }
        }
    }
    for (const Missed& missed : catchUp) CatchUp(missed.number, missed.type, missed.a, missed.last);
}

void Scheduler::CatchUp(int number, TaskType type, const std::string& a, const LocalTime& dueAt) {
    std::string c;
    try {
        if (type != TaskType::CleanJunk) c = state_.store->Read(number).attribute;
    } catch (const StoreError&) {
        return;
    }
    const OutcomeReport logged = Reporter(number, type, c);
    const OutcomeReport report = [logged, dueAt](const Outcome& outcome) { logged(CaughtUpOutcome(dueAt, outcome)); };
    switch (type) {
    case TaskType::Reminder: report(actions_.ShowReminder(CaughtUpReminderText(c, dueAt), a)); break;
    case TaskType::OpenFile:
    case TaskType::OpenFolder: report(actions_.OpenTarget(c)); break;
    case TaskType::CloseProgram: report(actions_.KillProcessByName(FileNamePart(c))); break;
    case TaskType::CleanJunk: report(actions_.CleanSystemJunk(false)); break;
    case TaskType::BackupFile:
    case TaskType::BackupFolder: actions_.StartBackup(type, c, report); break;
    default: break;
    }
}
