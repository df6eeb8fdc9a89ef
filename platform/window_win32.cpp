#include "platform/window_win32.h"
#include "platform/system_win32.h"

#include "platform/text_win32.h"

#include <commctrl.h>

#include <exception>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::wstring g_errorTitle;
// What the error box says of an exception that carries no text.
constexpr char kUnknownError[] = "Unknown error";

// The DPI functions of Windows 10 and 8.1, looked up at run time so that the
// program still starts on older systems.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename F>
F User32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

struct DpiFunctions {
    GetDpiForWindowFn forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    GetDpiForSystemFn forSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    GetSystemMetricsForDpiFn metrics = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    AdjustWindowRectExForDpiFn adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    GetDpiForMonitorFn forMonitor = nullptr;  // Windows 8.1, in shcore.dll

    DpiFunctions() {
        if (forWindow) return;
        forMonitor = SystemFunctionAs<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    }
};

const DpiFunctions& Dpis() {
    static const DpiFunctions functions;
    return functions;
}

int ScreenLogPixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi::Usable(dpi);
}

// Window size for a client area at `dpi`.
SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    RECT rect{0, 0, clientWidth, clientHeight};
    if (Dpis().adjust)
        Dpis().adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

bool HasClass(HWND control, const wchar_t* className) {
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    return lstrcmpiW(name, className) == 0;
}

bool DropsDown(HWND control) {
    return HasClass(control, WC_COMBOBOXW) && (GetWindowLongPtrW(control, GWL_STYLE) & 3) != CBS_SIMPLE;
}

// A control's place in its parent's client area.
dpi::Rect PlaceInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The fonts SharedFont made, and what each was made from.
struct FontDesign {
    std::wstring face;
    int pixelHeight96;
};
std::map<std::tuple<std::wstring, int, int>, HFONT>& FontsByDesign() {
    static std::map<std::tuple<std::wstring, int, int>, HFONT> fonts;
    return fonts;
}
std::map<HFONT, FontDesign>& DesignsByFont() {
    static std::map<HFONT, FontDesign> designs;
    return designs;
}

}  // namespace

void SetErrorBoxTitle(const std::string& title) { g_errorTitle = Wide(title); }

void ShowErrorBox(HWND owner, const std::string& text) {
    MessageBoxW(owner, Wide(text).c_str(), g_errorTitle.c_str(), MB_OK | MB_ICONERROR);
}

int SystemDpi() {
    if (Dpis().forSystem) return dpi::Usable(static_cast<int>(Dpis().forSystem()));
    return ScreenLogPixels();
}

int WindowDpi(HWND hwnd) {
    if (Dpis().forWindow) return dpi::Usable(static_cast<int>(Dpis().forWindow(hwnd)));
    if (Dpis().forMonitor) {
        UINT x = 0, y = 0;
        constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
        if (SUCCEEDED(Dpis().forMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)))
            return dpi::Usable(static_cast<int>(y));
    }
    return ScreenLogPixels();
}

int SmallIconSizeFor(int dpi) {
    if (Dpis().metrics) return Dpis().metrics(SM_CXSMICON, static_cast<UINT>(dpi));
    if (dpi == SystemDpi()) return GetSystemMetrics(SM_CXSMICON);
    return dpi::SmallIconSize(dpi);
}

Window* Window::FromHandle(HWND hwnd) {
    if (!hwnd || GetClassLongPtrW(hwnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&Window::Procedure))
        return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Window::CreateWindowFor(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                             int clientWidth, int clientHeight, HWND owner, HICON icon) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = wc.hIconSm = icon ? icon : ProgramIcon();
        RegisterClassExW(&wc);
    }
    // A new window opens on the primary monitor, whose DPI is the system's;
    // should the system place it elsewhere, it is sized again below.
    dpi_ = SystemDpi();
    SIZE size = WindowSizeFor(Scale(clientWidth), Scale(clientHeight), style, exStyle, dpi_);
    int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    if (!CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, size.cx, size.cy, owner, nullptr, instance,
                         this))
        return false;
    const int actual = WindowDpi(hwnd_);
    if (actual != dpi_) {
        dpi_ = actual;
        size = WindowSizeFor(Scale(clientWidth), Scale(clientHeight), style, exStyle, dpi_);
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    std::optional<std::string> error;
    try {
        if (msg == WM_DPICHANGED)
            self->ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        else
            result = self->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = kUnknownError;
    }
    if (error) {
        ShowErrorBox(hwnd, *error);
        result = DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->designs_.clear();
        self->OnFinalMessage();
    }
    return result;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
        OnClose();
        return 0;
    }
    return Default(msg, wParam, lParam);
}

void Window::ApplyDpi(int newDpi, const RECT* suggested) {
    newDpi = dpi::Usable(newDpi);
    const int oldDpi = dpi_;
    dpi_ = newDpi;
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (oldDpi != newDpi) {
        std::vector<HWND> descendants;
        EnumChildWindows(hwnd_, CollectDescendant, reinterpret_cast<LPARAM>(&descendants));
        for (HWND control : descendants) {
            // The window's own controls, and those AddControl put inside
            // them; not the parts a control makes of itself (a list's header).
            if (GetParent(control) == hwnd_ || designs_.count(control)) RescaleControl(control, oldDpi, newDpi);
        }
    }
    OnDpiChanged(newDpi);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Window::RescaleControl(HWND control, int oldDpi, int newDpi) {
    const dpi::Rect current = PlaceInParent(control);
    const auto design = designs_.find(control);
    const std::optional<dpi::Rect> designed =
        design == designs_.end() ? std::nullopt : std::optional<dpi::Rect>(design->second);
    const dpi::Rect placed = DropsDown(control) ? dpi::PlacedComboBox(designed, current, oldDpi, newDpi)
                                                : dpi::PlacedChild(designed, current, oldDpi, newDpi);
    // The font first: a combo box sizes its field by it.
    const auto font = DesignsByFont().find(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    if (font != DesignsByFont().end()) {
        HFONT scaled = SharedFont(font->second.face.c_str(), font->second.pixelHeight96, newDpi);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), FALSE);
    }
    SetWindowPos(control, nullptr, placed.x, placed.y, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (HasClass(control, WC_LISTVIEWW)) {
        const int columns = Header_GetItemCount(ListView_GetHeader(control));
        for (int i = 0; i < columns; ++i)
            ListView_SetColumnWidth(control, i, dpi::Rescale(ListView_GetColumnWidth(control, i), oldDpi, newDpi));
    }
}

HWND AddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                int width, int height, int id, HFONT font) {
    Window* window = Window::FromHandle(GetAncestor(parent, GA_ROOT));
    const int dpi = window ? window->Dpi() : WindowDpi(parent);
    const dpi::Rect placed = dpi::ScaleRect({x, y, width, height}, dpi);
    HWND control = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, placed.x, placed.y,
                                   placed.width, placed.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (window) window->designs_[control] = {x, y, width, height};
    return control;
}

void AddControls(HWND parent, std::span<const ControlSpec> layout) {
    Window* window = Window::FromHandle(GetAncestor(parent, GA_ROOT));
    const int dpi = window ? window->Dpi() : WindowDpi(parent);
    for (const ControlSpec& c : layout)
        AddControl(parent, c.className, Wide(c.text), c.style, c.place.x, c.place.y, c.place.width, c.place.height,
                   c.id, ProgramFont(c.fontHeight, dpi));
}

HFONT SharedFont(const wchar_t* face, int pixelHeight96, int dpi) {
    dpi = dpi::Usable(dpi);
    HFONT& font = FontsByDesign()[{face, pixelHeight96, dpi}];
    if (!font) {
        font = CreateFontW(-dpi::FontHeight(pixelHeight96, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
        if (font) DesignsByFont()[font] = {face, pixelHeight96};
    }
    return font;
}

HFONT ProgramFont(int pixelHeight96, int dpi) { return SharedFont(L"宋体", pixelHeight96, dpi); }

HICON ProgramIcon() { return LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"); }

HICON SharedIcon(const wchar_t* name, int side) {
    static std::map<std::pair<std::wstring, int>, HICON> icons;
    HICON& icon = icons[{name, side}];
    if (!icon) icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, side, side, 0));
    return icon;
}
