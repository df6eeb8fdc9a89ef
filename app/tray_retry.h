// The tray icon's add, tried again while the shell is not ready. A program
// started early at logon can find the add failing or timing out while
// Explorer starts, and then gets no "TaskbarCreated" either.
#pragma once

// The two calls of the notification area the retry needs.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual bool Add() = 0;
    virtual bool Modify() = 0;
};

inline constexpr unsigned kTrayRetryMs = 2000;
inline constexpr int kTrayRetryAttempts = 150;  // five minutes of them

class TrayAdder {
public:
    explicit TrayAdder(TrayShell& shell) : shell_(shell) {}
    // One attempt; answers whether another should follow in kTrayRetryMs.
    bool Attempt();
    // The shell started again ("TaskbarCreated"): the icon is gone, and the
    // attempts count anew.
    bool Restart();
    bool Shown() const { return shown_; }

private:
    TrayShell& shell_;
    int attempts_ = 0;
    bool shown_ = false;
};
