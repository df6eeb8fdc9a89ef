// A helper process for the close-all sweep's Wine test. It opens one
// top-level window of each kind the sweep tells apart and writes to
// %TEMP%\tempiro-helper.txt, one line each: "ready" once they all stand, the
// name of every window that receives WM_CLOSE (which does not close it), and
// "done" for a WM_APP posted to any of them. All windows share one thread, so
// by "done" every message posted before the WM_APP has been handled.
// With "/impostor" it is another program posing as Tempiro instead: it takes
// the mutex and the main window's class, notes "handed" for every
// WM_COPYDATA, and answers each as a successful import.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClass[] = L"TempiroTestHelper";

void Note(const std::string& line) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tempiro-helper.txt";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Note(reinterpret_cast<const char*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
        return 0;
    case WM_APP:
        Note("done");
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND Make(const char* name, const wchar_t* title, DWORD exStyle = 0, HWND owner = nullptr) {
    static int offset = 0;
    offset += 30;
    HWND window = CreateWindowExW(exStyle, kClass, title, WS_OVERLAPPEDWINDOW, offset, offset, 240, 120, owner,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(name));
    return window;
}

void Show(HWND window) { ShowWindow(window, SW_SHOWNOACTIVATE); }

// Minimised, then hidden: iconic but not visible, so only "minimised" lets
// the sweep see it.
void MinimiseHidden(HWND window) {
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    ShowWindow(window, SW_HIDE);
}

}  // namespace

LRESULT CALLBACK Impostor(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        Note("handed");
        return 0x54500000;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

int PoseAsTempiro(HINSTANCE instance) {
    CreateMutexW(nullptr, FALSE, L"Qorvix0979-968080");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Impostor;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TempiroMain";
    RegisterClassW(&windowClass);
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"TempiroMain", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    Note("ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (commandLine && wcsstr(commandLine, L"/impostor")) return PoseAsTempiro(instance);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);

    HWND hidden = Make("hidden", L"Hidden");
    Show(Make("visible", L"Visible"));
    Show(Make("tool", L"Tool", WS_EX_TOOLWINDOW));
    Show(Make("owned", L"Owned", 0, hidden));
    Show(Make("untitled", L""));
    MinimiseHidden(Make("minimised-untitled", L""));
    MinimiseHidden(Make("minimised", L"Minimised"));
    Note("ready");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
