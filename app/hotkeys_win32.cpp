#include "app/hotkeys_win32.h"

namespace {

struct HotkeyDef {
    Hotkey key;
    const wchar_t* atomName;
    UINT virtualKey;
    PowerAction action;
};

constexpr HotkeyDef kKeys[] = {
    {Hotkey::F8, L"MyHotkeyF8", VK_F8, PowerAction::LogOff},
    {Hotkey::F9, L"MyHotkeyF9", VK_F9, PowerAction::Standby},
    {Hotkey::F10, L"MyHotkeyF10", VK_F10, PowerAction::FastRestart},
    {Hotkey::F11, L"MyHotkeyF11", VK_F11, PowerAction::FastShutDown},
};

// Atoms are taken and released in this order, F8 last.
constexpr Hotkey kAtomOrder[] = {Hotkey::F9, Hotkey::F10, Hotkey::F11, Hotkey::F8};

int Index(Hotkey key) { return static_cast<int>(key); }

}  // namespace

void Hotkeys::Register(HWND owner, bool withCtrl) {
    owner_ = owner;
    for (Hotkey key : kAtomOrder) {
        const wchar_t* name = kKeys[Index(key)].atomName;
        ATOM atom = GlobalFindAtomW(name);
        atoms_[Index(key)] = atom ? atom : GlobalAddAtomW(name);
    }
    UINT modifiers = withCtrl ? MOD_CONTROL : 0;
    for (const HotkeyDef& def : kKeys) RegisterHotKey(owner, atoms_[Index(def.key)], modifiers, def.virtualKey);
}

void Hotkeys::Unregister() {
    if (!owner_) return;
    for (Hotkey key : kAtomOrder) UnregisterHotKey(owner_, atoms_[Index(key)]);
    for (Hotkey key : kAtomOrder) GlobalDeleteAtom(atoms_[Index(key)]);
    owner_ = nullptr;
}

std::optional<PowerAction> Hotkeys::Identify(WPARAM id) const {
    for (const HotkeyDef& def : kKeys) {
        if (atoms_[Index(def.key)] != 0 && id == atoms_[Index(def.key)]) return def.action;
    }
    return std::nullopt;
}
