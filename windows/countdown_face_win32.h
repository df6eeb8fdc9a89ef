// The countdown's face: two labels, a bar and two buttons on the hidden main
// window, which is shown as a small topmost dialog while a countdown runs.
#pragma once

#include "platform/window_win32.h"
#include "scheduler/countdown.h"

#include <functional>

enum CountdownControl : int {
    kLabel1 = 201,
    kLabel2,
    kPgBar1,
    kBitBtn1,             // act now
    kBitBtn2 = IDCANCEL,  // cancel: Esc presses it
};

class CountdownWindowFace : public CountdownFace {
public:
    // `shown` hears when the face comes on screen and when it leaves it.
    CountdownWindowFace(Window& host, std::function<void(bool)> shown) : host_(host), shown_(std::move(shown)) {}

    // The controls with the texts the window is designed with, the bar for
    // a countdown of `length` seconds.
    void Create(int length);
    // The buttons' glyphs, drawn for the new scale.
    void OnDpiChanged(int dpi);
    // The button Enter presses while a button without the default frame has
    // the focus: that one.
    int EnterButton() const;

    void MyChangeCaption(const CountdownTexts& texts) override;
    void ShowProgress(int position, int maximum) override;
    void ShowRemaining(const std::string& text) override;
    void Show() override;
    void Hide() override;

private:
    Window& host_;
    std::function<void(bool)> shown_;
};
