// The store: the program's registry key, its six options and the numbered task
// values, plus the autostart entry under the Run key.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr char kStoreKeyPath[] = "\\Software\\Qelvora\\Tempiro";
inline constexpr char kRunKeyPath[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutostartValue[] = "Horlane";

inline constexpr char kShutappValue[] = "shutapp";
inline constexpr char kSoundpathValue[] = "soundpath";
inline constexpr char kTishiValue[] = "tishi";
inline constexpr char kTaskNumValue[] = "TaskNum";
inline constexpr char kKaijiValue[] = "kaiji";
inline constexpr char kRejianValue[] = "rejian";

// In-memory copies of the six options, loaded at start.
struct StoreOptions {
    std::int32_t shutapp = 0;
    std::string soundpath;
    std::int32_t tishi = 60;  // countdown length in seconds
    std::int32_t TaskNum = 0;
    std::int32_t kaiji = 0;
    std::int32_t rejian = 0;
};

// One row per option, in the order start-up loads them; drives load and tests.
struct OptionSpec {
    const char* name;
    bool isText;
    std::int32_t StoreOptions::*integer;
    std::string StoreOptions::*text;
};
extern const OptionSpec kOptionTable[6];

// "A" + n, "B" + n, ...
std::string TaskValueName(char letter, int number);

// Selects HKEY_LOCAL_MACHINE and opens the store key, creating it when missing.
bool OpenStore(RegistryAccessor& registry);

struct LoadReport {
    bool keyOpened = false;
    bool writeFailed = false;             // a missing option's default could not be written
    std::vector<std::string> keptDefaults;  // options that could not be read or written, by value name
    std::vector<std::string> errors;        // the runtime's texts for them, in the same order
    bool readOnly = false;                  // the key opened for reading alone: nothing can be saved
    bool ok() const { return keyOpened && !readOnly && errors.empty(); }
};

// Resets `options` to the defaults, opens the store and reads each option,
// writing the default of every missing one. The key stays open. An option that
// cannot be read or written keeps its default and is reported; loading goes on.
LoadReport LoadOptions(RegistryAccessor& registry, StoreOptions& options);
// The highest number that has any of the values A n to D n, walking no
// further than the key's values allow.
int PresentTaskRecords(RegistryAccessor& registry);

// What the settings window's OK hands over.
struct SettingsChoice {
    std::int32_t tishiSeconds = 60;
    bool showBootTime = false;  // kaiji
    std::string soundPath;
    bool closeAppsBeforeStandby = false;  // shutapp
    bool ctrlHotkeys = false;             // rejian
    bool autostart = false;
};

// Writes the options in the order the program always has; the in-memory
// kaiji stays as loaded. Throws StoreError on a failed write.
void SaveOptions(RegistryAccessor& registry, StoreOptions& options, const SettingsChoice& choice,
                 const std::string& exePath);

// Autostart shows as on only when the entry names this executable byte for byte.
bool AutostartEnabled(RegistryAccessor& registry, const std::string& exePath);

// The highest task number worth reading in the open store key: TaskNum,
// but never more than the values the key holds (a record present has at
// least its A), so that a TaskNum out of all proportion to the key costs
// nothing. Asks the key for its value count once; 0 when TaskNum is not
// positive or the count cannot be had. Every walk over the task numbers
// (the tick, the task list, export) goes from 1 to this bound.
int TaskRecordBound(RegistryAccessor& registry, std::int32_t taskNum);

// Removes record n and moves the records above it down by one, up to the
// bound above, which then less one is the new TaskNum. Returns false and
// changes nothing when n is not a record number.
bool DeleteTaskRecord(RegistryAccessor& registry, StoreOptions& options, int number);

void SetTaskState(RegistryAccessor& registry, int number, const std::string& state);

// Writes a task composed in the editor: over record `number` when it is one
// (A, B and C are emptied first and its state kept), otherwise as a new
// record after the bound above (TaskNum is set to its number and written first). Then A, B, C,
// and D "启用" when the record had no state. Returns the number written and
// the state the record now has.
struct SavedTask {
    int number = 0;
    std::string state;
};
SavedTask SaveTaskRecord(RegistryAccessor& registry, StoreOptions& options, int number, const std::string& a,
                         const std::string& b, const std::string& c);
