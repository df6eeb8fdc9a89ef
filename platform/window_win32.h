// The small base every window of the program stands on: the static window
// procedure keeps `this` from WM_NCCREATE on and forwards to HandleMessage.
// No exception leaves a window procedure: it is shown as the program shows
// errors and the message gets its default handling.
#pragma once

#include <windows.h>

#include <string>

// Shows an error that ended a command, the way the program shows such errors,
// under the title the program sets once at start.
void SetErrorBoxTitle(const std::string& title);
void ShowErrorBox(HWND owner, const std::string& text);

class Window {
public:
    virtual ~Window() = default;
    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class on first use and creates the window with this object.
    bool CreateWindowFor(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                         int clientWidth, int clientHeight, HWND owner, HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, msg, wParam, lParam); }
    // Called after WM_NCDESTROY; the object may delete itself here.
    virtual void OnFinalMessage() {}

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Adds a child control at a client position and gives it the window's font.
HWND AddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                int width, int height, int id, HFONT font);

// A font of the given face and pixel height, made on the first call and kept
// for the life of the process.
HFONT SharedFont(const wchar_t* face, int pixelHeight);
