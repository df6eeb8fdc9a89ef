// The program's system calls: the real ones, or in the recording flavour
// that the Wine tests run, a record of them. The build picks the file.
#pragma once

#include "platform/system_calls.h"

#include <windows.h>

#include <memory>

// `owner` is the main window's handle, read when a call needs a parent window.
std::unique_ptr<SystemCalls> MakeSystemCalls(const HWND& owner);
