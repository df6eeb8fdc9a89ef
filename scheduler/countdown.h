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

private:
    int Length() const { return state_.options.tishi > 0 ? state_.options.tishi : 0; }
    // `afterWaiting`: the backups it waited for have ended.
    void Finish(bool afterWaiting = false);
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
};
