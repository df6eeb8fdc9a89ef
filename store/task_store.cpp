#include "store/task_store.h"

#include "store/task_texts.h"

bool OpenStore(RegistryAccessor& registry) {
    registry.SetRoot(RegRoot::LocalMachine);
    return registry.OpenKey(kStoreKeyPath, true);
}

std::string TaskValueName(TaskField field, std::int64_t number) {
    std::string name(1, static_cast<char>('A' + static_cast<int>(field)));
    name += std::to_string(number);
    return name;
}

std::string ReadTaskField(RegistryAccessor& registry, int number, TaskField field) {
    return registry.ReadString(TaskValueName(field, number));
}

TaskRecord ReadTaskRecord(RegistryAccessor& registry, int number) {
    return {ReadTaskField(registry, number, TaskField::Schedule), ReadTaskField(registry, number, TaskField::Type),
            ReadTaskField(registry, number, TaskField::Attribute), ReadTaskField(registry, number, TaskField::State)};
}

int TaskRecordBound(RegistryAccessor& registry, std::int32_t taskNum) {
    if (taskNum <= 0) return 0;
    const std::uint32_t values = registry.ValueCount();
    return values < static_cast<std::uint32_t>(taskNum) ? static_cast<int>(values) : taskNum;
}

int PresentTaskRecords(RegistryAccessor& registry) {
    const int bound = TaskRecordBound(registry, INT32_MAX);
    int last = 0;
    for (int n = 1; n <= bound; ++n) {
        for (TaskField field : kTaskFields) {
            if (registry.ValueExists(TaskValueName(field, n))) {
                last = n;
                break;
            }
        }
    }
    return last;
}

bool DeleteTaskRecord(RegistryAccessor& registry, std::int32_t& taskNum, int number) {
    if (number < 1 || number > taskNum) return false;
    OpenedStore store(registry);
    const int last = TaskRecordBound(registry, taskNum);
    if (number > last) return false;
    for (int m = number + 1; m <= last; ++m) {
        for (TaskField field : kTaskFields)
            registry.WriteString(TaskValueName(field, m - 1), ReadTaskField(registry, m, field));
    }
    for (TaskField field : kTaskFields) registry.DeleteValue(TaskValueName(field, last));
    taskNum = last - 1;
    registry.WriteInteger(kTaskNumValue, taskNum);
    return true;
}

void SetTaskState(RegistryAccessor& registry, int number, const std::string& state) {
    OpenedStore store(registry);
    registry.WriteString(TaskValueName(TaskField::State, number), state);
}

SavedTask SaveTaskRecord(RegistryAccessor& registry, std::int32_t& taskNum, int number, const std::string& a,
                         const std::string& b, const std::string& c) {
    OpenedStore store(registry);
    SavedTask saved;
    if (number >= 1 && number <= taskNum) {
        saved.number = number;
        for (TaskField field : {TaskField::Schedule, TaskField::Type, TaskField::Attribute})
            registry.WriteString(TaskValueName(field, number), "");
        saved.state = ReadTaskField(registry, number, TaskField::State);
    } else {
        saved.number = TaskRecordBound(registry, taskNum) + 1;
        registry.WriteInteger(kTaskNumValue, saved.number);
        taskNum = saved.number;
    }
    registry.WriteString(TaskValueName(TaskField::Schedule, saved.number), a);
    registry.WriteString(TaskValueName(TaskField::Type, saved.number), b);
    registry.WriteString(TaskValueName(TaskField::Attribute, saved.number), c);
    if (saved.state.empty()) {
        saved.state = kStateEnabled;
        registry.WriteString(TaskValueName(TaskField::State, saved.number), saved.state);
    }
    return saved;
}
