// The four global hotkeys F8 to F11, each identified by a global atom.
#pragma once

#include <windows.h>

enum class Hotkey { F8, F9, F10, F11, None };

class Hotkeys {
public:
    // Registers F8 to F11, with Ctrl when `withCtrl`. A key that another
    // program holds simply never reaches this one.
    void Register(HWND owner, bool withCtrl);
    void Unregister();
    Hotkey Identify(WPARAM id) const;

private:
    HWND owner_ = nullptr;
    ATOM atoms_[4] = {};  // indexed by Hotkey
};
