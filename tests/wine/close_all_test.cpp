// The close-all sweep, linked into this test, against real windows: one of
// this process and one of each kind from tempiro_window_helper.exe.
#include "platform/system_calls_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

int g_ownCloses = 0;

LRESULT CALLBACK CountCloses(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ++g_ownCloses;
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

std::wstring HelperPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"tempiro_window_helper.exe";
}

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CloseAllPrograms, OnlyShownOrMinimisedTitledUnownedWindowsOfOtherProcessesAreAsked) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountCloses;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TempiroTestOwn";
    RegisterClassW(&windowClass);
    HWND own = CreateWindowExW(0, windowClass.lpszClassName, L"Own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 40, 240,
                               120, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(own, nullptr);

    Process helper(HelperPath());
    ASSERT_TRUE(helper.started());
    ASSERT_TRUE(WaitUntil([] { return Holds(TempFileLines(L"tempiro-helper.txt"), "ready"); }, 10000));
    HWND minimised = WaitForWindow(L"", L"Minimised", 0, helper.id());
    ASSERT_NE(minimised, nullptr);
    ASSERT_TRUE(IsIconic(minimised) && !IsWindowVisible(minimised)) << "the helper's minimised windows are hidden";

    CloseAllProgramWindows();
    PostMessageW(minimised, WM_APP, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Holds(TempFileLines(L"tempiro-helper.txt"), "done"); }, 5000));
    std::vector<std::string> closed = TempFileLines(L"tempiro-helper.txt");
    closed.erase(std::remove(closed.begin(), closed.end(), "ready"), closed.end());
    closed.erase(std::remove(closed.begin(), closed.end(), "done"), closed.end());
    std::sort(closed.begin(), closed.end());
    EXPECT_EQ(closed, (std::vector<std::string>{"minimised", "visible"}));
    PumpMessages(100);
    EXPECT_EQ(g_ownCloses, 0) << "the sweep asked a window of its own process";
    DestroyWindow(own);
}

}  // namespace
