#include "scheduler/timers.h"

void TimerSwitch::SetEnabled(TimerId id, bool enabled) {
    if (on_[id] == enabled) return;
    on_[id] = enabled;
    if (enabled)
        StartTimer(id, kTimerIntervals[id]);
    else
        StopTimer(id);
}

void TimerSwitch::StartWithin(TimerId id, unsigned intervalMs) {
    if (on_[id]) return;
    on_[id] = true;
    StartTimer(id, intervalMs);
}
