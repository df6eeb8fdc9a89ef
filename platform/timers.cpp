#include "platform/timers.h"

void TimerSwitch::SetEnabled(TimerId id, bool enabled) {
    if (on_[id] == enabled) return;
    on_[id] = enabled;
    if (enabled)
        StartTimer(id, kTimerIntervals[id]);
    else
        StopTimer(id);
}
