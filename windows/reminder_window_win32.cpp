#include "windows/reminder_window_win32.h"

#include "platform/clock_win32.h"
#include "platform/text_win32.h"
#include "platform/window_win32.h"

#include <memory>

namespace {

enum ControlId : int {
    kLabelMessage = 101,  // Label1
    kLabelTime,           // Label2
    kLabelNote,           // Label3, never shown
    kButtonOk,            // Button1
};

constexpr wchar_t kClassName[] = L"TempiroReminder";

// One reminder. It lives until the user closes it; then the window is
// destroyed and the object deletes itself, so reminders shown for weeks on
// end do not pile up hidden windows.
class ReminderWindow : public Window {
public:
    bool Create(const std::string& message, const std::string& note, const std::string& timeLine) {
        if (!CreateWindowFor(kClassName, Wide(kReminderCaption), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             WS_EX_TOPMOST, 411, 167, nullptr))
            return false;
        const std::string shown = ReminderShownText(message);
        const ControlSpec layout[] = {
            // Drawn with word wrapping on every repaint: only what the box can show.
            {L"STATIC", shown.c_str(), SS_OWNERDRAW, {24, 16, 369, 105}, kLabelMessage, 16},
            {L"STATIC", timeLine.c_str(), SS_LEFT | SS_NOPREFIX, {24, 135, 130, 13}, kLabelTime},
            {L"STATIC", note.c_str(), SS_LEFT | SS_NOPREFIX, {263, 132, 100, 13}, kLabelNote},
            // A plain push button with an id of its own: Esc arrives as
            // IDCANCEL and Enter as IDOK, and neither dismisses an unread
            // message unless the user has put the focus on the button.
            {L"BUTTON", kReminderOk, WS_TABSTOP | BS_PUSHBUTTON, {160, 128, 75, 25}, kButtonOk},
        };
        AddControls(hwnd_, layout);
        ShowWindow(Item(kLabelNote), SW_HIDE);
        EnableWindow(Item(kLabelNote), FALSE);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ownedByWindow_ = true;
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != WM_DRAWITEM) return Window::HandleMessage(msg, wParam, lParam);
        if (wParam == kLabelMessage) DrawMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }

    void OnCommand(int id, int code) override {
        if (id == kButtonOk && code == BN_CLICKED) Button1Click();
        // Enter arrives as IDOK; it presses the button only while the button has the focus.
        if (id == IDOK && GetFocus() == Item(kButtonOk)) Button1Click();
    }

    // Once shown, the window owns this object.
    void OnFinalMessage() override {
        if (ownedByWindow_) delete this;
    }

private:
    bool ownedByWindow_ = false;

    void Button1Click() { DestroyWindow(hwnd_); }

    // The message wraps at word boundaries and stands centred vertically.
    static void DrawMessage(const DRAWITEMSTRUCT& item) {
        int length = GetWindowTextLengthW(item.hwndItem);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(item.hwndItem, text.data(), length + 1);
        text.resize(static_cast<size_t>(length));

        RECT bounds = item.rcItem;
        FillRect(item.hDC, &bounds, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, RGB(0, 0, 0));
        RECT measure = bounds;
        const UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
        DrawTextW(item.hDC, text.c_str(), length, &measure, format | DT_CALCRECT);
        int textHeight = measure.bottom - measure.top;
        RECT target = bounds;
        if (textHeight < bounds.bottom - bounds.top) target.top += (bounds.bottom - bounds.top - textHeight) / 2;
        DrawTextW(item.hDC, text.c_str(), length, &target, format);
    }
};

}  // namespace

void ShowReminder(const std::string& message, const std::string& note) {
    auto window = std::make_unique<ReminderWindow>();
    if (window->Create(message, note, ReminderTimeLine(Win32Clock().Now()))) window.release();
}
