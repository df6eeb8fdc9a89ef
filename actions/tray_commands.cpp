#include "actions/tray_commands.h"

#include "actions/desktop.h"
#include "actions/power.h"

void RunTrayCommand(TrayCommand command, std::int32_t shutapp, const LocalTime& now, SystemCalls& calls) {
    switch (command) {
    case TrayCommand::LogOff: RunTrayPower(TrayPower::LogOff, shutapp, calls); break;
    case TrayCommand::Standby: RunTrayPower(TrayPower::Standby, shutapp, calls); break;
    case TrayCommand::Hibernate: RunTrayPower(TrayPower::Hibernate, shutapp, calls); break;
    case TrayCommand::Restart: RunTrayPower(TrayPower::Restart, shutapp, calls); break;
    case TrayCommand::ShutDown: RunTrayPower(TrayPower::ShutDown, shutapp, calls); break;
    case TrayCommand::FastRestart: RunTrayPower(TrayPower::FastRestart, shutapp, calls); break;
    case TrayCommand::FastShutDown: RunTrayPower(TrayPower::FastShutDown, shutapp, calls); break;
    case TrayCommand::OpenCdDoor: calls.MciCommand(kOpenCdDoor); break;
    case TrayCommand::CloseCdDoor: calls.MciCommand(kCloseCdDoor); break;
    case TrayCommand::MonitorOff: calls.MonitorOff(); break;
    case TrayCommand::CleanJunk: CleanSystemJunk(true, now, calls); break;
    case TrayCommand::ProductPage: calls.ShellOpen(kProductPage, ""); break;
    case TrayCommand::Help: calls.OpenDocument(calls.ProgramFolder() + kHelpFile); break;
    }
}
