// The program's command line, for every way it starts: the tray program; by
// the logon task with "/logon"; by the junk-cleaning batch with "/clean"; and
// for deployment tools and start-up scripts, "Tempiro.exe /import FILE
// [/append]" and "Tempiro.exe /export FILE", with their exit codes and the
// message that hands an import to the running copy. The Win32 side
// (app/settings_command_win32.*) finds the running copy and carries it.
#pragma once

#include "store/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Compared without regard to the case of their letters.
inline constexpr wchar_t kImportSwitch[] = L"/import";
inline constexpr wchar_t kAppendSwitch[] = L"/append";
inline constexpr wchar_t kExportSwitch[] = L"/export";
inline constexpr wchar_t kJunkCleaningSwitch[] = L"/clean";
inline constexpr wchar_t kLogonSwitch[] = L"/logon";

enum class StartMode {
    Normal,  // the tray program, as it always starts
    Logon,   // the same, started by the logon task
    Clean,   // the junk cleaning alone, for the batch
    Import,
    Export,
    Usage,   // /import or /export, but the rest does not fit
};

struct StartCommand {
    StartMode mode = StartMode::Normal;
    std::wstring file;
    bool append = false;
};

// `tail` is the command line after the program's name, as the entry point
// receives it, and `args` the same split into arguments. "/clean" is the
// whole tail; "/logon" the tail between blanks. Once /import or /export
// stands among the arguments, they must read exactly "/import FILE",
// "/export FILE", the first with "/append" before or after them; anything
// else is Usage.
StartCommand ParseCommandLine(std::wstring_view tail, const std::vector<std::wstring>& args);

// The exit codes of the two commands. 1 remains the program's own: its main
// window could not be made.
enum SettingsExitCode : int {
    kExitDone = 0,
    kExitUsage = 2,
    kExitNotOpened = 3,        // the file cannot be read, or written by the export
    kExitNotSettingsFile = 4,  // it holds none of the six settings
    kExitStoreFailed = 5,      // a store read or write failed; what was written before stays
    kExitNoAnswer = 6,         // a copy runs but took no import from this one
    kExitNotOurCopy = 7,       // the window of the program's class belongs to another program, or one not elevated
};
int ExitCodeOf(ImportStatus status);
int ExitCodeOf(const ExportOutcome& outcome);


// The hand-over: WM_COPYDATA to the running copy's main window. Its tag says
// replace or append; its data is the file's full path in UTF-16 without a
// closing zero. The copy answers kHandOverReply plus the import's exit code.
inline constexpr std::uintptr_t kHandOverReplace = 0x54504952;
inline constexpr std::uintptr_t kHandOverAppend = 0x54504941;
inline constexpr std::intptr_t kHandOverReply = 0x54500000;
inline constexpr std::size_t kLongestPath = 32767;  // characters

// A full path on a drive ("C:\...") or a share ("\\server\..."); not one of
// the device forms "\\.\" and "\\?\", nor a relative one.
bool IsFullPath(std::u16string_view path);

struct HandOver {
    std::u16string file;
    bool append = false;
};
// The message's tag and data as received, trusted for nothing: none unless
// the tag is one of the two and the data an even number of bytes holding a
// full path of at most kLongestPath characters without a zero.
std::optional<HandOver> ReadHandOver(std::uintptr_t tag, const void* data, std::size_t bytes);
// The answer's code; none for an answer that is not a reply of the copy.
std::optional<int> HandOverAnswer(std::intptr_t answer);
