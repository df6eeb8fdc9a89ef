// Keeps the PC from sleeping for idleness while the program works for the
// user: while a backup copies and while a countdown is on screen (a sleep
// would cut the one and leave the other to act on waking). It lets go when
// neither is the case.
#pragma once

#include <functional>
#include <utility>

class KeepAwake {
public:
    // `set` hears each change: true to ask for the PC to stay awake, false to let go.
    explicit KeepAwake(std::function<void(bool)> set) : set_(std::move(set)) {}
    void CountdownShown(bool shown) {
        countdown_ = shown;
        Update();
    }
    void BackupsRunning(bool running) {
        backups_ = running;
        Update();
    }

private:
    void Update() {
        const bool needed = countdown_ || backups_;
        if (needed == on_) return;
        on_ = needed;
        if (set_) set_(needed);
    }

    std::function<void(bool)> set_;
    bool countdown_ = false, backups_ = false, on_ = false;
};
