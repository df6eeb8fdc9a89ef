#include "store/options.h"

#include "platform/fake_registry.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr char kStore[] = "Software\\Qelvora\\Tempiro";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegRoot kHklm = RegRoot::LocalMachine;

class StoreTest : public ::testing::Test {
protected:
    FakeRegistry backend;
    RegistryAccessor registry{backend};
    StoreOptions options;
    TaskStore store{backend, options};

    std::string Text(const std::string& name) {
        auto value = backend.Get(kHklm, kStore, name);
        return value ? value->text : "(missing)";
    }
    std::uint32_t Number(const std::string& name) {
        auto value = backend.Get(kHklm, kStore, name);
        return value && value->type == RegType::Dword ? value->dword : 0xDEADBEEF;
    }
    void PutRecord(int n, const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        backend.Put(kHklm, kStore, TaskValueName(TaskField::Schedule, n), StringValue(a));
        backend.Put(kHklm, kStore, TaskValueName(TaskField::Type, n), StringValue(b));
        backend.Put(kHklm, kStore, TaskValueName(TaskField::Attribute, n), StringValue(c));
        backend.Put(kHklm, kStore, TaskValueName(TaskField::State, n), StringValue(d));
    }
    void PutAllOptions() {
        backend.Put(kHklm, kStore, "shutapp", DwordValue(1));
        backend.Put(kHklm, kStore, "soundpath", StringValue("C:\\警告.wav"));
        backend.Put(kHklm, kStore, "tishi", DwordValue(30));
        backend.Put(kHklm, kStore, "TaskNum", DwordValue(4));
        backend.Put(kHklm, kStore, "kaiji", DwordValue(2));
        backend.Put(kHklm, kStore, "rejian", DwordValue(1));
        backend.Put(kHklm, kStore, "buzuo", DwordValue(1));
        backend.Put(kHklm, kStore, "banben", DwordValue(5));
    }
};

TEST_F(StoreTest, LoadOptions_FirstStartCreatesTheKeyWithExactlyTheDefaults) {
    LoadReport report = LoadOptions(registry, options);
    EXPECT_TRUE(report.ok());
    auto names = backend.ValueNames(kHklm, kStore);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TaskNum", "banben", "buzuo", "kaiji", "rejian", "shutapp", "soundpath",
                                               "tishi"}));
    EXPECT_EQ(Number("buzuo"), 0u) << "no catching up unless asked for";
    EXPECT_EQ(Number("banben"), 0u) << "every version is kept unless asked otherwise";
    EXPECT_EQ(Number("shutapp"), 0u);
    EXPECT_EQ(Text("soundpath"), "");
    EXPECT_EQ(Number("tishi"), 60u);
    EXPECT_EQ(Number("TaskNum"), 0u);
    EXPECT_EQ(Number("kaiji"), 0u);
    EXPECT_EQ(Number("rejian"), 0u);
    EXPECT_EQ(backend.openKeys(), 1) << "the store key stays open after loading";
}

TEST_F(StoreTest, LoadOptions_AStartWithAllPresentReadsThemAndWritesNothing) {
    PutAllOptions();
    options.TaskNum = 99;  // stale copy from before; loading starts from the defaults
    LoadOptions(registry, options);
    EXPECT_EQ(backend.writes, 0);
    EXPECT_EQ(options.shutapp, 1);
    EXPECT_EQ(options.soundpath, "C:\\警告.wav");
    EXPECT_EQ(options.tishi, 30);
    EXPECT_EQ(options.TaskNum, 4);
    EXPECT_EQ(options.kaiji, 2);
    EXPECT_EQ(options.rejian, 1);
    EXPECT_EQ(options.buzuo, 1);
    EXPECT_EQ(options.banben, 5);
}

TEST_F(StoreTest, LoadOptions_AMissingOptionAloneIsWrittenWithItsDefault) {
    PutAllOptions();
    OpenStore(registry);
    registry.DeleteValue("tishi");
    backend.writes = 0;
    LoadOptions(registry, options);
    EXPECT_EQ(backend.writes, 1);
    EXPECT_EQ(options.tishi, 60);
    EXPECT_EQ(Number("tishi"), 60u);
    EXPECT_EQ(options.TaskNum, 4);
}

TEST_F(StoreTest, LoadOptions_AnUnavailableStoreLeavesTheDefaultsAndSaysSo) {
    backend.denyOpen = true;
    LoadReport report = LoadOptions(registry, options);
    EXPECT_FALSE(report.keyOpened);
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(options.tishi, 60);
    EXPECT_EQ(options.TaskNum, 0);
}

TEST_F(StoreTest, LoadOptions_UnwritableOrWrongTypedValuesKeepDefaultsAndLoadingGoesOn) {
    backend.Put(kHklm, kStore, "shutapp", StringValue("1"));  // wrong type
    backend.Put(kHklm, kStore, "TaskNum", DwordValue(3));
    backend.denyWrite = true;
    LoadReport report = LoadOptions(registry, options);
    EXPECT_TRUE(report.keyOpened);
    EXPECT_FALSE(report.ok());
    EXPECT_TRUE(report.writeFailed) << "the missing options' defaults could not be written";
    EXPECT_FALSE(report.readOnly) << "the key opened for writing; the writes themselves failed";
    ASSERT_EQ(report.errors.size(), 7u);
    EXPECT_EQ(report.errors[0], "Invalid data type for 'shutapp'");
    EXPECT_EQ(report.errors[1], "Failed to set data for 'soundpath'");
    EXPECT_EQ(options.shutapp, 0);
    EXPECT_EQ(options.TaskNum, 3);
}

TEST_F(StoreTest, LoadOptions_OptionsOfTheWrongTypeAloneAreNamedAndTheStoreStillSaves) {
    backend.Put(kHklm, kStore, "tishi", StringValue("30"));
    backend.Put(kHklm, kStore, "soundpath", DwordValue(1));
    LoadReport report = LoadOptions(registry, options);
    EXPECT_TRUE(report.keyOpened);
    EXPECT_FALSE(report.writeFailed);
    EXPECT_EQ(report.keptDefaults, (std::vector<std::string>{"soundpath", "tishi"}));
    EXPECT_EQ(options.tishi, 60);
    EXPECT_EQ(Number("rejian"), 0u) << "the others were loaded or written";
}

TEST_F(StoreTest, LoadOptions_ATaskNumOfTheWrongTypeCountsTheRecordsPresentAndANewTaskGoesAfterThem) {
    PutAllOptions();
    backend.Put(kHklm, kStore, "TaskNum", StringValue("3"));
    PutRecord(1, "每天10时0分", "提醒", "t1", "启用");
    PutRecord(2, "每天10时0分", "提醒", "t2", "启用");
    PutRecord(3, "每天10时0分", "提醒", "t3", "启用");
    backend.Put(kHklm, kStore, "D4", StringValue("禁用"));  // a record with only its state left
    LoadReport report = LoadOptions(registry, options);
    EXPECT_EQ(report.keptDefaults, (std::vector<std::string>{"TaskNum"}));
    EXPECT_EQ(options.TaskNum, 4);
    EXPECT_EQ(store.Save(0, "每天11时0分", "提醒", "new").number, 5);
    EXPECT_EQ(Text("C3"), "t3");
}

TEST_F(StoreTest, LoadOptions_AKeyThatOpensForReadingAloneLoadsWhatItHoldsAndSaysNothingCanBeSaved) {
    PutAllOptions();
    backend.readOnlyKeys = true;
    LoadReport report = LoadOptions(registry, options);
    EXPECT_TRUE(report.keyOpened);
    EXPECT_TRUE(report.readOnly);
    EXPECT_FALSE(report.ok()) << "every option was read, yet nothing can be saved";
    EXPECT_TRUE(report.errors.empty());
    EXPECT_EQ(options.tishi, 30);
    EXPECT_EQ(options.TaskNum, 4);

    EXPECT_FALSE(report.writeFailed) << "nothing was missing, so nothing was written";

    backend.readOnlyKeys = false;
    report = LoadOptions(registry, options);
    EXPECT_FALSE(report.readOnly);
    EXPECT_TRUE(report.ok());

    // A missing option in a read-only key keeps its default and says so.
    FakeRegistry fresh;
    fresh.Put(kHklm, kStore, "tishi", DwordValue(30));
    fresh.readOnlyKeys = true;
    RegistryAccessor freshRegistry{fresh};
    report = LoadOptions(freshRegistry, options);
    EXPECT_TRUE(report.readOnly);
    EXPECT_TRUE(report.writeFailed);
    EXPECT_EQ(report.keptDefaults.size(), 7u);
    EXPECT_EQ(options.tishi, 30);
    EXPECT_EQ(fresh.writes, 0);
}

TEST_F(StoreTest, TaskRecordBound_IsTaskNumButNeverMoreThanTheValuesTheKeyHolds) {
    PutRecord(1, "每天8时0分", "提醒", "one", "启用");
    PutRecord(2, "每天9时0分", "提醒", "two", "启用");
    PutRecord(3, "每天9时0分", "提醒", "three", "启用");
    backend.Put(kHklm, kStore, "TaskNum", DwordValue(3));
    ASSERT_TRUE(OpenStore(registry));
    EXPECT_EQ(TaskRecordBound(registry, 3), 3);
    EXPECT_EQ(TaskRecordBound(registry, 2), 2) << "TaskNum rules below the count";
    EXPECT_EQ(TaskRecordBound(registry, 13), 13) << "thirteen values";
    EXPECT_EQ(TaskRecordBound(registry, 14), 13);
    EXPECT_EQ(TaskRecordBound(registry, 2147483647), 13);
    EXPECT_EQ(backend.valueCounts, 5) << "one count per call";
    EXPECT_EQ(TaskRecordBound(registry, 0), 0);
    EXPECT_EQ(TaskRecordBound(registry, -2147483647 - 1), 0);
    EXPECT_EQ(backend.valueCounts, 5) << "no records: the key is not asked";
    backend.denyValueCount = true;
    EXPECT_EQ(TaskRecordBound(registry, 3), 0);
    registry.CloseKey();
    backend.denyValueCount = false;
    EXPECT_EQ(TaskRecordBound(registry, 3), 0) << "no key open";
}

TEST_F(StoreTest, DeleteAndSaveTaskRecord_AHugeTaskNumIsBoundByTheKeyAndNeverOverflows) {
    options.TaskNum = 2147483647;
    PutRecord(1, "每天8时0分", "提醒", "one", "启用");
    PutRecord(2, "每天9时0分", "提醒", "two", "启用");
    backend.Put(kHklm, kStore, "TaskNum", DwordValue(2147483647));  // nine values in all

    SavedTask added = store.Save(0, "每天10时0分", "提醒", "new");
    EXPECT_EQ(added.number, 10) << "after the nine values the key held";
    EXPECT_EQ(options.TaskNum, 10);
    EXPECT_EQ(Number("TaskNum"), 10u);
    EXPECT_EQ(Text("C10"), "new");

    options.TaskNum = 2147483647;
    EXPECT_FALSE(store.Delete(14)) << "14 is past the thirteen values";
    EXPECT_EQ(options.TaskNum, 2147483647);
    ASSERT_TRUE(store.Delete(1));
    EXPECT_EQ(Text("C1"), "two");
    EXPECT_EQ(Text("C9"), "new") << "the records up to the bound moved down";
    EXPECT_EQ(Text("A13"), "(missing)");
    EXPECT_EQ(options.TaskNum, 12);
    EXPECT_EQ(Number("TaskNum"), 12u);

    options.TaskNum = -5;
    SavedTask first = store.Save(0, "每天11时0分", "提醒", "neg");
    EXPECT_EQ(first.number, 1) << "a negative TaskNum never makes record 0 or below";
}

TEST_F(StoreTest, DeleteTaskRecord_MovesTheRecordsAboveDownByOne) {
    options.TaskNum = 4;
    backend.Put(kHklm, kStore, "TaskNum", DwordValue(4));
    for (int n = 1; n <= 4; ++n) PutRecord(n, DailyText(8, n), "提醒", std::string(1, 'c').append(std::to_string(n)), "启用");
    backend.Put(kHklm, kStore, "D3", StringValue("禁用"));

    ASSERT_TRUE(store.Delete(2));
    EXPECT_EQ(Text("A2"), "每天8时3分");
    EXPECT_EQ(Text("C2"), "c3");
    EXPECT_EQ(Text("D2"), "禁用");
    EXPECT_EQ(Text("A3"), "每天8时4分");
    EXPECT_EQ(Text("A1"), "每天8时1分");
    for (const char* name : {"A4", "B4", "C4", "D4"}) EXPECT_EQ(Text(name), "(missing)") << name;
    EXPECT_EQ(options.TaskNum, 3);
    EXPECT_EQ(Number("TaskNum"), 3u);
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(StoreTest, DeleteTaskRecord_TheLastRecordLosesOnlyItsFourValues) {
    options.TaskNum = 2;
    PutRecord(1, "每天8时0分", "提醒", "one", "启用");
    PutRecord(2, "每天9时0分", "提醒", "two", "启用");
    ASSERT_TRUE(store.Delete(2));
    EXPECT_EQ(Text("C1"), "one");
    EXPECT_EQ(Text("A2"), "(missing)");
    EXPECT_EQ(Number("TaskNum"), 1u);
    EXPECT_EQ(backend.ValueNames(kHklm, kStore).size(), 5u) << "record 1 and TaskNum";
    EXPECT_FALSE(backend.KeyExists(kHklm, "Software\\Qelvora\\Tempiro.change")) << "the change is over";
}

TEST_F(StoreTest, DeleteTaskRecord_AMissingValueAboveMovesDownAsAnEmptyValue) {
    options.TaskNum = 3;
    PutRecord(1, "每天8时0分", "提醒", "one", "启用");
    PutRecord(2, "每天9时0分", "提醒", "two", "启用");
    backend.Put(kHklm, kStore, "A3", StringValue("每天10时0分"));
    backend.Put(kHklm, kStore, "B3", StringValue("提醒"));
    backend.Put(kHklm, kStore, "D3", StringValue("启用"));  // no C3
    ASSERT_TRUE(store.Delete(1));
    EXPECT_EQ(Text("A2"), "每天10时0分");
    EXPECT_EQ(Text("C2"), "");
    EXPECT_EQ(Text("C1"), "two");
}

TEST_F(StoreTest, DeleteTaskRecord_ANumberOutsideTheRecordsChangesNothing) {
    options.TaskNum = 2;
    PutRecord(1, "每天8时0分", "提醒", "one", "启用");
    PutRecord(2, "每天9时0分", "提醒", "two", "启用");
    EXPECT_FALSE(store.Delete(3));
    EXPECT_FALSE(store.Delete(0));
    EXPECT_EQ(backend.writes, 0);
    EXPECT_EQ(options.TaskNum, 2);
    EXPECT_EQ(Text("C2"), "two");
}

TEST_F(StoreTest, SetTaskState_WritesOnlyTheStateOfThatRecord) {
    PutRecord(5, "每天8时0分", "提醒", "x", "启用");
    store.SetState(5, "禁用");
    EXPECT_EQ(Text("D5"), "禁用");
    EXPECT_EQ(backend.writes, 1);
}

TEST_F(StoreTest, SaveTaskRecord_AddsAtTheEndOrRewritesInPlaceKeepingTheState) {
    options.TaskNum = 2;
    PutRecord(1, "每天8时0分", "提醒", "one", "禁用");
    PutRecord(2, "每天9时0分", "提醒", "two", "");
    SavedTask added = store.Save(0, "每天10时0分", "打开文件", "a.txt");
    EXPECT_EQ(added.number, 3);
    EXPECT_EQ(added.state, "启用");
    EXPECT_EQ(Number("TaskNum"), 3u);
    EXPECT_EQ(Text("C3"), "a.txt");
    EXPECT_EQ(Text("D3"), "启用");

    SavedTask kept = store.Save(1, "每天11时0分", "提醒", "new one");
    EXPECT_EQ(kept.number, 1);
    EXPECT_EQ(kept.state, "禁用") << "an edited task keeps its state";
    EXPECT_EQ(Text("D1"), "禁用");
    EXPECT_EQ(Text("A1"), "每天11时0分");
    SavedTask filled = store.Save(2, "每天12时0分", "提醒", "two");
    EXPECT_EQ(filled.state, "启用") << "an empty state becomes enabled";
    EXPECT_EQ(options.TaskNum, 3);

    SavedTask last = store.Save(3, "每天9时9分", "提醒", "last");
    EXPECT_EQ(last.number, 3) << "the last record is rewritten in place";
    EXPECT_EQ(Text("C3"), "last");
    EXPECT_EQ(options.TaskNum, 3);

    SavedTask beyond = store.Save(4, "每天13时0分", "提醒", "gone");
    EXPECT_EQ(beyond.number, 4) << "a number that is no record any more is added at the end";
    EXPECT_EQ(Number("TaskNum"), 4u);
    EXPECT_EQ(backend.openKeys(), 0);
}

class SaveOptionsTest : public StoreTest {
protected:
    SettingsChoice choice;
    void SetUp() override {
        PutAllOptions();
        LoadOptions(registry, options);
        registry.CloseKey();
        backend.writes = 0;
        choice.options.tishi = 120;
        choice.options.kaiji = 1;
        choice.options.soundpath = options.soundpath;
    }
};

TEST_F(SaveOptionsTest, WritesTheOptionsButLeavesTheLoadedKaijiInMemory) {
    store.SaveOptions(choice);
    EXPECT_EQ(Number("kaiji"), 1u);
    EXPECT_EQ(options.kaiji, 2);
    EXPECT_EQ(Number("tishi"), 120u);
    EXPECT_EQ(options.tishi, 120);
    EXPECT_EQ(Number("shutapp"), 0u);
    EXPECT_EQ(options.shutapp, 0);
    EXPECT_EQ(Number("rejian"), 0u);
    EXPECT_EQ(options.rejian, 0);
    EXPECT_EQ(Number("buzuo"), 0u);
    EXPECT_EQ(options.buzuo, 0) << "the two options after the six take effect at once";
    EXPECT_EQ(Number("banben"), 0u);
    EXPECT_EQ(options.banben, 0);
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(SaveOptionsTest, AnUnchangedSoundPathIsNotWrittenAndAChangedOneIs) {
    backend.Put(kHklm, kStore, "soundpath", StringValue("changed elsewhere"));
    store.SaveOptions(choice);
    EXPECT_EQ(Text("soundpath"), "changed elsewhere") << "the text the window showed had not changed";

    choice.options.soundpath = "C:\\警告2.wav";
    store.SaveOptions(choice);
    EXPECT_EQ(Text("soundpath"), "C:\\警告2.wav");
    EXPECT_EQ(options.soundpath, "C:\\警告2.wav");
}

TEST_F(StoreTest, SaveOptions_EveryBoxTickedOnAStoreWithoutTheRunKey) {
    LoadOptions(registry, options);
    ASSERT_FALSE(backend.KeyExists(kHklm, kRun));
    SettingsChoice all{options, true};
    all.options.tishi = 90;
    all.options.kaiji = all.options.shutapp = all.options.rejian = all.options.buzuo = 1;
    all.options.banben = 3;
    store.SaveOptions(all);
    EXPECT_EQ(Number("shutapp"), 1u);
    EXPECT_EQ(Number("rejian"), 1u);
    EXPECT_EQ(Number("kaiji"), 1u);
    EXPECT_EQ(Number("tishi"), 90u);
    EXPECT_EQ(options.shutapp, 1);
    EXPECT_EQ(options.rejian, 1);
    EXPECT_EQ(options.buzuo, 1);
    EXPECT_EQ(Number("banben"), 3u);
    EXPECT_EQ(options.banben, 3);
}

TEST_F(SaveOptionsTest, AFailedWriteEndsTheCommandWithItsText) {
    backend.denyWrite = true;
    try {
        store.SaveOptions(choice);
        FAIL() << "no error";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'kaiji'");
    }
}

}  // namespace
