// The three message timers of the main window, switched by their enabled flags.
#pragma once

enum TimerId : unsigned {
    kTimer1 = 1,  // the scheduler tick
    kTimer2 = 2,  // the countdown step
    kTimer3 = 3,  // re-arms the tick a minute after an immediate task fired
    kTimer4 = 4,  // the clock watch: the minute the program is awake in, whatever else runs
};

inline constexpr unsigned kTimerCount = 5;  // ids run from 1
inline constexpr unsigned kTimerIntervals[kTimerCount] = {0, 6000, 1000, 60000, 6000};  // milliseconds, by TimerId

// Keeps the enabled flag of each timer. Switching a timer on starts its
// interval afresh; switching on a timer that already runs changes nothing, so
// a running tick keeps its rhythm whoever enables it again.
class TimerSwitch {
public:
    virtual ~TimerSwitch() = default;
    void SetEnabled(TimerId id, bool enabled);
    // Switches a timer that is off on with an interval of its own; one that
    // runs already keeps its rhythm.
    void StartWithin(TimerId id, unsigned intervalMs);
    bool IsEnabled(TimerId id) const { return on_[id]; }

protected:
    virtual void StartTimer(TimerId id, unsigned intervalMs) = 0;
    virtual void StopTimer(TimerId id) = 0;

private:
    bool on_[kTimerCount] = {};
};
