// The program's options in the store key.
#pragma once

#include "platform/registry.h"
#include "store/task_store.h"

#include <cstdint>
#include <string>
#include <vector>


inline constexpr char kShutappValue[] = "shutapp";
inline constexpr char kSoundpathValue[] = "soundpath";
inline constexpr char kTishiValue[] = "tishi";
inline constexpr char kKaijiValue[] = "kaiji";
inline constexpr char kRejianValue[] = "rejian";
// Beyond the first six: whether the tasks missed while the program was not
// running (or the PC slept) run once afterwards, and how many versions of
// each file a versioned backup keeps (0: all).
inline constexpr char kBuzuoValue[] = "buzuo";
inline constexpr char kBanbenValue[] = "banben";

inline constexpr std::int32_t kDefaultCountdownSeconds = 60;

// In-memory copies of the options, loaded at start; a new one holds the
// defaults of the table below.
struct StoreOptions {
    StoreOptions();
    std::int32_t shutapp;
    std::string soundpath;
    std::int32_t tishi;  // countdown length in seconds
    std::int32_t TaskNum;
    std::int32_t kaiji;
    std::int32_t rejian;
    std::int32_t buzuo;   // 1: catch up on missed tasks
    std::int32_t banben;  // versions kept of each file; 0 or less: all
};

// One row per option, in the order start-up loads them and the import writes
// them (its task records just before TaskNum). The rows after the first six
// come after the six lines in the settings file too, so that every file
// reads as it always has.
struct OptionSpec {
    const char* name;
    std::int32_t StoreOptions::*integer;  // for a number; null for the text
    std::string StoreOptions::*text;      // for the text; null for a number
    std::int32_t defaultNumber;           // a text's default is empty
    int fileLine;                         // its place among the settings file's option lines
    int saveStep;                         // its place in the settings window's OK; -1: not written there
    bool readAtStartOnly;                 // the settings window's OK stores it for the next start alone
};
inline constexpr int kOptionCount = 8;
inline constexpr OptionSpec kOptionTable[kOptionCount] = {
    {kShutappValue, &StoreOptions::shutapp, nullptr, 0, 2, 3, false},
    {kSoundpathValue, nullptr, &StoreOptions::soundpath, 0, 0, 2, false},
    {kTishiValue, &StoreOptions::tishi, nullptr, kDefaultCountdownSeconds, 1, 1, false},
    {kTaskNumValue, &StoreOptions::TaskNum, nullptr, 0, 3, -1, false},
    {kKaijiValue, &StoreOptions::kaiji, nullptr, 0, 4, 0, true},
    {kRejianValue, &StoreOptions::rejian, nullptr, 0, 5, 4, false},
    {kBuzuoValue, &StoreOptions::buzuo, nullptr, 0, 6, 5, false},
    {kBanbenValue, &StoreOptions::banben, nullptr, 0, 7, 6, false},
};
inline constexpr int kTaskNumOption = 3;
static_assert(kOptionTable[kTaskNumOption].integer == &StoreOptions::TaskNum);

struct LoadReport {
    bool keyOpened = false;
    bool writeFailed = false;             // a missing option's default could not be written
    std::vector<std::string> keptDefaults;  // options that could not be read or written, by value name
    std::vector<std::string> errors;        // the runtime's texts for them, in the same order
    bool readOnly = false;                  // the key opened for reading alone: nothing can be saved
    bool ok() const { return keyOpened && !readOnly && errors.empty(); }
};

// Resets `options` to the defaults, opens the store and reads each option,
// writing the default of every missing one when `writeMissing`. The key stays
// open. An option that cannot be read or written keeps its default and is
// reported; loading goes on. TaskStore::Load runs it after mending the store.
LoadReport LoadOptions(RegistryAccessor& registry, StoreOptions& options, bool writeMissing = true);

// What the settings window's OK hands over: the options it shows (all but
// TaskNum) and the autostart box (store/autostart.h writes that).
struct SettingsChoice {
    StoreOptions options;
    bool autostart = false;
};

