#include "windows/about_box_win32.h"

#include "platform/text_win32.h"
#include "platform/window_win32.h"

namespace {

constexpr wchar_t kClassName[] = L"TempiroAbout";
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr int kLabelFont = 15;

constexpr ControlSpec kLayout[] = {
    {L"STATIC", "名称:    Tempiro", kLabel, {82, 64, 200, 16}, -1, kLabelFont},
    {L"STATIC", "版本:    2020", kLabel, {82, 96, 200, 16}, -1, kLabelFont},
    {L"STATIC", "时间:    2020年8月15日", kLabel, {81, 126, 200, 16}, -1, kLabelFont},
    {L"STATIC", "制作:    Tempiro 团队", kLabel, {82, 154, 200, 16}, -1, kLabelFont},
    {L"STATIC", "", kLabel, {82, 183, 200, 16}, -1, kLabelFont},
    {L"BUTTON", "确定(&O)", BS_DEFPUSHBUTTON | WS_TABSTOP, {112, 216, 75, 25}, IDOK},
};

class AboutBox : public Window {
public:
    bool Create() {
        if (!CreateWindowFor(kClassName, Wide("关于..."), WS_CAPTION | WS_SYSMENU, 0, 311, 253, nullptr)) return false;
        AddControls(hwnd_, kLayout);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        return true;
    }

protected:
    void OnCommand(int id, int /*code*/) override {
        if (id == IDOK || id == IDCANCEL) DestroyWindow(hwnd_);  // Button1Click
    }

    void OnFinalMessage() override { delete this; }
};

}  // namespace

void ShowAboutBox() {
    auto* box = new AboutBox;
    if (!box->Create()) delete box;
}
