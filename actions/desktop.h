// Opening files, folders and web addresses, killing programs by name, and
// the junk cleaning batch.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"

#include <string>

// The working folder a target opens in: its text up to and including the
// last "\" or ":", or empty.
std::string WorkingFolderOf(const std::string& path);
void OpenTarget(const std::string& target, DesktopSystem& desktop);

// Maps the bytes a to z to A to Z wherever they stand, also as the second
// byte of a two-byte character; nothing else is folded.
std::string UpperAsciiBytes(std::string text);
// A process matches when its executable's file name, or its executable text
// as a whole, equals the name in that folding.
bool ProcessMatches(const std::string& exe, const std::string& name);
// Terminates every matching process. The result is that of the last
// termination, false when nothing matched.
bool KillProcessByName(const std::string& name, DesktopSystem& desktop);

inline constexpr char kJunkBatch[] = "QLLJ.bat";
// "清理系统垃圾列表" + year month day + "_" + hour minute second + ".txt",
// the numbers without leading zeros.
std::string JunkListName(const LocalTime& now);
// cmd.exe runs the batch with its output sent to the list. Both paths are
// quoted, and the whole command again, so that cmd.exe takes the quotes of a
// program folder with blanks as they are.
std::string JunkCommandLine(const std::string& programFolder, const std::string& listName);
// Runs the batch and waits for it; with openList the list is opened afterwards.
void CleanSystemJunk(bool openList, const LocalTime& now, DesktopSystem& desktop);
