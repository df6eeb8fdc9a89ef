// Every change to the store is whole or not at all: after the program dies at
// any change it makes, and after any one write that fails.
#include "store/task_store.h"

#include "platform/fake_registry.h"
#include "platform/fake_text_files.h"
#include "store/options.h"
#include "store/settings_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr char kStore[] = "Software\\Qelvora\\Tempiro";
const char* const kSiblings[] = {"Software\\Qelvora\\Tempiro.new", "Software\\Qelvora\\Tempiro.old",
                                 "Software\\Qelvora\\Tempiro.change"};

// The store key's values as text, by name.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take(const FakeRegistry& backend) {
    Snapshot values;
    for (const std::string& name : backend.ValueNames(kHklm, kStore)) {
        const RegValue value = *backend.Get(kHklm, kStore, name);
        values[name] = value.type == RegType::Dword ? std::to_string(value.dword) : value.text;
    }
    return values;
}

bool SiblingLeft(const FakeRegistry& backend) {
    for (const char* path : kSiblings)
        if (backend.KeyExists(kHklm, path)) return true;
    return false;
}

// A sibling that holds something: one left empty is dropped without a word.
bool ChangeLeft(const FakeRegistry& backend) {
    for (const char* path : kSiblings)
        if (!backend.ValueNames(kHklm, path).empty()) return true;
    return false;
}

// Three tasks and the six options, as a start leaves them.
void PutStore(FakeRegistry& backend) {
    const char* const texts[3][4] = {{"每天9时0分", "关闭计算机", "OLD-1", "启用"},
                                     {"每天9时1分", "提醒", "OLD-2", "禁用"},
                                     {"每天9时2分", "打开文件", "OLD-3", "启用"}};
    for (int n = 1; n <= 3; ++n)
        for (int l = 0; l < 4; ++l) backend.Put(kHklm, kStore, TaskValueName(kTaskFields[l], n), StringValue(texts[n - 1][l]));
    StoreOptions options;
    TaskStore(backend, options).Load();
    backend.Put(kHklm, kStore, kTaskNumValue, DwordValue(3));
}

const char kFile[] = "t.txt";
const char kSettings[] =
    "soundpath=C:\\新.wav\r\ntishi=90\r\nshutapp=1\r\nTaskNum=2\r\nkaiji=1\r\nrejian=1\r\n"
    "A1=每隔1分开始0时0分\r\nB1=提醒\r\nC1=NEW-1\r\nD1=启用\r\nA2=每天8时0分\r\nB2=重启计算机\r\nC2=NEW-2\r\nD2=禁用\r\n";

struct Change {
    const char* name;
    std::function<void(TaskStore&, FakeTextFiles&)> run;  // throws StoreError, or Died from the registry
};

void Import(TaskStore& store, FakeTextFiles& files, ImportAnswer answer) {
    const ImportOutcome outcome = ImportSettings(store, files, std::string(kFile), [answer] { return answer; });
    if (outcome.status == ImportStatus::StoreFailed) throw StoreError(outcome.message.text);
}

const Change kChanges[] = {
    {"replacing import", [](TaskStore& s, FakeTextFiles& f) { Import(s, f, ImportAnswer::Replace); }},
    {"appending import", [](TaskStore& s, FakeTextFiles& f) { Import(s, f, ImportAnswer::Append); }},
    {"new task", [](TaskStore& s, FakeTextFiles&) { s.Save(0, "每天10时0分", "关闭计算机", "NEW"); }},
    {"task rewritten", [](TaskStore& s, FakeTextFiles&) { s.Save(2, "每隔1分开始0时0分", "关闭计算机", "NEW"); }},
    {"first task deleted", [](TaskStore& s, FakeTextFiles&) { s.Delete(1); }},
    {"options saved",
     [](TaskStore& s, FakeTextFiles&) {
         SettingsChoice choice{s.options(), false};
         choice.options.tishi = 300;
         choice.options.soundpath = "D:\\新.wav";
         choice.options.shutapp = choice.options.kaiji = choice.options.rejian = 1;
         s.SaveOptions(choice);
     }},
};

struct Started {
    FakeRegistry backend;
    StoreOptions options;
    TaskStore store{backend, options};
    FakeTextFiles files;
    Started() {
        PutStore(backend);
        store.Load();
        files.files[kFile] = kSettings;
    }
};

// The store and the in-memory options a start loads from it agree.
void ExpectLoadedAsStored(const FakeRegistry& backend, const StoreOptions& options, const std::string& where) {
    const Snapshot stored = Take(backend);
    EXPECT_EQ(stored.at("TaskNum"), std::to_string(options.TaskNum)) << where;
    EXPECT_EQ(stored.at("tishi"), std::to_string(options.tishi)) << where;
    EXPECT_EQ(stored.at("soundpath"), options.soundpath) << where;
}

TEST(TaskStore, AfterDyingAtAnyChangeTheNextStartHoldsTheOldStoreOrTheNewOneWhole) {
    for (const Change& change : kChanges) {
        Started done;
        change.run(done.store, done.files);
        const Snapshot after = Take(done.backend);
        int completed = 0, undone = 0;
        for (int k = 0;; ++k) {
            Started run;
            const Snapshot before = Take(run.backend);
            ASSERT_NE(before, after) << change.name;
            run.backend.diesAfter = k;
            bool died = false;
            try {
                change.run(run.store, run.files);
            } catch (const FakeRegistry::Died&) {
                died = true;
            }
            run.backend.diesAfter = -1;
            const bool left = ChangeLeft(run.backend);

            StoreOptions options;  // the next start
            TaskStore next(run.backend, options);
            next.Load();
            std::string where = change.name;
            where.append(", died after ").append(std::to_string(k));
            const Snapshot now = Take(run.backend);
            EXPECT_TRUE(now == before || now == after) << where;
            EXPECT_FALSE(SiblingLeft(run.backend)) << where;
            EXPECT_EQ(next.recovery() != Recovery::None, left) << where << ": a run-log line exactly when mended";
            if (next.recovery() == Recovery::Completed) {
                EXPECT_EQ(now, after) << where;
            }
            if (next.recovery() == Recovery::Undone) {
                EXPECT_EQ(now, before) << where;
            }
            completed += next.recovery() == Recovery::Completed;
            undone += next.recovery() == Recovery::Undone;
            ExpectLoadedAsStored(run.backend, options, where);
            if (!died) {
                EXPECT_EQ(now, after) << where;
                break;
            }
        }
        // Each change has moments on both sides of the one that makes it.
        EXPECT_GT(undone, 0) << change.name;
        EXPECT_GT(completed, 0) << change.name;
    }
}

TEST(TaskStore, AWriteRefusedAtAnyPointLeavesTheStoreAsItWasAndSaysWhich) {
    for (const Change& change : kChanges) {
        for (int k = 0;; ++k) {
            Started run;
            const Snapshot before = Take(run.backend);
            const StoreOptions loaded = run.options;
            run.backend.failsAfter = k;
            std::string where = change.name;
            where.append(", refused write ").append(std::to_string(k));
            try {
                change.run(run.store, run.files);
            } catch (const StoreError& e) {
                EXPECT_TRUE(std::string(e.what()).starts_with("Failed to set data for '")) << where << e.what();
                EXPECT_EQ(Take(run.backend), before) << where;
                EXPECT_EQ(run.options.TaskNum, loaded.TaskNum) << where;
                EXPECT_EQ(run.options.tishi, loaded.tishi) << where;
                EXPECT_EQ(run.backend.openKeys(), 0) << where;
                StoreOptions options;
                TaskStore next(run.backend, options);
                next.Load();
                EXPECT_EQ(Take(run.backend), before) << where << ", after the next start";
                continue;
            }
            if (run.backend.failsAfter < 0) continue;  // the refused write was one the change could do without
            break;  // the change made fewer writes than k: it is done
        }
    }
}

// Killed between the renames after something opened the store key and so
// made it anew, empty: the new store is still the one that counts. A load
// that writes nothing (the export beside a running copy) mends nothing.
TEST(TaskStore, BetweenTheRenamesTheNewStoreWinsOverAnEmptyKeyAndOnlyAStartMends) {
    FakeRegistry backend;
    backend.Put(kHklm, "Software\\Qelvora\\Tempiro.new", "TaskNum", DwordValue(1));
    backend.Put(kHklm, "Software\\Qelvora\\Tempiro.new", "A1", StringValue("NEW"));
    backend.Put(kHklm, "Software\\Qelvora\\Tempiro.old", "TaskNum", DwordValue(2));
    StoreOptions options;
    TaskStore store(backend, options);
    store.Load(false);
    EXPECT_EQ(store.recovery(), Recovery::None);
    EXPECT_TRUE(backend.KeyExists(kHklm, kSiblings[0]) && backend.KeyExists(kHklm, kSiblings[1]));
    ASSERT_TRUE(backend.KeyExists(kHklm, kStore)) << "the export's open made an empty store key";

    store.Load();
    EXPECT_EQ(store.recovery(), Recovery::Completed);
    EXPECT_EQ(options.TaskNum, 1);
    EXPECT_EQ(store.Read(1).schedule, "NEW");
    EXPECT_FALSE(SiblingLeft(backend));
}

// Something opens the store key while a replacing import is between its two
// renames, and so makes it anew: an empty key gives way to the new store, one
// that holds values is never deleted.
struct OpenedBetweenTheRenames : FakeRegistry {
    std::optional<RegValue> written;  // what the opener writes into the key it made
    bool RenameKey(RegRoot root, const std::string& path, const std::string& newName) override {
        const bool renamed = FakeRegistry::RenameKey(root, path, newName);
        if (renamed && newName == "Tempiro.old") {
            if (written) Put(root, path, "x", *written);
            else Close(Open(root, path, true));
        }
        return renamed;
    }
};

TEST(TaskStore, AReplaceMeetingAKeyMadeBetweenItsRenamesTakesOnlyAnEmptyOnesPlace) {
    for (const bool holdsValues : {false, true}) {
        OpenedBetweenTheRenames backend;
        if (holdsValues) backend.written = StringValue("y");
        backend.Put(kHklm, kStore, "TaskNum", DwordValue(1));
        backend.Put(kHklm, kStore, "A1", StringValue("OLD"));
        StoreOptions options;
        TaskStore store(backend, options);
        store.Load();
        std::vector<ImportedValue> imported{{1, TaskField::Schedule, "NEW"}};
        if (holdsValues) {
            EXPECT_THROW(store.ReplaceAll(options, 1, imported), StoreError);
            EXPECT_EQ(backend.Get(kHklm, kStore, "x")->text, "y") << "a key with values is not the program's to delete";
            EXPECT_TRUE(backend.KeyExists(kHklm, kSiblings[0]) && backend.KeyExists(kHklm, kSiblings[1]))
                << "both stores kept for the next start";
        } else {
            store.ReplaceAll(options, 1, imported);
            EXPECT_EQ(backend.Get(kHklm, kStore, "A1")->text, "NEW");
            EXPECT_FALSE(SiblingLeft(backend));
        }
        EXPECT_EQ(backend.openKeys(), 0) << holdsValues;
    }
}

// A replace another copy left unfinished (the command-line import, killed)
// goes before this copy's next change, which lands whole.
TEST(TaskStore, AChangeFirstMendsWhatAKilledReplaceLeft) {
    Started run;
    run.backend.Put(kHklm, kSiblings[0], "TaskNum", DwordValue(9));
    run.store.Save(1, "每天9时0分", "提醒", "x");
    EXPECT_FALSE(SiblingLeft(run.backend));
    EXPECT_EQ(run.store.Read(1).attribute, "x");
    EXPECT_EQ(run.options.TaskNum, 3);
}

TEST(TaskStore, ATickWalkStopsWhenTheStoreChangesUnderIt) {
    Started run;
    TaskStore::Reader reader(run.store);
    const std::uint64_t generation = run.store.generation();
    EXPECT_EQ(reader.bound(), 3);
    run.store.SetState(1, "禁用");
    EXPECT_NE(run.store.generation(), generation);
    EXPECT_EQ(reader.Field(1, TaskField::State), "禁用") << "each operation opens its own key";
}

}  // namespace
