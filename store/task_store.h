// The store: the program's registry key under HKEY_LOCAL_MACHINE and the
// numbered task records in it. A task is the four values A n (its schedule),
// B n (its type), C n (its attribute) and D n (its state); nothing outside
// this module names them.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>

inline constexpr char kStoreKeyPath[] = "\\Software\\Qelvora\\Tempiro";
inline constexpr char kTaskNumValue[] = "TaskNum";

// Selects HKEY_LOCAL_MACHINE and opens the store key, creating it when missing.
bool OpenStore(RegistryAccessor& registry);

// Holds the store key open, and closes it however the command ends.
class OpenedStore {
public:
    explicit OpenedStore(RegistryAccessor& registry) : registry_(registry), opened_(OpenStore(registry)) {}
    ~OpenedStore() { registry_.CloseKey(); }
    OpenedStore(const OpenedStore&) = delete;
    OpenedStore& operator=(const OpenedStore&) = delete;
    bool opened() const { return opened_; }

private:
    RegistryAccessor& registry_;
    const bool opened_;
};

// The four values of a task, in their order.
enum class TaskField { Schedule, Type, Attribute, State };
inline constexpr TaskField kTaskFields[] = {TaskField::Schedule, TaskField::Type, TaskField::Attribute,
                                           TaskField::State};

// The name of one value of record `number`: "A12", "D3". The settings file
// names its task lines the same way.
std::string TaskValueName(TaskField field, std::int64_t number);

struct TaskRecord {
    std::string schedule, type, attribute, state;  // A, B, C, D
};

// Reads from the open store key; a value of the wrong type throws StoreError,
// a missing one reads empty.
std::string ReadTaskField(RegistryAccessor& registry, int number, TaskField field);
TaskRecord ReadTaskRecord(RegistryAccessor& registry, int number);

// The highest task number worth reading in the open store key: TaskNum,
// but never more than the values the key holds (a record present has at
// least its A), so that a TaskNum out of all proportion to the key costs
// nothing. Asks the key for its value count once; 0 when TaskNum is not
// positive or the count cannot be had. Every walk over the task numbers
// (the tick, the task list, export, import) goes from 1 to this bound.
int TaskRecordBound(RegistryAccessor& registry, std::int32_t taskNum);

// The highest number that has any of the values A n to D n in the open key,
// walking no further than the key's values allow.
int PresentTaskRecords(RegistryAccessor& registry);

// Removes record n and moves the records above it down by one, up to the
// bound above, which then less one is the new TaskNum (in `taskNum` and the
// store). Returns false and changes nothing when n is not a record number.
bool DeleteTaskRecord(RegistryAccessor& registry, std::int32_t& taskNum, int number);

void SetTaskState(RegistryAccessor& registry, int number, const std::string& state);

// Writes a task composed in the editor: over record `number` when it is one
// (A, B and C are emptied first and its state kept), otherwise as a new
// record after the bound above (TaskNum is set to its number and written
// first). Then A, B, C, and D "启用" when the record had no state. Returns
// the number written and the state the record now has.
struct SavedTask {
    int number = 0;
    std::string state;
};
SavedTask SaveTaskRecord(RegistryAccessor& registry, std::int32_t& taskNum, int number, const std::string& a,
                         const std::string& b, const std::string& c);
