// The recording flavour: every power, dial-up, netsh, sound and sweep call is
// appended as a line to "tempiro-calls.txt" in the temporary folder (GBK,
// CRLF) instead of being made. An open of a file or folder that is not there
// fails as the shell's would, so that its outcome can be seen.
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

class RecordingWin32Calls : public RecordingCalls {
public:
    RecordingWin32Calls() : RecordingCalls(AppendLine, ExecutableFolderWide(), Narrow) {}

    // A full path ("C:\..." or "\\server\...") that names nothing: the
    // system's text for it. Anything else opens.
    std::optional<std::string> ShellOpen(const std::string& target, const std::string& workingFolder) override {
        RecordingCalls::ShellOpen(target, workingFolder);
        const std::wstring path = Wide(target);
        const bool full = (path.size() > 2 && path[1] == L':' && path[2] == L'\\') || path.rfind(L"\\\\", 0) == 0;
        if (!full || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return std::nullopt;
        return SystemErrorText(GetLastError());
    }
};

}  // namespace

std::unique_ptr<SystemCalls> MakeSystemCalls(const HWND&) { return std::make_unique<RecordingWin32Calls>(); }
