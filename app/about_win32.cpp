#include "app/about_win32.h"

#include "platform/text_win32.h"
#include "platform/window_win32.h"

namespace {

constexpr wchar_t kClassName[] = L"TempiroAbout";
constexpr wchar_t kFontFace[] = L"宋体";

class AboutBox : public Window {
public:
    bool Create() {
        if (!CreateWindowFor(kClassName, Wide("关于..."), WS_CAPTION | WS_SYSMENU, 0, 311, 253, nullptr,
                             LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")))
            return false;
        HFONT font = SharedFont(kFontFace, 13, Dpi()), labels = SharedFont(kFontFace, 15, Dpi());
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        AddControl(hwnd_, L"STATIC", Wide("名称:    Tempiro"), SS_LEFT | SS_NOPREFIX, 82, 64, 200, 16, -1, labels);
        AddControl(hwnd_, L"STATIC", Wide("版本:    2020"), SS_LEFT | SS_NOPREFIX, 82, 96, 200, 16, -1, labels);
        AddControl(hwnd_, L"STATIC", Wide("时间:    2020年8月15日"), SS_LEFT | SS_NOPREFIX, 81, 126, 200, 16, -1,
                   labels);
        AddControl(hwnd_, L"STATIC", Wide("制作:    Tempiro 团队"), SS_LEFT | SS_NOPREFIX, 82, 154, 200, 16, -1,
                   labels);
        AddControl(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 82, 183, 200, 16, -1, labels);
        AddControl(hwnd_, L"BUTTON", Wide("确定(&O)"), BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 216, 75, 25, IDOK, font);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_);  // Button1Click
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    void OnFinalMessage() override { delete this; }
};

}  // namespace

void ShowAboutBox() {
    auto* box = new AboutBox;
    if (!box->Create()) delete box;
}
