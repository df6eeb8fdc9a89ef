// The reminder window module, linked into this test and driven in-process.
#include "windows/reminder_window_win32.h"
#include "platform/clock_win32.h"
#include "platform/text_win32.h"
#include "tests/wine/driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace driver;

constexpr wchar_t kReminderClass[] = L"TempiroReminder";

std::wstring TimeLineNow() { return Wide(ReminderTimeLine(Win32Clock().Now())); }

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(Reminder, TwoCallsOpenTwoTopmostWindowsAndOkReleasesOne) {
    std::wstring before = TimeLineNow();
    ShowReminder("该开会了：三楼会议室", "每天9时0分");
    ShowReminder("第二条提醒", "");
    std::wstring after = TimeLineNow();
    PumpMessages(200);

    std::vector<HWND> windows = TopWindows(kReminderClass, Wide(kReminderCaption), GetCurrentProcessId());
    ASSERT_EQ(windows.size(), 2u);
    HWND later = windows[0];  // z-order: the later one lies on top
    HWND earlier = windows[1];
    for (HWND w : windows) {
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    std::vector<std::wstring> texts = ChildTexts(earlier);
    EXPECT_TRUE(Contains(texts, Wide("该开会了：三楼会议室")));
    EXPECT_TRUE(Contains(texts, Wide("确定")));
    EXPECT_TRUE(Contains(texts, before) || Contains(texts, after));
    EXPECT_TRUE(Contains(ChildTexts(later), Wide("第二条提醒")));

    HWND note = ChildWithText(earlier, Wide("每天9时0分"));
    ASSERT_NE(note, nullptr) << "the note rides along";
    EXPECT_FALSE(IsWindowVisible(note));

    Click(ChildWithText(earlier, Wide("确定")));
    PumpMessages(100);
    EXPECT_FALSE(IsWindow(earlier)) << "a closed reminder is released, not hidden";
    EXPECT_TRUE(IsWindow(later));

    SendMessageW(later, WM_CLOSE, 0, 0);
    PumpMessages(100);
    EXPECT_FALSE(IsWindow(later));
}

// The keys as the program's message loop hands them over: through IsDialogMessage.
void PressKey(HWND window, WPARAM key) {
    MSG msg{GetFocus(), WM_KEYDOWN, key, 0, GetTickCount(), {}};
    IsDialogMessageW(window, &msg);
    PumpMessages(50);
}

TEST(Reminder, EscAndEnterLeaveItOpenUnlessTheButtonHasTheFocus) {
    ShowReminder("未读的提醒", "");
    HWND window = WaitForWindow(kReminderClass, L"", 2000, GetCurrentProcessId());
    ASSERT_NE(window, nullptr);
    SetFocus(window);
    PressKey(window, VK_ESCAPE);
    PressKey(window, VK_RETURN);
    EXPECT_TRUE(IsWindow(window)) << "a stray key dismissed an unread reminder";
    SetFocus(ChildWithText(window, Wide("确定")));
    PressKey(window, VK_ESCAPE);
    ASSERT_TRUE(IsWindow(window));
    PressKey(window, VK_RETURN);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Reminder, AnEmptyMessageStillOpensAWindowWithItsTimeLine) {
    std::wstring before = TimeLineNow();
    ShowReminder("", "");
    std::wstring after = TimeLineNow();
    HWND window = WaitForWindow(kReminderClass, L"", 2000, GetCurrentProcessId());
    ASSERT_NE(window, nullptr);
    std::vector<std::wstring> texts = ChildTexts(window);
    EXPECT_TRUE(Contains(texts, before) || Contains(texts, after));
    DestroyWindow(window);
}

TEST(Reminder, ClosedRemindersLeaveNoWindowsBehind) {
    for (int i = 0; i < 40; ++i) {
        ShowReminder("提醒", "");
        std::vector<HWND> open = TopWindows(kReminderClass, L"", GetCurrentProcessId());
        ASSERT_EQ(open.size(), 1u);
        Click(ChildWithText(open[0], Wide("确定")));
    }
    PumpMessages(100);
    EXPECT_TRUE(TopWindows(kReminderClass, L"", GetCurrentProcessId()).empty());
}

TEST(Reminder, AMillionCharacterMessageOpensAndRepaintsAtOnceShowingItsBeginning) {
    std::string message;
    for (int i = 0; i < 1000000; ++i) message += i % 50 == 49 ? ' ' : static_cast<char>('a' + i % 26);
    const DWORD start = GetTickCount();
    ShowReminder(message, "");
    HWND window = WaitForWindow(kReminderClass, L"", 5000, GetCurrentProcessId());
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    const DWORD opened = GetTickCount() - start;
    EXPECT_LT(opened, 2000u) << "opening took " << opened << " ms";

    // What the owner-drawn label holds, and so draws: the beginning, cut with "…".
    std::wstring shown;
    for (HWND child : Children(window)) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
        if (text.size() > shown.size()) shown = text;
    }
    ASSERT_EQ(shown.size(), kReminderShownCharacters + 1) << "the label does not hold the cut message";
    EXPECT_TRUE(shown == Wide(ReminderShownText(message)));
    EXPECT_EQ(shown.back(), L'\u2026');

    // Ten full repaints, each drawing the message wrapped.
    const DWORD repaintStart = GetTickCount();
    for (int i = 0; i < 10; ++i) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    const DWORD repainted = GetTickCount() - repaintStart;
    EXPECT_LT(repainted, 2000u) << "ten repaints took " << repainted << " ms";
    DestroyWindow(window);
}

TEST(Text, GbkConversionHoldsWhateverTheAnsiCodePage) {
    ::testing::Test::RecordProperty("ansi_code_page", static_cast<int>(GetACP()));
    EXPECT_EQ(Wide("启用"), L"\u542F\u7528");
    EXPECT_EQ(Narrow(L"\u542F\u7528"), "启用");
    EXPECT_EQ(Narrow(Wide("C:\\数据\\表格.xls*E:\\备份*1")), "C:\\数据\\表格.xls*E:\\备份*1");
    EXPECT_EQ(Wide(""), L"");
}

}  // namespace
