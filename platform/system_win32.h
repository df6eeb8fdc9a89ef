// Start-up's dealings with the security system.
#pragma once

#include <windows.h>

// Limits where DLLs are looked for to the system folder, where the system
// can (SetDefaultDllDirectories: Windows 8, and 7 with its update; looked up
// at run time for XP and Vista). The first thing the program does: a DLL
// planted beside the exe, in Downloads say, must never load.
void LoadDllsFromSystemFolderOnly();

// A function of a DLL of the system folder, the DLL loaded from there by its
// full path (and its own DLLs from beside it); nullptr when either is
// missing. For the DLLs that are not KnownDLLs, which the import table
// leaves out.
void* SystemFunction(const wchar_t* dll, const char* name);
template <typename F>
F SystemFunctionAs(const wchar_t* dll, const char* name) {
    return reinterpret_cast<F>(SystemFunction(dll, name));
}

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
