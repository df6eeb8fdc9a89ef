// The settings file from the command line, for deployment tools and start-up
// scripts: "Tempiro.exe /import FILE [/append]" and "Tempiro.exe /export FILE".
// Reading the arguments, the exit codes, the outcome texts, the import and
// export themselves, and the message that hands an import to the running
// copy. The Win32 side (app/settings_command_win32.*) finds the running copy
// and carries the message.
#pragma once

#include "platform/registry.h"
#include "platform/text_files.h"
#include "store/options.h"
#include "store/run_log.h"
#include "store/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Compared without regard to the case of their letters.
inline constexpr wchar_t kImportSwitch[] = L"/import";
inline constexpr wchar_t kAppendSwitch[] = L"/append";
inline constexpr wchar_t kExportSwitch[] = L"/export";

enum class CommandKind {
    None,    // neither /import nor /export: the program starts as it always has
    Import,
    Export,
    Usage,   // /import or /export, but the rest does not fit
};

struct SettingsCommand {
    CommandKind kind = CommandKind::None;
    std::wstring file;
    bool append = false;
};

// The arguments after the program's name. Once /import or /export stands
// among them, they must read exactly "/import FILE", "/export FILE", the
// first with "/append" before or after them; anything else is Usage.
SettingsCommand ParseSettingsCommand(const std::vector<std::wstring>& args);

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


// The settings window's import of `file`, without its dialog and boxes:
// `append` stands for the answer to its question. `beforeStore` runs where
// the question would be asked, when the file has proved to be a settings
// file and nothing of the store has been touched. The outcome goes to
// `runLog`.
ImportOutcome ImportNamedFile(TaskStore& store, TextFiles& files, const std::string& file, bool append,
                              const std::function<void()>& beforeStore = {}, RunLog* runLog = nullptr);

// The export of the store as it stands to `file`: the store loaded as a
// start loads it, but a missing option is not written.
ExportOutcome ExportStore(TaskStore& store, TextFiles& files, const std::string& file, const ExportTime& when);

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
