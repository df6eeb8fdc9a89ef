// What the tray menu's entries do, apart from the monitoring switch, the
// settings window, the About box and the exit, which are the main window's.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "scheduler/power_action.h"

#include <cstdint>
#include <variant>

// An entry is a power action, which acts at once, or one of these others.
enum class TrayTool { OpenCdDoor, CloseCdDoor, MonitorOff, CleanJunk, ProductPage, Help };
using TrayCommand = std::variant<PowerAction, TrayTool>;

inline constexpr char kProductPage[] = "https://tempiro.qelvora.com/";
inline constexpr wchar_t kHelpFile[] = L"Tempiro.CHM";
inline constexpr char kOpenCdDoor[] = "Set cdaudio door open wait";
inline constexpr char kCloseCdDoor[] = "Set cdaudio door closed wait";

void RunTrayCommand(TrayCommand command, std::int32_t shutapp, const LocalTime& now, SystemCalls& calls);

// The tray's callback passes the message filter, so any process can send it.
// What the shell said of the icon's place on screen: it cannot tell (no
// Shell_NotifyIconGetRect before Windows 7), it failed, or the rectangle,
// right and bottom edges outside it as Windows draws them.
enum class IconPlace { Untold, Failed, Known };
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// Whether a button press on the icon may open the menu: only with the cursor
// over the icon, where the shell can tell.
bool TrayMenuMayOpen(IconPlace place, const ScreenRect& icon, int cursorX, int cursorY);
