// The scheduler tick: every 6 seconds it reads each task's schedule and state
// from the store, and dispatches the tasks that are due in this minute, in
// ascending number. An immediate task pauses the tick for a minute; a power
// task (or the hang-up) opens the countdown, which pauses it until its end.
//
// The pause after an immediate task ends exactly a minute after the tick that
// fired it, with a tick that judges the tasks as of that moment: so a task
// never fires twice in its minute, and the minute after a firing is never
// passed over, however late in its minute the firing tick came.
//
// Each task fired gets its line in the run log, when one is given, once its
// outcome is known: at once, when its worker ends, or at its countdown's end.
//
// No timer message comes while the PC sleeps, and none while the program is
// not running: at start, after a resume and after the wall clock jumped, the
// tasks that fell due in the minutes nobody watched get a line each in the
// run log, and with the option "buzuo" the ones that may be caught up on run
// once, in task order. A countdown that such a gap made stale closes unused.
#pragma once

#include "scheduler/program_state.h"
#include "platform/clock.h"
#include "scheduler/countdown.h"
#include "scheduler/timers.h"
#include "scheduler/task_actions.h"
#include "store/run_log.h"
#include "store/task_texts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The tick's one owner: whether it runs is decided here alone, for the
// monitoring switch, the settings window's hold, the re-arm pause and the
// countdown's end.
// Why the program looks at the clock anew.
enum class ClockEvent { Start, Resume, Jump };

class Scheduler : public CountdownListener {
public:
    // `log` must outlive the workers of the tasks, which report to it.
    Scheduler(ProgramState& state, Clock& clock, TimerSwitch& timers, TaskActions& actions, Countdown& countdown,
              RunLog* log = nullptr)
        : state_(state), clock_(clock), timers_(timers), actions_(actions), countdown_(countdown), log_(log) {
        countdown_.ReportTo(*this);
    }
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void Timer1Timer();  // the tick
    void Timer3Timer();  // the re-arm
    // The clock watch: keeps the minute the program is awake in, in memory
    // and in the store; minutes it finds passed unseen count as a resume,
    // a clock set back as a jump.
    void Timer4Timer();
    // At start (the watched minute read from the store), after a resume and
    // after a change of the wall clock.
    void ClockMoved(ClockEvent event);
    // The monitoring switch. Switched on, the tick runs again at once unless
    // a re-arm pause or a countdown holds it; those resume it themselves.
    void SetMonitoring(bool on);
    // The settings window holds the tick while it is open; released, the
    // tick runs again only where the monitoring switch and any pause allow.
    void HoldTick(bool held);
    // Told of the switch the user did not throw: a cancelled countdown's.
    void ShowMonitoringWith(std::function<void(bool on)> show) { showMonitoring_ = std::move(show); }
    // Ended, acted on or cancelled: the tick runs again where all else allows.
    void CountdownOver() override;
    // Monitoring off, and shown so.
    void CountdownCancelled() override;
    // The line of the power task whose countdown this was.
    void PowerActionOutcome(const Outcome& outcome) override;

private:
    // The moment a tick judges the tasks at: milliseconds since the system
    // started, and the local time.
    struct Moment {
        std::uint64_t instant = 0;
        LocalTime clock;
    };
    // `lagMs`: how long ago that moment was; the idle time is counted back by it.
    void Tick(const Moment& moment, std::uint64_t lagMs);
    bool TickMayRun() const;
    void Dispatch(int number, const std::string& a, TaskType type, const Moment& moment, TaskStore::Reader& reader);
    void OpenCountdown(PowerRequest request);
    std::string ReadC(TaskStore::Reader& reader, int number);
    // Writes the task's line when the outcome comes; safe on any thread.
    OutcomeReport Reporter(int number, TaskType type, const std::string& attribute) const;

    ProgramState& state_;
    Clock& clock_;
    TimerSwitch& timers_;
    TaskActions& actions_;
    Countdown& countdown_;
    RunLog* log_;
    Moment fired_;  // of the tick that started the re-arm pause
    // Keeps the minute `now` as the one last watched; minutes passed unseen
    // count as a resume, a clock set back as a jump unless the minute is one
    // a tick `judged`.
    void Watch(const LocalTime& now, bool judged);
    void Store(const LocalTime& now);  // the watched minute into the store
    // The tasks due in the minutes after `from` up to `to`, named in the run
    // log, and caught up on when the user asks for it.
    void ReportMissed(std::int64_t from, std::int64_t to);
    void CatchUp(int number, TaskType type, const std::string& a, const LocalTime& dueAt);

    std::function<void(bool)> showMonitoring_;
    OutcomeReport powerTask_;  // of the task whose countdown is open
    std::optional<std::int64_t> watched_;  // the last minute the watch saw, calendar::MinuteNumber
    std::optional<std::int64_t> stored_;   // the one the store holds
};

// The same wall-clock second a minute later, across hours, days, months and
// years.
LocalTime NextMinute(LocalTime t);
