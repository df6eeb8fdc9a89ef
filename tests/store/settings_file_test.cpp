#include "store/settings_file.h"

#include "platform/fake_text_files.h"
#include "platform/fake_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <tuple>

namespace {

constexpr char kStore[] = "Software\\Qelvora\\Tempiro";
constexpr RegRoot kHklm = RegRoot::LocalMachine;
const std::string kFile = "D:\\导出\\设置.txt";
const ExportTime kWhen{"2024/5/3", "10:37:05"};

using Record = std::array<std::string, 4>;
const Record kWalk{"每天8时30分", "提醒", "起来走走", "启用"};
const Record kShut{"每周5的23时0分", "关机", "", "禁用"};
const Record kOld1{"每天6时0分", "打开文件", "C:\\a.exe", "启用"};
const Record kOld2{"每天7时0分", "提醒", "旧的提醒", "启用"};
const Record kOld3{"每天9时0分", "注销", "", "禁用"};

// The lines of an exported two-task store, without their line ends.
const std::vector<std::string> kTwoTaskLines = {
    "soundpath=C:\\声音\\警告.wav", "tishi=30", "shutapp=1", "TaskNum=2", "kaiji=2", "rejian=1", "buzuo=1", "banben=3",
    "A1=每天8时30分", "B1=提醒", "C1=起来走走", "D1=启用", "A2=每周5的23时0分", "B2=关机", "C2=", "D2=禁用"};

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

class SettingsFileTest : public ::testing::Test {
protected:
    FakeRegistry backend;
    RegistryAccessor registry{backend};
    FakeTextFiles files;
    StoreOptions options;
    TaskStore store{backend, options};
    int questions = 0;

    // A store that holds these records and the options of `options`, and nothing else.
    void ResetStore(const std::vector<Record>& records) {
        backend = FakeRegistry{};
        backend.Put(kHklm, kStore, "shutapp", DwordValue(options.shutapp));
        backend.Put(kHklm, kStore, "soundpath", StringValue(options.soundpath));
        backend.Put(kHklm, kStore, "tishi", DwordValue(options.tishi));
        backend.Put(kHklm, kStore, "kaiji", DwordValue(options.kaiji));
        backend.Put(kHklm, kStore, "rejian", DwordValue(options.rejian));
        PutRecords(records);
    }
    void PutRecords(const std::vector<Record>& records) {
        for (size_t i = 0; i < records.size(); ++i)
            for (int l = 0; l < 4; ++l)
                backend.Put(kHklm, kStore, TaskValueName(kTaskFields[l], static_cast<int>(i + 1)), StringValue(records[i][l]));
        options.TaskNum = static_cast<int>(records.size());
        backend.Put(kHklm, kStore, "TaskNum", DwordValue(options.TaskNum));
    }
    // The two-task store of the export, with C2 missing and kaiji 2 in memory only.
    void PutTwoTaskStore() {
        PutRecords({kWalk, kShut});
        OpenStore(registry);
        registry.DeleteValue("C2");
        registry.CloseKey();
        options.soundpath = "C:\\声音\\警告.wav";
        options.tishi = 30;
        options.shutapp = 1;
        options.kaiji = 2;
        options.rejian = 1;
        options.buzuo = 1;
        options.banben = 3;
        backend.Put(kHklm, kStore, "kaiji", DwordValue(0));
    }
    std::string Text(const std::string& name) {
        auto value = backend.Get(kHklm, kStore, name);
        return value ? value->text : "(missing)";
    }
    std::int64_t Number(const std::string& name) {
        auto value = backend.Get(kHklm, kStore, name);
        return value && value->type == RegType::Dword ? static_cast<std::int32_t>(value->dword) : -999;
    }
    Record StoredRecord(int n) {
        Record r;
        for (int l = 0; l < 4; ++l) r[l] = Text(TaskValueName(kTaskFields[l], n));
        return r;
    }
    std::vector<Record> StoredRecords() {
        std::vector<Record> records;
        for (int n = 1; n <= Number("TaskNum"); ++n) records.push_back(StoredRecord(n));
        return records;
    }
    ImportOutcome Import(const std::string& content, ImportAnswer answer) {
        files.files[kFile] = content;
        return ImportSettings(store, files, kFile, [&] {
            ++questions;
            return answer;
        });
    }
    // The six options, the same in memory and in the store.
    void ExpectOptionsInMemoryAndStore(int shutapp, const std::string& soundpath, int tishi, int taskNum, int kaiji,
                                       int rejian) {
        using Options = std::tuple<std::int64_t, std::string, std::int64_t, std::int64_t, std::int64_t, std::int64_t>;
        const Options expected{shutapp, soundpath, tishi, taskNum, kaiji, rejian};
        EXPECT_EQ(Options(options.shutapp, options.soundpath, options.tishi, options.TaskNum, options.kaiji,
                          options.rejian),
                  expected);
        EXPECT_EQ(Options(Number("shutapp"), Text("soundpath"), Number("tishi"), Number("TaskNum"), Number("kaiji"),
                          Number("rejian")),
                  expected);
    }
};

// --- Export.

TEST_F(SettingsFileTest, Export_TwoTasksGiveTheEighteenLinesByteForByte) {
    PutTwoTaskStore();
    backend.writes = 0;
    ExportOutcome outcome = ExportSettings(store, files, options, kFile, kWhen);
    EXPECT_EQ(outcome.status, ExportStatus::Written);
    EXPECT_EQ(outcome.message.kind, MessageKind::None);
    const std::string expected = "2020.05.10\r\nTempiro2020任务设置\r\n导出时间:2024/5/3 10:37:05\r\n\r\n" +
                                 Join(kTwoTaskLines, "\r\n");
    EXPECT_EQ(files.files[kFile], expected);
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(backend.writes, 0);
    EXPECT_EQ(backend.openKeys(), 0);
    EXPECT_EQ(options.TaskNum, 2);
}

TEST_F(SettingsFileTest, Export_FollowsTheInMemoryCountAndEndsAfterTheOptionLinesWithoutTasks) {
    PutTwoTaskStore();
    options.TaskNum = 1;
    ExportSettings(store, files, options, kFile, kWhen);
    EXPECT_TRUE(files.files[kFile].ends_with("rejian=1\r\nbuzuo=1\r\nbanben=3\r\nA1=每天8时30分\r\nB1=提醒\r\nC1=起来走走\r\nD1=启用\r\n"));

    // A hostile count in memory walks no further than the values the key holds.
    options.TaskNum = 2000000000;
    ExportSettings(store, files, options, kFile, kWhen);
    const std::string& hostile = files.files[kFile];
    EXPECT_NE(hostile.find("\r\nA2="), std::string::npos);
    EXPECT_LT(std::count(hostile.begin(), hostile.end(), '\n'), 12 + 4 * 13 + 1) << "13 values in the key";
    EXPECT_NE(files.files[kFile].find("TaskNum=2000000000\r\n"), std::string::npos);

    options = StoreOptions{};
    ExportSettings(store, files, options, kFile, {"5/3/2024", "AM 9:05:00"});
    EXPECT_EQ(files.files[kFile],
              "2020.05.10\r\nTempiro2020任务设置\r\n导出时间:5/3/2024 AM 9:05:00\r\n\r\n"
              "soundpath=\r\ntishi=60\r\nshutapp=0\r\nTaskNum=0\r\nkaiji=0\r\nrejian=0\r\nbuzuo=0\r\nbanben=0\r\n");
}

TEST_F(SettingsFileTest, Export_ATextWithALineBreakEndsAtTheBreakAndInjectsNoKey) {
    PutTwoTaskStore();
    options.soundpath = "C:\\a.wav\r\nTaskNum=9";
    OpenStore(registry);
    registry.WriteString("C1", "起来走走\nA2=每天0时0分\r\nB2=关机");
    registry.WriteString("C2", "\r");
    registry.CloseKey();
    ExportSettings(store, files, options, kFile, kWhen);
    std::vector<std::string> lines = kTwoTaskLines;
    lines[0] = "soundpath=C:\\a.wav";
    EXPECT_EQ(files.files[kFile], "2020.05.10\r\nTempiro2020任务设置\r\n导出时间:2024/5/3 10:37:05\r\n\r\n" +
                                      Join(lines, "\r\n"));
}

TEST_F(SettingsFileTest, Export_CancelWritesNothing) {
    PutTwoTaskStore();
    EXPECT_EQ(ExportSettings(store, files, options, std::nullopt, kWhen).status, ExportStatus::Cancelled);
    EXPECT_EQ(ExportSettings(store, files, options, std::string(), kWhen).status, ExportStatus::Cancelled);
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(backend.queries, 0);
}

TEST_F(SettingsFileTest, Export_AFailedWriteSaysSoAndLeavesNoPartialFile) {
    PutTwoTaskStore();
    files.files[kFile] = "an older export";
    files.writeLimit = 40;
    ExportOutcome outcome = ExportSettings(store, files, options, kFile, kWhen);
    EXPECT_EQ(outcome.status, ExportStatus::Failed);
    EXPECT_EQ(outcome.message.kind, MessageKind::FileFailure);
    EXPECT_EQ(outcome.message.text, "创建导出文件失败！");
    EXPECT_STREQ(kFileFailureTitle, "失败");
    EXPECT_EQ(files.files, (std::map<std::string, std::string>{{kFile, "an older export"}}));

    files.files.clear();
    files.writeLimit = -1;
    files.denyCreate = true;
    EXPECT_EQ(ExportSettings(store, files, options, kFile, kWhen).message.text, "创建导出文件失败！");
    EXPECT_TRUE(files.files.empty());
}

TEST_F(SettingsFileTest, Export_AnUnreadableTaskValueEndsTheExportWithTheStoreErrorAndNoFile) {
    PutTwoTaskStore();
    backend.Put(kHklm, kStore, "B2", DwordValue(3));
    ExportOutcome outcome = ExportSettings(store, files, options, kFile, kWhen);
    EXPECT_EQ(outcome.status, ExportStatus::Failed);
    EXPECT_EQ(outcome.message.kind, MessageKind::StoreError);
    EXPECT_EQ(outcome.message.text, "Invalid data type for 'B2'");
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(backend.openKeys(), 0);
}

// --- Import: the round trip, and what changes nothing.

TEST_F(SettingsFileTest, Import_ReplaceRestoresTheExportedTasksInPlaceOfMorePresentOnes) {
    PutTwoTaskStore();
    ExportSettings(store, files, options, kFile, kWhen);
    const std::string exported = files.files[kFile];

    StoreOptions other;
    options = other;
    PutRecords({kOld1, kOld2, kOld3, kOld1});
    ImportOutcome outcome = Import(exported, ImportAnswer::Replace);
    EXPECT_EQ(outcome.status, ImportStatus::Imported);
    EXPECT_TRUE(outcome.storeChanged());
    EXPECT_EQ(outcome.message.kind, MessageKind::None);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk, kShut}));
    for (const char* name : {"A3", "B3", "C3", "D3", "A4", "B4", "C4", "D4"}) EXPECT_EQ(Text(name), "(missing)");
    ExpectOptionsInMemoryAndStore(1, "C:\\声音\\警告.wav", 30, 2, 2, 1);
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(SettingsFileTest, Import_AppendAddsTheTasksAfterThePresentOnes) {
    PutRecords({kOld1, kOld2, kOld3});
    ImportOutcome outcome = Import(Join(kTwoTaskLines, "\r\n"), ImportAnswer::Append);
    EXPECT_EQ(outcome.status, ImportStatus::Imported);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kOld1, kOld2, kOld3, kWalk, kShut}));
    ExpectOptionsInMemoryAndStore(1, "C:\\声音\\警告.wav", 30, 5, 2, 1);
}

TEST_F(SettingsFileTest, Import_CancelAtTheDialogOrTheQuestionChangesNothing) {
    PutRecords({kOld1, kOld2});
    backend.writes = 0;
    auto ask = [&] {
        ++questions;
        return ImportAnswer::Replace;
    };
    files.files[kFile] = Join(kTwoTaskLines, "\r\n");
    EXPECT_EQ(ImportSettings(store, files, std::nullopt, ask).status, ImportStatus::Cancelled);
    EXPECT_EQ(ImportSettings(store, files, std::string(), ask).status, ImportStatus::Cancelled);
    EXPECT_EQ(questions, 0);

    ImportOutcome outcome = Import(Join(kTwoTaskLines, "\r\n"), ImportAnswer::Cancel);
    EXPECT_EQ(outcome.status, ImportStatus::Cancelled);
    EXPECT_FALSE(outcome.storeChanged());
    EXPECT_EQ(outcome.message.kind, MessageKind::None);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(backend.writes, 0);
    EXPECT_EQ(options.TaskNum, 2);
    EXPECT_EQ(options.tishi, 60);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kOld1, kOld2}));
}

TEST_F(SettingsFileTest, Import_AFileThatCannotBeReadIsNamedWithoutAsking) {
    ImportOutcome outcome = ImportSettings(store, files, std::string("D:\\导出\\a.txt"), [&] {
        ++questions;
        return ImportAnswer::Replace;
    });
    EXPECT_EQ(outcome.status, ImportStatus::NotOpened);
    EXPECT_FALSE(outcome.storeChanged());
    EXPECT_EQ(outcome.message.kind, MessageKind::FileFailure);
    EXPECT_EQ(outcome.message.text, "a.txt文件打开失败！");
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(backend.writes, 0);
}

TEST_F(SettingsFileTest, Import_AFileWithoutSettingsKeysIsRefusedAndNothingIsWiped) {
    PutRecords({kOld1, kOld2});
    backend.writes = 0;
    for (const std::string& text : {std::string("购物清单\r\n牛奶=2\r\n"), std::string(" tishi=30\r\nxTaskNum=1\r\n"),
                                    std::string("A1=每天8时0分\r\nB1=提醒\r\nTaskNum"), std::string()}) {
        ImportOutcome outcome = Import(text, ImportAnswer::Replace);
        EXPECT_EQ(outcome.status, ImportStatus::NotSettingsFile) << text;
        EXPECT_FALSE(outcome.storeChanged());
        EXPECT_EQ(outcome.message.kind, MessageKind::FileFailure);
        EXPECT_EQ(outcome.message.text, "设置.txt不是Tempiro设置文件，未导入任何设置！");
    }
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(backend.writes, 0);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kOld1, kOld2}));

    // One settings key is enough: the rest take their defaults.
    EXPECT_EQ(Import("rejian=1", ImportAnswer::Replace).status, ImportStatus::Imported);
    EXPECT_EQ(StoredRecords(), std::vector<Record>{});
    ExpectOptionsInMemoryAndStore(0, "", 60, 0, 0, 1);
}

// --- Import: how the file is read.

TEST_F(SettingsFileTest, Import_LinesEndedByLfOrCrAloneEndTheirValues) {
    for (const char* end : {"\n", "\r"}) {
        PutRecords({kOld1});
        EXPECT_EQ(Import(Join(kTwoTaskLines, end), ImportAnswer::Replace).status, ImportStatus::Imported) << end;
        EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk, kShut}));
        ExpectOptionsInMemoryAndStore(1, "C:\\声音\\警告.wav", 30, 2, 2, 1);
    }
    // Mixed ends, and a last line without any: its value ends with the last byte.
    std::string mixed = "soundpath=\n\ntishi=45\r\nTaskNum=1\rA1=每天8时30分\nB1=提醒\r\nC1=起来走走\nD1=启用";
    Import(mixed, ImportAnswer::Replace);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk}));
    EXPECT_EQ(Number("tishi"), 45);
    EXPECT_EQ(Text("soundpath"), "");
}

TEST_F(SettingsFileTest, Import_AKeyCountsOnlyAtTheStartOfALine) {
    std::vector<std::string> lines = kTwoTaskLines;
    lines[0] = "soundpath=C:\\tishi=5\\a.wav";
    lines[8] = "C1=记得A2=每天0时0分 和 B2=注销\t完";
    Import(Join(lines, "\r\n"), ImportAnswer::Replace);
    EXPECT_EQ(StoredRecord(1)[2], "记得A2=每天0时0分 和 B2=注销\t完");
    EXPECT_EQ(StoredRecord(2), kShut);
    EXPECT_EQ(options.soundpath, "C:\\tishi=5\\a.wav");
    EXPECT_EQ(options.tishi, 30);

    // A key inside a value alone supplies nothing, and neither do keys that
    // only look like task keys.
    ResetStore({});
    Import("TaskNum=2\r\nA1=x\r\nC1=记得B2=每天0时0分\r\nB02=0\r\nB2x=x\r\nb2=b\r\nE2=e\r\n@2=a\r\n B2=s\r\nB2\r\n"
           "B0=z\r\nB-1=m\r\nB+2=p\r\nB\r\nA2=y",
           ImportAnswer::Append);
    EXPECT_EQ(Text("A2"), "y");
    for (const char* name : {"B2", "B0", "B-1"}) EXPECT_EQ(Text(name), "(missing)") << name;
}

TEST_F(SettingsFileTest, Import_AHostileCountInMemoryWalksNoFurtherThanTheKeysValues) {
    ResetStore({kOld1, kOld2, kOld3});  // 6 options and 12 task values: 18 values
    options.TaskNum = 2147483647;
    backend.writes = 0;
    Import(Join(kTwoTaskLines, "\r\n"), ImportAnswer::Replace);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk, {kShut[0], kShut[1], "", kShut[3]}}));
    EXPECT_EQ(Text("A3"), "(missing)");
    // The eight options and the file's eight task values, nothing of record 3.
    EXPECT_EQ(backend.ValueNames(kHklm, kStore).size(), 8u + 8u);

    ResetStore({kOld1, kOld2, kOld3});
    options.TaskNum = 2147483647;
    Import(Join(kTwoTaskLines, "\r\n"), ImportAnswer::Append);
    EXPECT_EQ(options.TaskNum, 20) << "appended after the 18 values the key holds";
    EXPECT_EQ(StoredRecord(19), kWalk);
    EXPECT_EQ(StoredRecord(3), kOld3);
}

TEST_F(SettingsFileTest, Import_TaskNumbersOfSeveralDigits) {
    std::string file = "TaskNum=20\r\n";
    for (int n : {9, 10, 19, 20}) file += "A" + std::to_string(n) + "=a" + std::to_string(n) + "\r\n";
    Import(file, ImportAnswer::Replace);
    EXPECT_EQ(options.TaskNum, 20);
    for (int n : {9, 10, 19, 20}) EXPECT_EQ(Text(TaskValueName(TaskField::Schedule, n)), "a" + std::to_string(n));
    EXPECT_EQ(Text("A1"), "(missing)") << "nothing is written for a record the file lacks";
}

TEST_F(SettingsFileTest, Import_TheFirstLineOfAKeyCountsWhereverTheLinesStand) {
    const std::string edited =
        "tishi=15\r\nD2=禁用\r\nC2=\r\nB2=关机\r\nA2=每周5的23时0分\r\nTaskNum=2\r\ntishi=99\r\n"
        "D1=启用\r\nA1=每天8时30分\r\nB1=提醒\r\nC1=起来走走\r\nA1=每天0时0分\r\nA1=每天1时0分\r\n";
    Import(edited, ImportAnswer::Replace);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk, kShut}));
    EXPECT_EQ(options.tishi, 15);

    // A repeated key in a file that is otherwise in order.
    Import("TaskNum=1\r\nA1=first\r\nA1=second\r\nB1=b\r\nC1=c\r\nD1=d\r\n", ImportAnswer::Append);
    EXPECT_EQ(StoredRecord(3), (Record{"first", "b", "c", "d"}));
}

TEST_F(SettingsFileTest, Import_IntegersThatDoNotConvertTakeTheirDefaultsAndKaijiTwoStaysTwo) {
    Import("shutapp=yes\r\ntishi=\r\nkaiji=2\r\nrejian= 1\r\n", ImportAnswer::Replace);
    ExpectOptionsInMemoryAndStore(0, "", 60, 0, 2, 0);
    Import("tishi=abc\r\nshutapp=-1\r\n", ImportAnswer::Replace);
    ExpectOptionsInMemoryAndStore(-1, "", 60, 0, 0, 0);
    // The data ends at its first zero byte.
    Import(std::string("tishi=12\r\n\0kaiji=1\r\n", 20), ImportAnswer::Replace);
    EXPECT_EQ(options.tishi, 12);
    EXPECT_EQ(options.kaiji, 0);
}

// --- Import: the count of tasks.

TEST_F(SettingsFileTest, Import_ANegativeCountIsNone) {
    std::vector<std::string> lines = kTwoTaskLines;
    lines[3] = "TaskNum=-3";
    PutRecords({kOld1, kOld2, kOld3});
    Import(Join(lines, "\r\n"), ImportAnswer::Append);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kOld1, kOld2, kOld3}));
    EXPECT_EQ(options.TaskNum, 3);
    EXPECT_EQ(Text("A4"), "(missing)");

    Import(Join(lines, "\r\n"), ImportAnswer::Replace);
    EXPECT_EQ(options.TaskNum, 0);
    EXPECT_EQ(Number("TaskNum"), 0);
    EXPECT_EQ(Text("A1"), "(missing)");

    // So is a count that is missing or no number, and a count without records.
    for (const char* file : {"A1=a\r\nkaiji=1", "TaskNum=\r\nA1=a", "TaskNum=3\r\nkaiji=1"}) {
        PutRecords({kOld1, kOld2});
        Import(file, ImportAnswer::Replace);
        EXPECT_EQ(Number("TaskNum"), 0) << file;
        EXPECT_EQ(Text("A1"), "(missing)") << file;
    }
}

TEST_F(SettingsFileTest, Import_ACountBeyondTheHighestRecordOfTheFileIsCutToIt) {
    std::vector<std::string> lines = kTwoTaskLines;
    lines[3] = "TaskNum=2000000000";
    Import(Join(lines, "\r\n"), ImportAnswer::Replace);
    EXPECT_EQ(Number("TaskNum"), 2);
    EXPECT_EQ(options.TaskNum, 2);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk, kShut}));

    // A smaller count than the file holds is taken as it stands.
    lines[3] = "TaskNum=1";
    Import(Join(lines, "\r\n"), ImportAnswer::Replace);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{kWalk}));
    EXPECT_EQ(Text("A2"), "(missing)");

    // Only the highest number counts, not how many records there are: a gap
    // stays a record, and replacing leaves nothing of the old one in it.
    PutRecords({kOld1, kOld2, kOld3, kOld1});
    Import("TaskNum=9\r\nA1=a\r\nB1=b\r\nC1=c\r\nD1=d\r\nB3=x\r\n", ImportAnswer::Replace);
    const std::string m = "(missing)";
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{{"a", "b", "c", "d"}, {m, m, m, m}, {m, "x", m, m}}));
    EXPECT_EQ(Text("A4"), "(missing)");

    // The record beyond the count does not count, but the present records up
    // to the count are still cleared.
    PutRecords({kOld1, kOld2, kOld3, kOld1});
    Import("TaskNum=3\r\nA1=a\r\nA5=z\r\n", ImportAnswer::Replace);
    EXPECT_EQ(StoredRecords(), (std::vector<Record>{{"a", m, m, m}, {m, m, m, m}, {m, m, m, m}}));
    EXPECT_EQ(Text("A5"), "(missing)");
}

TEST_F(SettingsFileTest, Import_AppendNeverCountsPastTheLargestTaskNumber) {
    PutRecords({kOld1, kOld2, kOld3});
    Import("TaskNum=2147483647\r\nA2147483647=z\r\nA1=y\r\n", ImportAnswer::Append);
    EXPECT_EQ(options.TaskNum, 2147483647);
    EXPECT_EQ(Number("TaskNum"), 2147483647);
    EXPECT_EQ(Text("A4"), "y");
    EXPECT_EQ(Text("B4"), "(missing)") << "append writes no value the file lacks";
    EXPECT_EQ(StoredRecord(3), kOld3);
}

TEST_F(SettingsFileTest, Import_ATextIsCutAfterTheCharactersABoxCanHoldAndNoCharacterIsSplit) {
    const std::string whole(kImportedTextCharacters, 'a');
    std::string straddling = "a";  // and one 提 too many
    for (size_t i = 0; i < kImportedTextCharacters; ++i) straddling += "提";
    Import("soundpath=" + whole + "a\r\nTaskNum=1\r\nA1=" + whole + "\r\nB1=" + whole + "a\r\nC1=" + straddling,
           ImportAnswer::Replace);
    EXPECT_TRUE(Text("A1") == whole && Text("B1") == whole && Text("soundpath") == whole && options.soundpath == whole &&
                Text("C1") == straddling.substr(0, straddling.size() - 2));
}

struct OrderedRegistry : FakeRegistry {
    std::vector<std::string> written;  // task value names, in order
    bool SetString(RegKey key, const std::string& name, const std::string& text) override {
        if (name[0] >= 'A' && name[0] <= 'D') written.push_back(name);
        return FakeRegistry::SetString(key, name, text);
    }
};

TEST(SettingsFile, Import_AReplacingImportWritesItsNewStoreInNameOrder) {
    OrderedRegistry backend;
    FakeTextFiles files;
    StoreOptions options;
    TaskStore store(backend, options);
    std::vector<std::string> added;  // the values of records 2 to 12 by name: A10, A11, A12, A2, ...
    for (int n = 2; n <= 12; ++n)
        for (TaskField l : kTaskFields) added.push_back(TaskValueName(l, n));
    std::sort(added.begin(), added.end());
    for (int tasks : {1, 12}) {  // record 1 into the empty store, then over it with eleven new ones
        files.files[kFile] = "TaskNum=" + std::to_string(tasks) + "\r\nA1=a\r\nB1=b\r\nC1=c\r\nD1=d\r\n";
        for (const std::string& name : added) files.files[kFile] += name + "=x\r\n";
        ImportSettings(store, files, kFile, [] { return ImportAnswer::Replace; });
    }
    added.insert(added.end(), {"A1", "B1", "C1", "D1"});
    std::sort(added.begin(), added.end());
    added.insert(added.begin(), {"A1", "B1", "C1", "D1"});
    EXPECT_EQ(backend.written, added);
}

}  // namespace
