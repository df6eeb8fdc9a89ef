#include "store/options.h"

#include <array>

StoreOptions::StoreOptions() {
    for (const OptionSpec& spec : kOptionTable) {
        if (spec.integer) this->*spec.integer = spec.defaultNumber;
    }
}

LoadReport LoadOptions(RegistryAccessor& registry, StoreOptions& options, bool writeMissing) {
    options = StoreOptions{};
    LoadReport report;
    report.keyOpened = OpenStore(registry);
    if (!report.keyOpened) return report;
    report.readOnly = registry.KeyReadOnly();
    for (const OptionSpec& spec : kOptionTable) {
        const bool exists = registry.ValueExists(spec.name);
        try {
            if (exists) {
                if (spec.text)
                    options.*spec.text = registry.ReadString(spec.name);
                else
                    options.*spec.integer = registry.ReadInteger(spec.name);
            } else if (!writeMissing) {
                continue;
            } else if (spec.text) {
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

