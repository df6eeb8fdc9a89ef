#include "app/command_line.h"
#include "store/run_log.h"

#include "platform/fake_log_file.h"
#include "platform/fake_registry.h"
#include "platform/fake_text_files.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Args = std::vector<std::wstring>;
const char kKey[] = "Software\\Qelvora\\Tempiro";

StartCommand ParseSettingsCommand(const Args& args) { return ParseCommandLine(L"", args); }

TEST(CommandLine, ReadsEveryModeAndRefusesTheNearMisses) {
    for (const Args& args : {Args{}, Args{L"/append", L"a.txt"}, Args{L"/importx", L"a"}, Args{L"import", L"a"}})
        EXPECT_EQ(ParseSettingsCommand(args).mode, StartMode::Normal) << "the program starts as before";
    EXPECT_EQ(ParseCommandLine(L"/CLEAN", {L"/CLEAN"}).mode, StartMode::Clean);
    EXPECT_EQ(ParseCommandLine(L" /LogOn \t ", {L"/LogOn"}).mode, StartMode::Logon);
    for (const wchar_t* tail : {L" /clean", L"/clean ", L"/cleanx", L"/logo", L"/logonx", L"\"/logon\""}) {
        const StartMode mode = ParseCommandLine(tail, {}).mode;
        EXPECT_TRUE(mode == StartMode::Normal) << "the batch's switch is the whole line, the logon's between blanks";
    }
    EXPECT_EQ(ParseCommandLine(L"/logon /import x", {L"/logon", L"/import", L"x"}).mode, StartMode::Usage);
    const StartCommand upper = ParseSettingsCommand({L"/IMPORT", L"a b.txt"});
    EXPECT_TRUE(upper.mode == StartMode::Import && upper.file == L"a b.txt" && !upper.append);
    const StartCommand append = ParseSettingsCommand({L"/Append", L"/import", L"t.txt"});
    EXPECT_TRUE(append.mode == StartMode::Import && append.file == L"t.txt" && append.append);
    EXPECT_EQ(ParseSettingsCommand({L"/export", L"out.txt"}).mode, StartMode::Export);
    for (const Args& args : {Args{L"/import"}, Args{L"/import", L""}, Args{L"/import", L"/append"},
                             Args{L"/import", L"a", L"b"}, Args{L"x", L"/import", L"a"},
                             Args{L"/import", L"a", L"/append", L"/append"}, Args{L"/export", L"a", L"/append"},
                             Args{L"/import", L"a", L"/export", L"b"}})
        EXPECT_EQ(ParseSettingsCommand(args).mode, StartMode::Usage) << args.size();
}

TEST(CommandLine, ImportLeavesEvenAFreshStoreAloneForAFileItRefusesAndTellsTheRunLog) {
    FakeRegistry backend;
    FakeTextFiles files;
    files.files["t.txt"] = "TaskNum=1\r\nA1=每天9时0分\r\n";
    files.files["no.txt"] = "TaskNum =1\r\nA1=每天9时0分\r\n";
    StoreOptions options;
    TaskStore store(backend, options);
    struct : Clock {
        LocalTime Now() override { return {}; }
        std::uint32_t TickCount() override { return 0; }
        std::uint32_t LastInputTick() override { return 0; }
        std::uint64_t UptimeMilliseconds() override { return 0; }
        std::string ShortDatePicture() override { return {}; }
    } clock;
    FakeLogFile logFile;
    RunLog log(logFile, clock);
    auto run = [&](const std::string& file) {
        return ExitCodeOf(ImportNamedFile(store, files, file, true, [&] { store.Load(); }, &log).status);
    };
    EXPECT_EQ(run("no.txt"), kExitNotSettingsFile);
    EXPECT_FALSE(backend.KeyExists(RegRoot::LocalMachine, kKey));
    EXPECT_EQ(run("t.txt"), kExitDone);
    backend.denyWrite = true;
    EXPECT_EQ(run("t.txt"), kExitStoreFailed);
    const std::string& lines = logFile.current.value_or("");
    EXPECT_NE(lines.find("导入设置失败：no.txt  ——  no.txt不是Tempiro设置文件"), std::string::npos) << lines;
    EXPECT_NE(lines.find("导入设置（追加）：t.txt\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("导入设置失败：t.txt  ——  "), std::string::npos) << lines;
}

TEST(CommandLine, ExportWritesNoMissingOptionIntoTheStore) {
    FakeRegistry backend;
    backend.Put(RegRoot::LocalMachine, kKey, "TaskNum", {RegType::String, "x", 0});  // counts the records
    backend.Put(RegRoot::LocalMachine, kKey, "A1", {RegType::String, "每天9时0分", 0});
    FakeTextFiles files;
    StoreOptions options;
    TaskStore store(backend, options);
    EXPECT_EQ(ExitCodeOf(ExportStore(store, files, "out.txt", {})), kExitDone);
    EXPECT_NE(files.files["out.txt"].find("\r\ntishi=60\r\nshutapp=0\r\nTaskNum=1\r\n"), std::string::npos);
    EXPECT_FALSE(backend.Get(RegRoot::LocalMachine, kKey, "tishi").has_value());
}

TEST(CommandLine, TheHandOverTakesAFullPathUnderItsTagAndNothingElse) {
    auto read = [](std::uintptr_t tag, const std::u16string& path, size_t bytes = SIZE_MAX) {
        return ReadHandOver(tag, path.data(), bytes == SIZE_MAX ? 2 * path.size() : bytes);
    };
    const std::u16string path = u"C:\\任务\\t.txt";
    EXPECT_TRUE(read(kHandOverAppend, path)->file == path && read(kHandOverAppend, path)->append);
    EXPECT_FALSE(read(kHandOverReplace, path)->append);
    EXPECT_FALSE(read(kHandOverAppend + 1, path) || read(kHandOverAppend, path, 2 * path.size() - 1));
    EXPECT_FALSE(ReadHandOver(kHandOverAppend, nullptr, 0));
    EXPECT_FALSE(read(kHandOverAppend, std::u16string(u"C:\\a\0b.txt", 10)));
    for (const char16_t* drive : {u"Z:\\t", u"a:\\t", u"z:\\t"}) EXPECT_TRUE(read(kHandOverAppend, drive)) << "the last letters";
    for (const char16_t* refused : {u"t.txt", u"C:t.txt", u"C:\\", u"\\t", u"\\\\.\\pipe\\x", u"\\\\?\\C:\\t", u"[:\\t", u"@:\\t", u"{:\\t"})
        EXPECT_FALSE(read(kHandOverAppend, refused));
    std::u16string longest = u"\\\\server\\share\\";
    longest.resize(kLongestPath, u'a');
    EXPECT_TRUE(read(kHandOverAppend, longest));
    EXPECT_FALSE(read(kHandOverAppend, longest + u'a'));
    EXPECT_EQ(HandOverAnswer(kHandOverReply + kExitNotSettingsFile), kExitNotSettingsFile);
    EXPECT_FALSE(HandOverAnswer(0) || HandOverAnswer(kHandOverReply + kExitNoAnswer + 1));
}

}  // namespace
