#include "app/system_calls_factory.h"
#include "platform/system_calls_win32.h"

std::unique_ptr<SystemCalls> MakeSystemCalls(const HWND& owner) { return std::make_unique<Win32SystemCalls>(owner); }
