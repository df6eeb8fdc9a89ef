// The recording flavour: every power, dial-up, netsh, sound and sweep call is
// appended as a line to "tempiro-calls.txt" in the temporary folder (GBK,
// CRLF) instead of being made.
#include "app/system_calls_factory.h"
#include "platform/recording_calls.h"
#include "platform/system_calls_win32.h"
#include "platform/text_win32.h"

#include <string>

namespace {

void AppendLine(const std::string& line) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tempiro-calls.txt";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

std::unique_ptr<SystemCalls> MakeSystemCalls(const HWND&) {
    return std::make_unique<RecordingCalls>(AppendLine, ExecutableFolderWide(), Narrow);
}
