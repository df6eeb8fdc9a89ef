// Opening files, folders and web addresses, killing programs by name, and
// the junk cleaning batch.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"

#include <optional>
#include <string>

// The working folder a target opens in: its text up to and including the
// last "\" or ":", or empty.
std::string WorkingFolderOf(const std::string& path);
// None when the target was opened, else the system's text of why not.
std::optional<std::string> OpenTarget(const std::string& target, DesktopSystem& desktop);

// Maps the bytes a to z to A to Z wherever they stand, also as the second
// byte of a two-byte character; nothing else is folded.
std::string UpperAsciiBytes(std::string text);
// A process matches when its executable's file name, or its executable text
// as a whole, equals the name in that folding.
bool ProcessMatches(const std::string& exe, const std::string& name);
// Terminates every matching process: how many matched and how many ended,
// and whether the last termination worked (false when nothing matched).
struct KillCount {
    int matched = 0;
    int ended = 0;
    bool lastEnded = false;
};
KillCount EndProcessesByName(const std::string& name, DesktopSystem& desktop);

inline constexpr wchar_t kJunkBatch[] = L"QLLJ.bat";
// "清理系统垃圾列表" + year month day + "_" + hour minute second + ".txt",
// the numbers without leading zeros.
std::wstring JunkListName(const LocalTime& now);
// The parameters of cmd.exe, which runs in the program folder: the batch,
// with its output sent to the list, by names relative to that folder, so
// that the folder's name never passes through cmd.exe's parsing. The whole
// command is quoted once more, for cmd.exe takes off the outer quotes.
std::wstring JunkCommandParameters(const std::wstring& listName);
// Runs the batch in the program folder and waits for it; with openList the
// list is opened afterwards. The batch's exit code, which is the number of
// files removed; none when cmd.exe could not be started.
std::optional<unsigned long> CleanSystemJunk(bool openList, const LocalTime& now, DesktopSystem& desktop);
