// What the tray menu's entries do, apart from the monitoring switch, the
// settings window, the About box and the exit, which are the main window's.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"

#include <cstdint>

enum class TrayCommand {
    LogOff, Standby, Hibernate, Restart, ShutDown, OpenCdDoor, CloseCdDoor, MonitorOff, CleanJunk,
    FastRestart, FastShutDown, ProductPage, Help,
};

inline constexpr char kProductPage[] = "https://tempiro.qelvora.com/";
inline constexpr wchar_t kHelpFile[] = L"Tempiro.CHM";
inline constexpr char kOpenCdDoor[] = "Set cdaudio door open wait";
inline constexpr char kCloseCdDoor[] = "Set cdaudio door closed wait";

void RunTrayCommand(TrayCommand command, std::int32_t shutapp, const LocalTime& now, SystemCalls& calls);
