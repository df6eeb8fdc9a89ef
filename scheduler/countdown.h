// The countdown before a power action or the hang-up: it counts the seconds
// of `tishi` on its face, plays the warning sound, and at its end (or on
// "立即…") carries out the pending action; its Cancel switches monitoring off.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "scheduler/timers.h"
#include "scheduler/program_state.h"
#include "scheduler/task_actions.h"

#include <optional>
#include <string>
#include <vector>

// A shutdown that waits for the backups goes ahead when they have finished no
// file for this long: a copy that hangs on a dead network share never ends.
inline constexpr std::uint64_t kBackupStallMs = 10 * 60 * 1000;

// How long a shutdown has waited for the backups, and whether they stalled.
class BackupWait {
public:
    void Begin(std::uint64_t nowMs, std::int64_t filesFinished) {
        since_ = progressAt_ = nowMs;
        finished_ = filesFinished;
    }
    // Whether no file has been finished for kBackupStallMs up to `nowMs`.
    bool Stalled(std::uint64_t nowMs, std::int64_t filesFinished) {
        if (filesFinished != finished_) {
            finished_ = filesFinished;
            progressAt_ = nowMs;
        }
        return nowMs - progressAt_ >= kBackupStallMs;
    }
    std::uint64_t WaitedMs(std::uint64_t nowMs) const { return nowMs - since_; }

private:
    std::uint64_t since_ = 0, progressAt_ = 0;
    std::int64_t finished_ = 0;
};

// Whether a countdown whose task fell due in the minute of `dueAt` is too old
// to act on at `now`: more than its length and a minute after that minute
// began, as after a sleep or a jump of the wall clock.
bool CountdownIsStale(const LocalTime& dueAt, const LocalTime& now, int tishi);

// What the run log says of a power action that was not carried out because
// its countdown was stale, and of one that went ahead when backups stalled.
Outcome PowerStale(const LocalTime& dueAt);
Outcome PowerAfterStalledBackups(const std::vector<std::string>& backups);

// Told when a countdown is over, so that the owner of the tick alone
// decides whether the tick runs again.
class CountdownListener {
public:
    virtual ~CountdownListener() = default;
    virtual void CountdownOver() = 0;
    // What came of the pending action: cancelled, or carried out.
    virtual void PowerActionOutcome(const Outcome&) {}
};

class Countdown {
public:
    Countdown(ProgramState& state, Clock& clock, TimerSwitch& timers, CountdownFace& face, SoundPlayer& sound,
              TaskActions& actions)
        : state_(state), clock_(clock), timers_(timers), face_(face), sound_(sound), actions_(actions) {}

    void ReportTo(CountdownListener& listener) { listener_ = &listener; }
    // Opens the dialog for the pending action, or rewrites the one that counts.
    void Open();
    void Timer2Timer();   // one second
    // The buttons act only while the countdown is on screen: a key that
    // reaches the hidden dialog changes nothing.
    void BitBtn1Click();  // act now
    void BitBtn2Click();  // cancel

    bool Counting() const { return counting_; }
    // Ended while backups run, the countdown waits for them on screen.
    bool Waiting() const { return waiting_; }
    int Position() const { return position_; }
    // A task fires once in its minute: after a countdown that ended within
    // the minute it opened in, the tick rests until the next minute.
    bool HoldsTick(const LocalTime& now) const;
    // After a resume or a jump of the wall clock: a countdown (or its wait
    // for the backups) whose task fell due too long ago closes without its
    // action, monitoring staying on; otherwise, after a resume, it starts
    // again from its full length, with its sound.
    void ClockMoved(const LocalTime& now, bool resumed);

private:
    int Length() const { return state_.options.tishi > 0 ? state_.options.tishi : 0; }
    // What the action's line says when the countdown did not simply run out.
    enum class Ending { Counted, AfterWaiting, AfterStall };
    void Finish(Ending ending = Ending::Counted);
    void Close();  // hidden, silent and stopped, the tick free again
    void StartSound();
    void StopSound();

    ProgramState& state_;
    Clock& clock_;
    TimerSwitch& timers_;
    CountdownFace& face_;
    SoundPlayer& sound_;
    TaskActions& actions_;
    CountdownListener* listener_ = nullptr;
    bool counting_ = false;
    bool waiting_ = false;
    bool sounding_ = false;  // the warning sound was started, whatever the options say now
    int position_ = 0;
    std::optional<LocalTime> openedAt_;
    BackupWait wait_;
    std::vector<std::string> stalled_;  // the backups a stalled wait cut off
};
