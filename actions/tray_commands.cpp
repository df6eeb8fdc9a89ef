#include "actions/tray_commands.h"

#include "actions/desktop.h"
#include "actions/power.h"

void RunTrayCommand(TrayCommand command, std::int32_t shutapp, const LocalTime& now, SystemCalls& calls) {
    if (const PowerAction* action = std::get_if<PowerAction>(&command)) return RunTrayPower(*action, shutapp, calls);
    switch (std::get<TrayTool>(command)) {
    case TrayTool::OpenCdDoor: calls.MciCommand(kOpenCdDoor); break;
    case TrayTool::CloseCdDoor: calls.MciCommand(kCloseCdDoor); break;
    case TrayTool::MonitorOff: calls.MonitorOff(); break;
    case TrayTool::CleanJunk: CleanSystemJunk(true, now, calls); break;
    case TrayTool::ProductPage: calls.ShellOpen(kProductPage, ""); break;
    case TrayTool::Help: calls.OpenDocument(calls.ProgramFolder() + kHelpFile); break;
    }
}

bool TrayMenuMayOpen(IconPlace place, const ScreenRect& icon, int x, int y) {
    if (place != IconPlace::Known) return place == IconPlace::Untold;
    return x >= icon.left && x < icon.right && y >= icon.top && y < icon.bottom;
}
