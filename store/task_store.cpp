#include "store/task_store.h"

#include "store/options.h"
#include "store/task_texts.h"

#include <algorithm>
#include <array>

namespace {

// The store key and its siblings, by path from HKEY_LOCAL_MACHINE.
constexpr char kStorePath[] = "Software\\Qelvora\\Tempiro";
constexpr char kStoreName[] = "Tempiro";
constexpr char kNewPath[] = "Software\\Qelvora\\Tempiro.new";  // a replacing import being written
constexpr char kOldPath[] = "Software\\Qelvora\\Tempiro.old";  // the store it replaces, until it goes
constexpr char kOldName[] = "Tempiro.old";
constexpr char kChangePath[] = "Software\\Qelvora\\Tempiro.change";  // any other change being made
// Values of the change key beside the store's own; no store value begins with "*".
constexpr char kCommitValue[] = "*commit";  // written last: the change is whole and is to be carried out
constexpr char kDeleteValue[] = "*delete";  // the names the change deletes, one a line

bool KeyExists(RegistryBackend& backend, const char* path) {
    const RegKey key = backend.Open(RegRoot::LocalMachine, path, false);
    if (key == kNoKey) return false;
    backend.Close(key);
    return true;
}

bool HoldsValues(RegistryBackend& backend, const char* path) {
    const RegKey key = backend.Open(RegRoot::LocalMachine, path, false);
    if (key == kNoKey) return false;
    const bool any = backend.ValueCount(key).value_or(1) > 0;
    backend.Close(key);
    return any;
}

void Open(RegistryAccessor& registry, const char* path) {
    registry.SetRoot(RegRoot::LocalMachine);
    registry.OpenKey(std::string("\\") + path, true);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Carries a whole change out of the change key into the store key.
void CarryOut(RegistryAccessor& change, RegistryAccessor& store, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.empty() || name.front() == '*') continue;
        store.Put(name, change.Query(name));
    }
    for (const std::string& name : Lines(change.ReadString(kDeleteValue))) store.Put(name, std::nullopt);
}

}  // namespace

bool OpenStore(RegistryAccessor& registry) {
    registry.SetRoot(RegRoot::LocalMachine);
    return registry.OpenKey(kStoreKeyPath, true);
}

std::string TaskValueName(TaskField field, std::int64_t number) {
    std::string name(1, static_cast<char>('A' + static_cast<int>(field)));
    name += std::to_string(number);
    return name;
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

int TaskStore::Bound(RegistryAccessor& registry) const { return TaskRecordBound(registry, options_.TaskNum); }

TaskStore::Reader::Reader(TaskStore& store) : registry_(store.backend_) {
    OpenStore(registry_);
    bound_ = store.Bound(registry_);
}

TaskStore::Reader::~Reader() { registry_.CloseKey(); }

std::string TaskStore::Reader::Field(int number, TaskField field) {
    return registry_.ReadString(TaskValueName(field, number));
}

TaskRecord TaskStore::Reader::Record(int number) {
    return {Field(number, TaskField::Schedule), Field(number, TaskField::Type), Field(number, TaskField::Attribute),
            Field(number, TaskField::State)};
}

TaskRecord TaskStore::Read(int number) { return Reader(*this).Record(number); }

LoadReport TaskStore::Load(bool writeMissing) {
    recovery_ = writeMissing ? Recover() : Recovery::None;
    RegistryAccessor registry(backend_);
    LoadReport report = LoadOptions(registry, options_, writeMissing);
    registry.CloseKey();
    return report;
}

// What a kill can leave, in the order of the steps that leave it:
// - "Tempiro.new" alone: the new store was not yet whole; it goes.
// - "Tempiro.new" and "Tempiro.old": killed between the two renames; the new
//   store is whole (the store is set aside only then) and takes the store's
//   name, in place of any key an open made meanwhile.
// - "Tempiro.old" beside the store: the swap was done; the old store goes.
// - "Tempiro.change" without "*commit": the change goes, the store never saw
//   any of it; with "*commit": the change is carried out again, whole.
// A sibling found empty goes without a word.
Recovery TaskStore::Recover() {
    Recovery recovery = Recovery::None;
    try {
        const bool fresh = KeyExists(backend_, kNewPath), old = KeyExists(backend_, kOldPath);
        if (fresh && old) {
            if (KeyExists(backend_, kStorePath)) backend_.DeleteKey(RegRoot::LocalMachine, kStorePath);
            if (backend_.RenameKey(RegRoot::LocalMachine, kNewPath, kStoreName)) {
                backend_.DeleteKey(RegRoot::LocalMachine, kOldPath);
                recovery = Recovery::Completed;
            }
        } else if (old) {
            if (KeyExists(backend_, kStorePath)) {
                backend_.DeleteKey(RegRoot::LocalMachine, kOldPath);
                recovery = Recovery::Completed;
            } else if (backend_.RenameKey(RegRoot::LocalMachine, kOldPath, kStoreName)) {
                recovery = Recovery::Undone;
            }
        } else if (fresh) {
            if (HoldsValues(backend_, kNewPath)) recovery = Recovery::Undone;
            backend_.DeleteKey(RegRoot::LocalMachine, kNewPath);
        }
        if (KeyExists(backend_, kChangePath)) {
            RegistryAccessor change(backend_);
            Open(change, kChangePath);
            const std::vector<std::string> names = change.Names();
            if (change.ValueExists(kCommitValue)) {
                RegistryAccessor store(backend_);
                OpenStore(store);
                CarryOut(change, store, names);
                recovery = Recovery::Completed;
            } else if (!names.empty()) {
                recovery = Recovery::Undone;
            }
            change.CloseKey();
            backend_.DeleteKey(RegRoot::LocalMachine, kChangePath);
        }
    } catch (const StoreError&) {
        // The store could not be mended now; the siblings stay for the next start.
    }
    return recovery;
}

void TaskStore::MendBefore(const std::string& firstName) {
    if (!KeyExists(backend_, kNewPath) && !KeyExists(backend_, kOldPath) && !KeyExists(backend_, kChangePath))
        return;
    Recover();
    if (KeyExists(backend_, kNewPath) || KeyExists(backend_, kOldPath) || KeyExists(backend_, kChangePath))
        throw StoreError(FailedToSetData(firstName));
}

void TaskStore::Commit(const std::vector<Write>& writes) {
    ++generation_;
    MendBefore(writes.empty() ? kTaskNumValue : writes.front().name);
    {
        RegistryAccessor change(backend_);
        Open(change, kChangePath);
        try {
            std::string deleted;
            for (const Write& write : writes) {
                if (write.value)
                    change.Put(write.name, write.value);
                else
                    deleted += (deleted.empty() ? "" : "\n") + write.name;
            }
            if (!deleted.empty()) change.WriteString(kDeleteValue, deleted);
            change.WriteInteger(kCommitValue, 1);
        } catch (const StoreError&) {
            change.CloseKey();
            backend_.DeleteKey(RegRoot::LocalMachine, kChangePath);
            throw;
        }
    }

    RegistryAccessor store(backend_);
    OpenStore(store);
    std::vector<std::optional<RegValue>> before;
    before.reserve(writes.size());
    try {
        for (const Write& write : writes) {
            before.push_back(store.Query(write.name));
            store.Put(write.name, write.value);
        }
    } catch (const StoreError&) {
        // Back to the store as it was; when even that fails, the committed
        // change stays for the next start to carry out.
        try {
            for (size_t i = before.size(); i-- > 0;) store.Put(writes[i].name, before[i]);
            store.CloseKey();
            backend_.DeleteKey(RegRoot::LocalMachine, kChangePath);
        } catch (const StoreError&) {
        }
        throw;
    }
    store.CloseKey();
    backend_.DeleteKey(RegRoot::LocalMachine, kChangePath);
}

void TaskStore::Swap(const std::vector<std::pair<std::string, RegValue>>& values) {
    ++generation_;
    const std::string failed = FailedToSetData(kTaskNumValue);
    MendBefore(kTaskNumValue);
    {
        RegistryAccessor fresh(backend_);
        Open(fresh, kNewPath);
        try {
            for (const auto& [name, value] : values) fresh.Put(name, value);
        } catch (const StoreError&) {
            fresh.CloseKey();
            backend_.DeleteKey(RegRoot::LocalMachine, kNewPath);
            throw;
        }
    }
    if (KeyExists(backend_, kStorePath) && !backend_.RenameKey(RegRoot::LocalMachine, kStorePath, kOldName)) {
        backend_.DeleteKey(RegRoot::LocalMachine, kNewPath);
        throw StoreError(failed);
    }
    if (!backend_.RenameKey(RegRoot::LocalMachine, kNewPath, kStoreName)) {
        // An open in between may have made an empty store key.
        if (KeyExists(backend_, kStorePath) && !HoldsValues(backend_, kStorePath))
            backend_.DeleteKey(RegRoot::LocalMachine, kStorePath);
        if (!backend_.RenameKey(RegRoot::LocalMachine, kNewPath, kStoreName)) {
            // Back as it was; failing that, the next start completes the swap.
            if (!KeyExists(backend_, kStorePath) && backend_.RenameKey(RegRoot::LocalMachine, kOldPath, kStoreName))
                backend_.DeleteKey(RegRoot::LocalMachine, kNewPath);
            throw StoreError(failed);
        }
    }
    backend_.DeleteKey(RegRoot::LocalMachine, kOldPath);  // else the next start removes it
}

SavedTask TaskStore::Save(int number, const std::string& a, const std::string& b, const std::string& c) {
    SavedTask saved;
    const bool existing = number >= 1 && number <= options_.TaskNum;
    {
        Reader reader(*this);
        saved.number = existing ? number : reader.bound() + 1;
        if (existing) saved.state = reader.Field(number, TaskField::State);
    }
    std::vector<Write> writes = {{TaskValueName(TaskField::Schedule, saved.number), RegValue{RegType::String, a, 0}},
                                 {TaskValueName(TaskField::Type, saved.number), RegValue{RegType::String, b, 0}},
                                 {TaskValueName(TaskField::Attribute, saved.number), RegValue{RegType::String, c, 0}}};
    if (saved.state.empty()) {
        saved.state = kStateEnabled;
        writes.push_back({TaskValueName(TaskField::State, saved.number), RegValue{RegType::String, saved.state, 0}});
    }
    if (!existing)
        writes.push_back({kTaskNumValue, RegValue{RegType::Dword, {}, static_cast<std::uint32_t>(saved.number)}});
    Commit(writes);
    if (!existing) options_.TaskNum = saved.number;
    return saved;
}

bool TaskStore::Delete(int number) {
    if (number < 1 || number > options_.TaskNum) return false;
    std::vector<Write> writes;
    int last = 0;
    {
        Reader reader(*this);
        last = reader.bound();
        if (number > last) return false;
        for (int m = number + 1; m <= last; ++m) {
            for (TaskField field : kTaskFields)
                writes.push_back({TaskValueName(field, m - 1), RegValue{RegType::String, reader.Field(m, field), 0}});
        }
    }
    for (TaskField field : kTaskFields) writes.push_back({TaskValueName(field, last), std::nullopt});
    writes.push_back({kTaskNumValue, RegValue{RegType::Dword, {}, static_cast<std::uint32_t>(last - 1)}});
    Commit(writes);
    options_.TaskNum = last - 1;
    return true;
}

// One value: the registry writes it whole or not at all.
void TaskStore::SetState(int number, const std::string& state) {
    ++generation_;
    RegistryAccessor registry(backend_);
    OpenStore(registry);
    registry.WriteString(TaskValueName(TaskField::State, number), state);
}

namespace {

RegValue OptionValue(const OptionSpec& spec, const StoreOptions& options) {
    if (spec.text) return {RegType::String, options.*spec.text, 0};
    return {RegType::Dword, {}, static_cast<std::uint32_t>(options.*spec.integer)};
}

void AddRecords(std::vector<std::pair<std::string, RegValue>>& values, std::int64_t base,
                std::vector<ImportedValue>& imported) {
    for (ImportedValue& value : imported)
        values.emplace_back(TaskValueName(value.field, base + value.number),
                            RegValue{RegType::String, std::move(value.text), 0});
}

// Wine keeps a key's values in an array sorted by name and moves every value
// behind the place where one is added: values written in name order into a
// key that lacks them move none of each other, while 25,000 tasks written in
// record order into an empty key took five times as long. Windows keeps no
// sorted array of a key's values, so the order costs nothing there.
void InNameOrder(std::vector<std::pair<std::string, RegValue>>& values) {
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace

void TaskStore::ReplaceAll(const StoreOptions& options, std::int32_t count, std::vector<ImportedValue> imported) {
    StoreOptions stored = options;
    stored.TaskNum = count;
    std::vector<std::pair<std::string, RegValue>> values;
    values.reserve(imported.size() + kOptionCount);
    for (const OptionSpec& spec : kOptionTable) values.emplace_back(spec.name, OptionValue(spec, stored));
    AddRecords(values, 0, imported);
    InNameOrder(values);
    Swap(values);
    options_ = stored;
}

void TaskStore::AppendAll(const StoreOptions& options, std::int32_t count, std::vector<ImportedValue> imported) {
    StoreOptions stored = options;
    const std::int32_t base = Reader(*this).bound();
    stored.TaskNum = base + count;  // the caller keeps the sum within an int32
    std::vector<std::pair<std::string, RegValue>> values;
    values.reserve(imported.size() + kOptionCount);
    AddRecords(values, base, imported);
    InNameOrder(values);
    for (const OptionSpec& spec : kOptionTable) values.emplace_back(spec.name, OptionValue(spec, stored));
    std::vector<Write> writes;
    writes.reserve(values.size());
    for (auto& [name, value] : values) writes.push_back({std::move(name), std::move(value)});
    Commit(writes);
    options_ = stored;
}

void TaskStore::SaveOptions(const SettingsChoice& choice) {
    std::array<const OptionSpec*, kOptionCount> steps{};
    for (const OptionSpec& spec : kOptionTable) {
        if (spec.saveStep >= 0) steps[spec.saveStep] = &spec;
    }
    StoreOptions next = options_;
    std::vector<Write> writes;
    for (const OptionSpec* spec : steps) {
        if (!spec) break;
        if (spec->text) {
            if (choice.options.*spec->text == options_.*spec->text) continue;
            next.*spec->text = choice.options.*spec->text;
        } else if (!spec->readAtStartOnly) {
            next.*spec->integer = choice.options.*spec->integer;
        }
        writes.push_back({spec->name, OptionValue(*spec, choice.options)});
    }
    Commit(writes);
    options_ = next;
}
