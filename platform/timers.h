// The three message timers of the main window, switched by their enabled flags.
#pragma once

enum TimerId : unsigned {
    kTimer1 = 1,  // the scheduler tick, 6000 ms
    kTimer2 = 2,  // the countdown step, 1000 ms
    kTimer3 = 3,  // re-arms the tick 60000 ms after an immediate task fired
};

inline constexpr unsigned kTimerIntervals[] = {0, 6000, 1000, 60000};  // indexed by TimerId

class TimerSwitch {
public:
    virtual ~TimerSwitch() = default;
    // Enabling restarts the timer's interval, as with a re-enabled timer.
    virtual void SetEnabled(TimerId id, bool enabled) = 0;
};
