// The four global hotkeys F8 to F11, each identified by a global atom and
// standing for a power action.
#pragma once

#include "scheduler/power_action.h"

#include <windows.h>

#include <optional>

enum class Hotkey { F8, F9, F10, F11 };

class Hotkeys {
public:
    // Registers F8 to F11, with Ctrl when `withCtrl`. A key that another
    // program holds simply never reaches this one.
    void Register(HWND owner, bool withCtrl);
    void Unregister();
    // The action of a WM_HOTKEY id; none for an id that is not one of the four.
    std::optional<PowerAction> Identify(WPARAM id) const;

private:
    HWND owner_ = nullptr;
    ATOM atoms_[4] = {};  // indexed by Hotkey
};
