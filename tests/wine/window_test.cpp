// The window base, linked into this test and driven in-process: what leaves a
// handler as an exception is shown in the error box, and the window goes on.
#include "platform/text_win32.h"
#include "platform/window_win32.h"
#include "tests/wine/driver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

using namespace driver;

constexpr char kTitle[] = "Tempiro2020";
enum Command : int { kThrowInt = 1, kThrowStd, kCount };

class Thrower : public Window {
public:
    bool Create() { return CreateWindowFor(L"TempiroThrower", L"", WS_OVERLAPPEDWINDOW, 0, 200, 100, nullptr); }
    int counted = 0;

protected:
    void OnCommand(int id, int /*code*/) override {
        if (id == kThrowInt) throw 42;
        if (id == kThrowStd) throw std::runtime_error("Failed to set data for 'tishi'");
        if (id == kCount) ++counted;
    }
};

// Sends `id` and returns the text of the error box it brings up (closed by
// another thread while the box holds this one), or nothing.
std::wstring ErrorBoxOf(HWND window, int id) {
    std::wstring text;
    std::thread closer([&text] {
        HWND box = nullptr;
        for (int i = 0; i < 100 && !box; ++i, Sleep(50)) box = FindWindowW(L"#32770", Wide(kTitle).c_str());
        if (!box) return;
        wchar_t shown[256] = {};
        GetDlgItemTextW(box, 0xFFFF, shown, 256);  // a message box's text
        text = shown;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    closer.join();
    return text;
}

TEST(Window, AnyExceptionOfAHandlerIsShownInTheErrorBoxAndTheWindowGoesOn) {
    SetErrorBoxTitle(kTitle);
    Thrower window;
    ASSERT_TRUE(window.Create());
    const HWND hwnd = window.hwnd();
    EXPECT_EQ(ErrorBoxOf(hwnd, kThrowStd), L"Failed to set data for 'tishi'");
    EXPECT_EQ(ErrorBoxOf(hwnd, kThrowInt), L"Unknown error") << "an exception of no std type";
    ASSERT_TRUE(IsWindow(hwnd));
    SendMessageW(hwnd, WM_COMMAND, kCount, 0);
    EXPECT_EQ(window.counted, 1) << "the window answers after both";
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << "a close destroys the window unless it says otherwise";
}

}  // namespace
