// The texts of a task besides its schedule: B the type name, C the
// attribute of a backup, D the state; and the decimal conversion every
// number in those texts goes through.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

inline constexpr char kStateEnabled[] = "启用";
inline constexpr char kStateDisabled[] = "禁用";

// The runtime's decimal conversion: an optional sign and decimal digits that
// fit 32 bits, nothing else.
std::optional<std::int32_t> ToInt(std::string_view text);

// A text that does not convert to a number. Like a store error it ends the
// command that ran into it, and its text is shown in a message box.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// ToInt, or ConversionError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// C of a backup task: source*target*flag.
struct BackupSpecFields {
    std::string source, target, flag;
    bool overwrite() const { return flag == "1"; }
};
BackupSpecFields SplitBackupSpec(const std::string& c);
std::string BackupText(const std::string& source, const std::string& target, bool overwrite);

// The 18 type names of B, in the order of the editor's type list.
enum class TaskType {
    Reminder, OpenFile, OpenFolder, CloseProgram, HangUp, Dial, LogOff, Standby, Hibernate, Restart, ShutDown,
    FastRestart, FastShutDown, CleanJunk, DisableAdapter, EnableAdapter, BackupFile, BackupFolder,
};
inline constexpr int kTaskTypeCount = 18;
extern const char* const kTaskTypeNames[kTaskTypeCount];
inline const char* TaskTypeName(TaskType type) { return kTaskTypeNames[static_cast<int>(type)]; }
// Exact, byte for byte; none for any other text.
std::optional<TaskType> TaskTypeOf(const std::string& b);
