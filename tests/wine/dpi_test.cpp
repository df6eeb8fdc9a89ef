// The windows at the prefix's display scale: TEMPIRO_WINE_DPI (96 when unset)
// is set in the prefix before anything starts (run_in_prefix.sh). The program
// declares per-monitor awareness in its manifest, so its windows must come up
// at that scale; this test program has no manifest and makes its thread
// DPI-aware first, so that it reads the other process's pixels as they are.
#include "windows/reminder_window_win32.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/dpi.h"
#include "platform/text_win32.h"
#include "platform/window_win32.h"
#include "tempiro_version.h"
#include "tests/wine/program_driver.h"

#include <commctrl.h>
#include "scheduler/countdown.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using namespace driver;

constexpr int kSettingsListId = 201;

int PrefixDpi() {
    const char* value = std::getenv("TEMPIRO_WINE_DPI");
    return value && *value ? std::atoi(value) : 96;
}

// As the program's manifest makes it: per-monitor aware (v2, else v1), or
// at least system aware. Only the first call in a process takes effect.
void BecomeDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    for (INT_PTR context : {-4, -3}) {
        if (set && set(reinterpret_cast<HANDLE>(context))) return;
    }
    SetProcessDPIAware();
}

class DpiTest : public ::testing::Test {
protected:
    void SetUp() override { BecomeDpiAware(); }
    int Scaled(int value96) const { return dpi::Scale(value96, PrefixDpi()); }
};

// Rectangles may be a pixel off the exact product, no more.
void ExpectNear(const RECT& actual, const dpi::Rect& expected, const char* what) {
    EXPECT_NEAR(actual.left, expected.x, 1) << what;
    EXPECT_NEAR(actual.top, expected.y, 1) << what;
    EXPECT_NEAR(actual.right - actual.left, expected.width, 1) << what;
    EXPECT_NEAR(actual.bottom - actual.top, expected.height, 1) << what;
}

// A window of the program once it shows, with its controls made.
HWND WaitForShown(const wchar_t* className, DWORD pid, int controlId) {
    HWND shown = nullptr;
    WaitUntil([&] {
        for (HWND w : TopWindows(className, L"", pid)) {
            if (IsWindowVisible(w) && GetDlgItem(w, controlId)) shown = w;
        }
        return shown != nullptr;
    }, 10000);
    return shown;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Writes what the screen shows of `window` as a 24-bit BMP into the folder
// named by TEMPIRO_SCREENSHOTS, if set; `make screenshots` turns it into PNG.
void SaveScreenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("TEMPIRO_SCREENSHOTS");
    if (!folder || !*folder) return;
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(std::string(folder) + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(DpiTest, ThePrefixRunsAtTheScaleItWasGiven) {
    // Without this the other cases could pass at 96 whatever the program does.
    EXPECT_EQ(SystemDpi(), PrefixDpi());
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), PrefixDpi());
    ReleaseDC(nullptr, screen);
}

// Wine gives every program the prefix's DPI, aware or not; Windows scales
// the bitmap of a program that does not say it is aware, blurring it. So the
// declaration itself is read here, from the program's manifest.
TEST_F(DpiTest, TheProgramDeclaresPerMonitorAwarenessWithItsFallbacks) {
    HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(program, resource)));
    const std::string manifest(text, SizeofResource(program, resource));
    FreeLibrary(program);
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm"
                            "</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor, System</dpiAwareness>"),
              std::string::npos);
    EXPECT_NE(manifest.find("version=\"" TEMPIRO_VERSION_STRING "\""), std::string::npos) << "from VERSION";
}

TEST_F(DpiTest, TheSettingsWindowItsListColumnsAndButtonsAreScaled) {
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, kCmdSettings, 0);
    HWND settings = WaitForShown(L"TempiroSettings", program.id(), IDCANCEL);
    ASSERT_NE(settings, nullptr);

    const RECT client = ClientRect(settings);
    EXPECT_NEAR(client.right, Scaled(541), 1);
    EXPECT_NEAR(client.bottom, Scaled(498), 1);

    HWND list = GetDlgItem(settings, kSettingsListId);
    ASSERT_NE(list, nullptr);
    ExpectNear(RectInParent(list), dpi::ScaleRect({8, 8, 525, 296}, PrefixDpi()), "list");
    const int widths[] = {40, 140, 90, 180, 70};
    for (int column = 0; column < 5; ++column) {
        EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0), Scaled(widths[column]), 1)
            << "column " << column;
    }
    ExpectNear(RectInParent(GetDlgItem(settings, IDCANCEL)), dpi::ScaleRect({456, 464, 75, 25}, PrefixDpi()),
               "cancel button");

    PumpMessages(700);  // let it paint
    SaveScreenshot(settings, "settings-" + std::to_string(PrefixDpi()));
}

TEST_F(DpiTest, TheCountdownAboutAndEditorWindowsAreScaled) {
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetDlgItem(main, kBitBtn2) != nullptr; }, 5000)) << ChildTexts(main).size();
    const RECT countdown = ClientRect(main);
    EXPECT_NEAR(countdown.right, Scaled(401), 1);
    EXPECT_NEAR(countdown.bottom, Scaled(136), 1);
    ExpectNear(RectInParent(GetDlgItem(main, kBitBtn2)), dpi::ScaleRect({232, 94, 105, 25}, PrefixDpi()),
               "cancel button of the countdown");
    // The longest text the first label shows fits it, measured with the font
    // Wine has, and as SimSun sets it on Windows (a Chinese character an em
    // wide, any other half an em); the seconds label stands beside it.
    HWND label = GetDlgItem(main, kLabel1);
    const int width = RectInParent(label).right - RectInParent(label).left;
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    for (const char* word : {"断开拨号", "快速重启", "快速关机"}) {
        const std::wstring text = Wide(CountdownTextsFor(word).label1);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        EXPECT_LE(extent.cx, width) << word;
        double ems = 0;
        for (wchar_t c : text) ems += c >= 0x2E80 ? 1 : 0.5;
        EXPECT_LE(ems * Scaled(13), width) << word;
    }
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(RectInParent(label).right, RectInParent(GetDlgItem(main, kLabel2)).left);
    EXPECT_LE(RectInParent(GetDlgItem(main, kLabel2)).right, countdown.right);

    PostMessageW(main, WM_COMMAND, kCmdAbout, 0);
    HWND about = WaitForShown(L"TempiroAbout", program.id(), IDOK);
    ASSERT_NE(about, nullptr);
    const RECT aboutClient = ClientRect(about);
    EXPECT_NEAR(aboutClient.right, Scaled(311), 1);
    EXPECT_NEAR(aboutClient.bottom, Scaled(253), 1);
    ExpectNear(RectInParent(GetDlgItem(about, IDOK)), dpi::ScaleRect({112, 216, 75, 25}, PrefixDpi()), "About OK");

    PostMessageW(main, WM_COMMAND, kCmdSettings, 0);
    HWND settings = WaitForShown(L"TempiroSettings", program.id(), IDCANCEL);
    ASSERT_NE(settings, nullptr);
    Click(ChildWithText(settings, Wide("添加(&A)")));
    HWND editor = WaitForShown(L"TempiroEditor", program.id(), IDOK);
    ASSERT_NE(editor, nullptr);
    const RECT editorClient = ClientRect(editor);
    EXPECT_NEAR(editorClient.right, Scaled(420), 1);
    EXPECT_NEAR(editorClient.bottom, Scaled(383), 1);
    ExpectNear(RectInParent(GetDlgItem(editor, IDOK)), dpi::ScaleRect({120, 340, 80, 25}, PrefixDpi()), "editor OK");
    PumpMessages(700);
    SaveScreenshot(editor, "editor-" + std::to_string(PrefixDpi()));
}

TEST_F(DpiTest, AReminderOfThisProcessIsScaledWithItsFonts) {
    ShowReminder("提醒", "");
    std::vector<HWND> windows = TopWindows(L"TempiroReminder", L"", GetCurrentProcessId());
    ASSERT_EQ(windows.size(), 1u);
    const RECT client = ClientRect(windows[0]);
    EXPECT_NEAR(client.right, Scaled(411), 1);
    EXPECT_NEAR(client.bottom, Scaled(167), 1);
    HWND ok = ChildWithText(windows[0], Wide(kReminderOk));
    ASSERT_NE(ok, nullptr);
    ExpectNear(RectInParent(ok), dpi::ScaleRect({160, 128, 75, 25}, PrefixDpi()), "reminder OK");
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -dpi::FontHeight(13, PrefixDpi()));
    DestroyWindow(windows[0]);
}

// A window of the base, made here, with a control of each kind the base
// treats apart: a plain one, a list with columns, a combo box, one with a
// font of its own, and a label the window moves itself.
class Probe : public Window {
public:
    bool Create() {
        if (!CreateWindowFor(L"TempiroDpiProbe", L"probe", WS_CAPTION | WS_SYSMENU, 0, 300, 200, nullptr))
            return false;
        HFONT font = SharedFont(L"宋体", 13, Dpi());
        button = AddControl(hwnd_, L"BUTTON", L"OK", BS_PUSHBUTTON, 70, 150, 75, 25, 1, font);
        list = AddControl(hwnd_, WC_LISTVIEWW, L"", LVS_REPORT, 8, 8, 200, 100, 2, font);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = Scale(90);
        ListView_InsertColumn(list, 0, &column);
        column.cx = Scale(70);
        ListView_InsertColumn(list, 1, &column);
        combo = AddControl(hwnd_, L"COMBOBOX", L"", CBS_DROPDOWNLIST, 216, 8, 70, 120, 3, font);
        big = AddControl(hwnd_, L"STATIC", L"big", SS_LEFT, 216, 40, 70, 20, 4, SharedFont(L"宋体", 16, Dpi()));
        moved = AddControl(hwnd_, L"STATIC", L"moved", SS_LEFT, 216, 70, 70, 40, 5, font);
        return true;
    }
    void Moved(int x, int y) { SetWindowPos(moved, nullptr, Scale(x), Scale(y), Scale(70), Scale(40), SWP_NOZORDER); }

    HWND button = nullptr, list = nullptr, combo = nullptr, big = nullptr, moved = nullptr;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override { return Default(msg, wParam, lParam); }
};

int FontHeightOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// A combo box's window is as high as its field. Its list reaches down as far
// as the height it was given: Windows counts the field in the dropped
// rectangle, Wine counts the list alone; either way the list is not shorter.
void ExpectComboBox(HWND combo, const dpi::Rect& expected, const char* what) {
    RECT window = RectInParent(combo);
    EXPECT_NEAR(window.left, expected.x, 1) << what;
    EXPECT_NEAR(window.top, expected.y, 1) << what;
    EXPECT_NEAR(window.right - window.left, expected.width, 1) << what;
    RECT dropped{};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_GE(dropped.bottom - dropped.top + (window.bottom - window.top), expected.height - 1) << what;
}

// What WM_DPICHANGED brings when the window goes to a monitor at `dpi`: the
// rectangle the system suggests, the client area scaled with it.
void MoveToDpi(Probe& probe, int dpi) {
    RECT window{};
    GetWindowRect(probe.hwnd(), &window);
    RECT suggested{0, 0, dpi::Scale(300, dpi), dpi::Scale(200, dpi)};
    AdjustWindowRectEx(&suggested, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    OffsetRect(&suggested, window.left - suggested.left, window.top - suggested.top);
    SendMessageW(probe.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(DpiTest, AWindowMovedToAMonitorOfAnotherScaleRescalesEveryControl) {
    const int start = PrefixDpi();
    Probe probe;
    ASSERT_TRUE(probe.Create());
    ASSERT_EQ(probe.Dpi(), start);
    ExpectNear(RectInParent(probe.button), dpi::ScaleRect({70, 150, 75, 25}, start), "button at start");

    // Through 125 % to 200 %, the way a window crosses monitors.
    for (int dpi : {120, 192}) {
        MoveToDpi(probe, dpi);
        EXPECT_EQ(probe.Dpi(), dpi);
        const RECT client = ClientRect(probe.hwnd());
        EXPECT_EQ(client.right, dpi::Scale(300, dpi)) << dpi;
        EXPECT_EQ(client.bottom, dpi::Scale(200, dpi)) << dpi;
        ExpectNear(RectInParent(probe.button), dpi::ScaleRect({70, 150, 75, 25}, dpi), "button");
        ExpectNear(RectInParent(probe.list), dpi::ScaleRect({8, 8, 200, 100}, dpi), "list");
        ExpectComboBox(probe.combo, dpi::ScaleRect({216, 8, 70, 120}, dpi), "combo box");
        EXPECT_EQ(FontHeightOf(probe.button), -dpi::FontHeight(13, dpi)) << dpi;
        EXPECT_EQ(FontHeightOf(probe.list), -dpi::FontHeight(13, dpi)) << dpi;
        EXPECT_EQ(FontHeightOf(probe.big), -dpi::FontHeight(16, dpi)) << dpi;
        EXPECT_NEAR(ListView_GetColumnWidth(probe.list, 0), dpi::Scale(90, dpi), 1) << dpi;
        EXPECT_NEAR(ListView_GetColumnWidth(probe.list, 1), dpi::Scale(70, dpi), 1) << dpi;
    }

    // A control the window moved itself keeps its new place, rescaled.
    probe.Moved(100, 120);
    MoveToDpi(probe, 144);
    ExpectNear(RectInParent(probe.moved), dpi::ScaleRect({100, 120, 70, 40}, 144), "moved label");

    // Back at the start, every control stands exactly where it did.
    MoveToDpi(probe, start);
    RECT button = RectInParent(probe.button);
    const dpi::Rect design = dpi::ScaleRect({70, 150, 75, 25}, start);
    EXPECT_EQ(button.left, design.x);
    EXPECT_EQ(button.top, design.y);
    EXPECT_EQ(button.right - button.left, design.width);
    EXPECT_EQ(button.bottom - button.top, design.height);
    EXPECT_EQ(FontHeightOf(probe.button), -dpi::FontHeight(13, start));
    DestroyWindow(probe.hwnd());
}

}  // namespace
