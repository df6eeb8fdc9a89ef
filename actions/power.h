// The power actions that act at once, from the tray menu or a hotkey, with no
// countdown.
#pragma once

#include "platform/system_calls.h"
#include "scheduler/power_action.h"

#include <cstdint>

// A tray entry sweeps as its countdown would; the tray's hibernation is
// forced and sets no wake timer.
void RunTrayPower(PowerAction action, std::int32_t shutapp, PowerSystem& power);

// A key sweeps only for an action that always sweeps: standby from the
// keyboard never closes programs, whatever shutapp says.
void RunHotkeyPower(PowerAction action, PowerSystem& power);
