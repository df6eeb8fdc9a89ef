#include "app/tray_retry.h"

bool TrayAdder::Attempt() {
    if (shown_) return false;
    ++attempts_;
    // An add that timed out may have placed the icon after all: then the
    // add fails as a duplicate, and a modify finds it.
    shown_ = shell_.Add() || shell_.Modify();
    return !shown_ && attempts_ < kTrayRetryAttempts;
}

bool TrayAdder::Restart() {
    shown_ = false;
    attempts_ = 0;
    return Attempt();
}
