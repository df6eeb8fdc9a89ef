// The small base every window of the program stands on: the static window
// procedure keeps `this` from WM_NCCREATE on and forwards to HandleMessage,
// which cracks WM_COMMAND, WM_NOTIFY and WM_CLOSE into OnCommand, OnNotify
// and OnClose. No exception leaves a window procedure: it is shown as the
// program shows errors and the message gets its default handling.
//
// Layouts are written in pixels at 96 DPI. The base takes them to the DPI of
// the window's monitor: the client size when the window is made, each
// control's place in AddControl, and all of them again (with the controls'
// fonts and list columns) when WM_DPICHANGED says the window has moved to a
// monitor of another scale.
#pragma once

#include "platform/dpi.h"

#include <windows.h>

#include <map>
#include <span>
#include <string>

// Shows an error that ended a command, the way the program shows such errors,
// under the title the program sets once at start.
void SetErrorBoxTitle(const std::string& title);
void ShowErrorBox(HWND owner, const std::string& text);

// The height of the program's font on most controls, at 96 DPI.
inline constexpr int kProgramFontHeight = 13;

// One control of a window's layout: its class, its text (GBK), its style, its
// place at 96 DPI, its id and the height of its font at 96 DPI.
struct ControlSpec {
    const wchar_t* className;
    const char* text;
    DWORD style;
    dpi::Rect place;
    int id;
    int fontHeight = kProgramFontHeight;
};

class Window {
public:
    virtual ~Window() = default;
    HWND hwnd() const { return hwnd_; }
    // The DPI the window is laid out for now.
    int Dpi() const { return dpi_; }
    // A length given at 96 DPI, at the window's DPI.
    int Scale(int value96) const { return dpi::Scale(value96, dpi_); }

    // The object behind a window made by CreateWindowFor, or nullptr.
    static Window* FromHandle(HWND hwnd);

protected:
    // Registers the class on first use (with `icon`, or the program's) and
    // creates the window with this object, centred on the screen, with a
    // client area of the given size at 96 DPI taken to the window's DPI.
    bool CreateWindowFor(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                         int clientWidth, int clientHeight, HWND owner, HICON icon = nullptr);
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // A window handles here the messages it needs beyond the cracked ones and
    // hands the others back to the base.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
    virtual void OnClose() { DestroyWindow(hwnd_); }
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, msg, wParam, lParam); }
    // Called after WM_NCDESTROY; the object may delete itself here.
    virtual void OnFinalMessage() {}
    // Called once the window, its controls and their fonts are at a new DPI,
    // for what only the window itself knows (icons, say).
    virtual void OnDpiChanged(int /*dpi*/) {}

    HWND hwnd_ = nullptr;

private:
    friend HWND AddControl(HWND, const wchar_t*, const std::wstring&, DWORD, int, int, int, int, int, HFONT);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Takes the window to `newDpi`: to the rectangle the system suggests, and
    // every control with it.
    void ApplyDpi(int newDpi, const RECT* suggested);
    void RescaleControl(HWND control, int oldDpi, int newDpi);

    int dpi_ = dpi::kDesignDpi;
    std::map<HWND, dpi::Rect> designs_;  // the controls AddControl made, at 96 DPI
};

// Adds a child control at a client position given at 96 DPI, placed at the
// DPI of the window it belongs to, and gives it the font.
HWND AddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                int width, int height, int id, HFONT font);

// The controls of a layout, in its order (which is the tab order), placed and
// given their fonts as AddControl does.
void AddControls(HWND parent, std::span<const ControlSpec> layout);

// A font of the given face, designed `pixelHeight96` pixels high at 96 DPI,
// for `dpi`; made on the first call and kept for the life of the process.
HFONT SharedFont(const wchar_t* face, int pixelHeight96, int dpi);

// The program's font "宋体", `pixelHeight96` high at 96 DPI, for `dpi`.
HFONT ProgramFont(int pixelHeight96, int dpi);
// The program's icon, which every window shows.
HICON ProgramIcon();

// An icon resource of this program at `side` pixels square; loaded on the
// first call and kept for the life of the process.
HICON SharedIcon(const wchar_t* name, int side);

// The system's DPI, and a window's (its monitor's). On systems older than
// Windows 10 they come from the screen's logical pixels per inch.
int SystemDpi();
int WindowDpi(HWND hwnd);
// The side of a small icon (tray, caption, button glyph) at `dpi`.
int SmallIconSizeFor(int dpi);
