// Start-up's dealings with the security system.
#pragma once

// Fills the OS version record and, on NT systems, enables the shutdown
// privilege for the rest of the run. Failures are silent.
void EnableShutdownPrivilege();
unsigned OsMajorVersion();

// Whether the process token holds the built-in Administrators group.
bool IsUserAdmin();
