#include "store/options.h"

#include "store/task_record.h"

#include <cstdint>

const OptionSpec kOptionTable[6] = {
    {kShutappValue, false, &StoreOptions::shutapp, nullptr},
    {kSoundpathValue, true, nullptr, &StoreOptions::soundpath},
    {kTishiValue, false, &StoreOptions::tishi, nullptr},
    {kTaskNumValue, false, &StoreOptions::TaskNum, nullptr},
    {kKaijiValue, false, &StoreOptions::kaiji, nullptr},
    {kRejianValue, false, &StoreOptions::rejian, nullptr},
};

std::string TaskValueName(char letter, int number) {
    std::string name(1, letter);
    name += std::to_string(number);
    return name;
}

bool OpenStore(RegistryAccessor& registry) {
    registry.SetRoot(RegRoot::LocalMachine);
    return registry.OpenKey(kStoreKeyPath, true);
}

LoadReport LoadOptions(RegistryAccessor& registry, StoreOptions& options) {
    options = StoreOptions{};
    LoadReport report;
    report.keyOpened = OpenStore(registry);
    if (!report.keyOpened) return report;
    report.readOnly = registry.KeyReadOnly();
    for (const OptionSpec& spec : kOptionTable) {
        const bool exists = registry.ValueExists(spec.name);
        try {
            if (exists) {
                if (spec.isText)
                    options.*spec.text = registry.ReadString(spec.name);
                else
                    options.*spec.integer = registry.ReadInteger(spec.name);
            } else if (spec.isText) {
                registry.WriteString(spec.name, options.*spec.text);
            } else {
                registry.WriteInteger(spec.name, options.*spec.integer);
            }
        } catch (const StoreError& e) {
            if (!exists) report.writeFailed = true;
            report.keptDefaults.push_back(spec.name);
            report.errors.push_back(e.what());
            // A count that cannot be read counts the records present, so that
            // every task still runs and is listed, and a new one goes after them.
            if (exists && spec.integer == &StoreOptions::TaskNum) options.TaskNum = PresentTaskRecords(registry);
        }
    }
    return report;
}

int PresentTaskRecords(RegistryAccessor& registry) {
    const int bound = TaskRecordBound(registry, INT32_MAX);
    int last = 0;
    for (int n = 1; n <= bound; ++n) {
        for (char letter : {'A', 'B', 'C', 'D'}) {
            if (registry.ValueExists(TaskValueName(letter, n))) {
                last = n;
                break;
            }
        }
    }
    return last;
}

void SaveOptions(RegistryAccessor& registry, StoreOptions& options, const SettingsChoice& choice,
                 const std::string& exePath) {
    OpenStore(registry);
    registry.WriteInteger(kKaijiValue, choice.showBootTime ? 1 : 0);
    options.tishi = choice.tishiSeconds;
    registry.WriteInteger(kTishiValue, options.tishi);
    if (choice.soundPath != options.soundpath) {
        options.soundpath = choice.soundPath;
        registry.WriteString(kSoundpathValue, options.soundpath);
    }
    options.shutapp = choice.closeAppsBeforeStandby ? 1 : 0;
    registry.WriteInteger(kShutappValue, options.shutapp);
    options.rejian = choice.ctrlHotkeys ? 1 : 0;
    registry.WriteInteger(kRejianValue, options.rejian);

    registry.OpenKey(kRunKeyPath, true);
    if (registry.ValueExists(kAutostartValue)) registry.DeleteValue(kAutostartValue);
    if (choice.autostart) registry.WriteString(kAutostartValue, exePath);
    registry.CloseKey();
}

bool AutostartEnabled(RegistryAccessor& registry, const std::string& exePath) {
    registry.SetRoot(RegRoot::LocalMachine);
    bool on = registry.OpenKey(kRunKeyPath, false) && registry.ValueExists(kAutostartValue) &&
              registry.ReadString(kAutostartValue) == exePath;
    registry.CloseKey();
    return on;
}

int TaskRecordBound(RegistryAccessor& registry, std::int32_t taskNum) {
    if (taskNum <= 0) return 0;
    const std::uint32_t values = registry.ValueCount();
    return values < static_cast<std::uint32_t>(taskNum) ? static_cast<int>(values) : taskNum;
}

bool DeleteTaskRecord(RegistryAccessor& registry, StoreOptions& options, int number) {
    if (number < 1 || number > options.TaskNum) return false;
    OpenStore(registry);
    const int last = TaskRecordBound(registry, options.TaskNum);
    if (number > last) {
        registry.CloseKey();
        return false;
    }
    static constexpr char kLetters[] = {'A', 'B', 'C', 'D'};
    for (int m = number + 1; m <= last; ++m) {
        for (char letter : kLetters)
            registry.WriteString(TaskValueName(letter, m - 1), registry.ReadString(TaskValueName(letter, m)));
    }
    for (char letter : kLetters) registry.DeleteValue(TaskValueName(letter, last));
    options.TaskNum = last - 1;
    registry.WriteInteger(kTaskNumValue, options.TaskNum);
    registry.CloseKey();
    return true;
}

void SetTaskState(RegistryAccessor& registry, int number, const std::string& state) {
    OpenStore(registry);
    registry.WriteString(TaskValueName('D', number), state);
    registry.CloseKey();
}

SavedTask SaveTaskRecord(RegistryAccessor& registry, StoreOptions& options, int number, const std::string& a,
                         const std::string& b, const std::string& c) {
    OpenStore(registry);
    SavedTask saved;
    if (number >= 1 && number <= options.TaskNum) {
        saved.number = number;
        for (char letter : {'A', 'B', 'C'}) registry.WriteString(TaskValueName(letter, number), "");
        saved.state = registry.ReadString(TaskValueName('D', number));
    } else {
        saved.number = TaskRecordBound(registry, options.TaskNum) + 1;
        registry.WriteInteger(kTaskNumValue, saved.number);
        options.TaskNum = saved.number;
    }
    registry.WriteString(TaskValueName('A', saved.number), a);
    registry.WriteString(TaskValueName('B', saved.number), b);
    registry.WriteString(TaskValueName('C', saved.number), c);
    if (saved.state.empty()) {
        saved.state = kStateEnabled;
        registry.WriteString(TaskValueName('D', saved.number), saved.state);
    }
    registry.CloseKey();
    return saved;
}
