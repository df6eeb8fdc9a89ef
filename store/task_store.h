// The store: the program's registry key under HKEY_LOCAL_MACHINE, the
// numbered task records in it, and the in-memory copies of its options. A
// task is the four values A n (its schedule), B n (its type), C n (its
// attribute) and D n (its state); nothing outside this module names them.
//
// One TaskStore serves every reader and writer. It opens its key for each
// operation and closes it after, so that no caller depends on a key another
// one left open, and it makes every change whole or not at all:
// - a replacing import writes the whole new store under the sibling key
//   "Tempiro.new" and swaps it in by renaming the two keys;
// - every other change is first written, value by value, under the sibling
//   key "Tempiro.change", marked complete there with "*commit", and only then
//   carried into the store key, after which the sibling goes.
// A program killed in the middle leaves one of these siblings behind; the next
// start (Load) completes a change that was marked complete and drops one that
// was not, so the store holds the old or the new state, every record whole.
// A write that fails midway is undone at once.
#pragma once

#include "platform/registry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr char kStoreKeyPath[] = "\\Software\\Qelvora\\Tempiro";
inline constexpr char kTaskNumValue[] = "TaskNum";

// The four values of a task, in their order.
enum class TaskField { Schedule, Type, Attribute, State };
inline constexpr TaskField kTaskFields[] = {TaskField::Schedule, TaskField::Type, TaskField::Attribute,
                                           TaskField::State};

// The name of one value of record `number`: "A12", "D3". The settings file
// names its task lines the same way.
std::string TaskValueName(TaskField field, std::int64_t number);

struct TaskRecord {
    std::string schedule, type, attribute, state;  // A, B, C, D
    bool operator==(const TaskRecord&) const = default;
};

struct StoreOptions;
struct LoadReport;
struct SettingsChoice;

// One task value as the import takes it from a file, record `number` counted
// from 1 within the file; a value the file lacks is not written.
struct ImportedValue {
    std::int32_t number;
    TaskField field;
    std::string text;
};

// What the last start found of a change a kill interrupted.
enum class Recovery { None, Completed, Undone };

struct SavedTask {
    int number = 0;
    std::string state;
};

class TaskStore {
public:
    // `options` are the in-memory copies the rest of the program reads; only
    // this store writes them.
    TaskStore(RegistryBackend& backend, StoreOptions& options) : backend_(backend), options_(options) {}
    TaskStore(const TaskStore&) = delete;
    TaskStore& operator=(const TaskStore&) = delete;

    const StoreOptions& options() const { return options_; }
    // Counts every change made through this store, so that a walk over the
    // records can tell that the store changed under it.
    std::uint64_t generation() const { return generation_; }

    // Start: completes or undoes a change a kill interrupted, then loads the
    // options, writing the default of a missing one. A load that is to write
    // nothing (the export from the command line, which runs beside a running
    // copy, whose change in progress it must leave alone) mends nothing.
    LoadReport Load(bool writeMissing = true);
    Recovery recovery() const { return recovery_; }

    // The store key held open for one walk over the records (the tick, the
    // task list, the export), so that each read costs one registry call.
    class Reader {
    public:
        explicit Reader(TaskStore& store);
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        // The highest task number worth reading: TaskNum, but never more
        // than the values the key holds (a record present has at least its A).
        int bound() const { return bound_; }
        // A value of the wrong type throws StoreError, a missing one reads empty.
        std::string Field(int number, TaskField field);
        TaskRecord Record(int number);
        RegistryAccessor& registry() { return registry_; }

    private:
        RegistryAccessor registry_;
        int bound_ = 0;
    };

    TaskRecord Read(int number);

    // Writes a task composed in the editor: over record `number` when it is
    // one (its state kept), otherwise as a new record after the last, enabled.
    // Returns the number written and the state the record now has.
    SavedTask Save(int number, const std::string& a, const std::string& b, const std::string& c);
    // Removes record n and moves the records above it down by one. Returns
    // false and changes nothing when n is not a record number.
    bool Delete(int number);
    void SetState(int number, const std::string& state);

    // The import: the options and the `count` records of a file, in place of
    // the present records or after them. The options are replaced in both.
    void ReplaceAll(const StoreOptions& options, std::int32_t count, std::vector<ImportedValue> values);
    void AppendAll(const StoreOptions& options, std::int32_t count, std::vector<ImportedValue> values);

    // The settings window's OK: the options it shows (the text only when it
    // changed; the in-memory kaiji stays as loaded). The autostart box is
    // store/autostart.h's.
    void SaveOptions(const SettingsChoice& choice);

    // The registry for keys outside the store (the Run key of the autostart).
    RegistryAccessor Accessor() { return RegistryAccessor(backend_); }

private:
    struct Write {
        std::string name;
        std::optional<RegValue> value;  // none: the value is deleted
    };
    void Commit(const std::vector<Write>& writes);
    void Swap(const std::vector<std::pair<std::string, RegValue>>& values);
    Recovery Recover();
    // Mends what an earlier change of this run left (a failed undo), or
    // refuses the next change, naming `firstName` as its write.
    void MendBefore(const std::string& firstName);
    int Bound(RegistryAccessor& registry) const;

    RegistryBackend& backend_;
    StoreOptions& options_;
    std::uint64_t generation_ = 0;
    Recovery recovery_ = Recovery::None;
};

// The highest task number worth reading in the open store key: TaskNum, but
// never more than the values the key holds, so that a TaskNum out of all
// proportion to the key costs nothing. 0 when TaskNum is not positive or the
// count cannot be had.
int TaskRecordBound(RegistryAccessor& registry, std::int32_t taskNum);

// The highest number that has any of the values A n to D n in the open key,
// walking no further than the key's values allow.
int PresentTaskRecords(RegistryAccessor& registry);

// Selects HKEY_LOCAL_MACHINE and opens the store key, creating it when missing.
bool OpenStore(RegistryAccessor& registry);
