#include "platform/controls_win32.h"

#include "platform/text_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <map>
#include <memory>

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Narrow(text);
}

void SetControlText(HWND control, const std::string& text) { SetWindowTextW(control, Wide(text).c_str()); }

void SetComboItems(HWND combo, const std::vector<std::string>& items) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
}

SYSTEMTIME PickerTime(HWND picker) {
    SYSTEMTIME time{};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

void SetPickerTime(HWND picker, int hour, int minute) {
    SYSTEMTIME time = PickerTime(picker);
    if (time.wYear == 0) GetLocalTime(&time);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = time.wMilliseconds = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void SetPickerDate(HWND picker, int year, int month, int day) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void Hints::Attach(HWND owner) {
    owner_ = owner;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
}

void Hints::Set(HWND control, const std::string& text) {
    if (!tooltip_) return;
    std::wstring wide = Wide(text);
    // A combo box shows its text in a child edit box, which gets the hint too.
    std::vector<HWND> windows{control};
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    if (GetComboBoxInfo(control, &combo) && combo.hwndItem && combo.hwndItem != control)
        windows.push_back(combo.hwndItem);
    for (HWND window : windows) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = owner_;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        if (wide.empty()) continue;
        tool.lpszText = wide.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

namespace {

LRESULT CALLBACK TypingFilterProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* allowed = reinterpret_cast<std::function<bool(unsigned)>*>(data);
    if (msg == WM_CHAR) {
        const bool ctrlEditingKey = wParam == 1 || wParam == 3 || wParam == 0x16 || wParam == 0x18 || wParam == 0x1A;
        if (!ctrlEditingKey && !(*allowed)(static_cast<unsigned>(wParam))) return 0;
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(window, TypingFilterProc, id);
        delete allowed;
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

}  // namespace

void FilterTyping(HWND edit, std::function<bool(unsigned)> allowed) {
    SetWindowSubclass(edit, TypingFilterProc, 1,
                      reinterpret_cast<DWORD_PTR>(new std::function<bool(unsigned)>(std::move(allowed))));
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string BrowseForFolder(HWND owner, const std::string& title) {
    std::wstring wideTitle = Wide(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_STATUSTEXT;  // 0x54
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return {};
    wchar_t path[MAX_PATH + 1] = {};
    const bool ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return ok ? Narrow(path) : std::string();
}

namespace {

// "a|b|c|d" as the dialogs want it: pairs separated by zeros, two at the end.
std::wstring DialogFilter(const std::string& filter) {
    std::wstring wide = Wide(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') c = L'\0';
    }
    wide.append(2, L'\0');
    return wide;
}

}  // namespace

std::optional<std::string> SaveFileDialog(HWND owner, const std::string& title, const std::string& filter) {
    std::wstring wideFilter = DialogFilter(filter), wideTitle = Wide(title);
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = wideFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn) || !path[0]) return std::nullopt;
    return Narrow(path.data());
}

std::string OpenFileDialog(HWND owner, const std::string& title, const std::string& initialFolder,
                           const std::string& filter, DWORD* filterIndex) {
    std::wstring wideFilter = DialogFilter(filter);
    std::wstring wideTitle = Wide(title), folder = Wide(initialFolder);
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : wideFilter.c_str();
    ofn.nFilterIndex = filterIndex ? *filterIndex : 0;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = title.empty() ? nullptr : wideTitle.c_str();
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return {};
    if (filterIndex) *filterIndex = ofn.nFilterIndex;
    return Narrow(path.data());
}
