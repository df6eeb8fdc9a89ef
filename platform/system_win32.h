// Start-up's dealings with the security system.
#pragma once

#include <windows.h>

// Fills the OS version record and, on NT systems, enables the shutdown
// privilege for the rest of the run. Failures are silent.
void EnableShutdownPrivilege();
unsigned OsMajorVersion();

// Whether the process token holds the built-in Administrators group.
bool IsUserAdmin();

// Lets `message` reach `window` from processes of lower integrity, such as
// Explorer's "TaskbarCreated" broadcast to this elevated program. Looked up
// at run time: Windows 7 has the per-window call, Vista only the
// process-wide one, and XP has no such filter at all.
void AllowMessageFromLowerIntegrity(HWND window, UINT message);
