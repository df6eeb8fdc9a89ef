#include "windows/countdown_face_win32.h"

#include "platform/text_win32.h"

#include <commctrl.h>

namespace {

// The cancel button comes first in the tab order and is the default button,
// so Enter and Esc both cancel.
constexpr ControlSpec kLayout[] = {
    {L"STATIC", "要想取消关机,请按下<取消关机>按钮,剩余 :", SS_LEFT | SS_NOPREFIX, {16, 16, 318, 13}, kLabel1},
    {L"STATIC", "", SS_LEFT | SS_NOPREFIX, {336, 16, 57, 13}, kLabel2},
    {PROGRESS_CLASSW, "", 0, {8, 56, 385, 17}, kPgBar1},
    {L"BUTTON", "取消关机", WS_TABSTOP | BS_DEFPUSHBUTTON, {232, 94, 105, 25}, kBitBtn2},
    {L"BUTTON", "立即关机", WS_TABSTOP | BS_PUSHBUTTON, {64, 94, 105, 25}, kBitBtn1},
};

HICON Glyph(const wchar_t* name, int dpi) { return SharedIcon(name, SmallIconSizeFor(dpi)); }

}  // namespace

void CountdownWindowFace::Create(int length) {
    AddControls(host_.hwnd(), kLayout);
    OnDpiChanged(host_.Dpi());
    SendDlgItemMessageW(host_.hwnd(), kPgBar1, PBM_SETRANGE32, 0, length);
}

void CountdownWindowFace::OnDpiChanged(int dpi) {
    SendDlgItemMessageW(host_.hwnd(), kBitBtn1, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(Glyph(L"ACTNOW", dpi)));
    SendDlgItemMessageW(host_.hwnd(), kBitBtn2, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(Glyph(L"CANCELACT", dpi)));
}

int CountdownWindowFace::EnterButton() const {
    return GetFocus() == GetDlgItem(host_.hwnd(), kBitBtn1) ? kBitBtn1 : kBitBtn2;
}

void CountdownWindowFace::MyChangeCaption(const CountdownTexts& texts) {
    HWND hwnd = host_.hwnd();
    SetDlgItemTextW(hwnd, kBitBtn1, Wide(texts.actNow).c_str());
    SetDlgItemTextW(hwnd, kBitBtn2, Wide(texts.cancel).c_str());
    SetDlgItemTextW(hwnd, kLabel1, Wide(texts.label1).c_str());
    SetWindowTextW(hwnd, Wide(texts.caption).c_str());
}

void CountdownWindowFace::ShowProgress(int position, int maximum) {
    SendDlgItemMessageW(host_.hwnd(), kPgBar1, PBM_SETRANGE32, 0, maximum);
    SendDlgItemMessageW(host_.hwnd(), kPgBar1, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CountdownWindowFace::ShowRemaining(const std::string& text) {
    SetDlgItemTextW(host_.hwnd(), kLabel2, Wide(text).c_str());
}

void CountdownWindowFace::Show() {
    if (shown_) shown_(true);
    ShowWindow(host_.hwnd(), SW_SHOWNORMAL);
    SetWindowPos(host_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(GetDlgItem(host_.hwnd(), kBitBtn2));
}

void CountdownWindowFace::Hide() {
    ShowWindow(host_.hwnd(), SW_HIDE);
    if (shown_) shown_(false);
}
