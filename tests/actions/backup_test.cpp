// The backup engine on real folders through the POSIX adapter, each test in
// a fresh folder under /tmp, in the time zone UTC+8.
#include "actions/backup.h"

#include "platform/file_system_posix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

namespace {

namespace fs = std::filesystem;

constexpr TaskType kFile = TaskType::BackupFile;
constexpr TaskType kFolder = TaskType::BackupFolder;
constexpr time_t kT = 1710469807;  // 2024-03-15 10:30:07 at UTC+8
const std::string kStamp = "20240315103007";

// The bytes of a UTF-8 literal, as names lie on disk.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(BackupNames, StampIsLocalTimeInFourteenDigitsAndTheVersionGoesBeforeTheLastDot) {
    EXPECT_EQ(BackupStamp(LocalTime{2009, 1, 5, 2, 3, 4, 5}), "20090102030405");
    EXPECT_EQ(BackupStamp(LocalTime{2024, 12, 2, 31, 23, 59, 58}), "20241231235958");
    EXPECT_EQ(VersionName("报告.doc", kStamp), "报告_20240315103007.doc");
    EXPECT_EQ(VersionName("README", kStamp), "README_20240315103007");
    EXPECT_EQ(VersionName("a.tar.gz", kStamp), "a.tar_20240315103007.gz");
    EXPECT_EQ(VersionName(".profile", kStamp), "_20240315103007.profile");
}

// Forwards to the POSIX adapter, counting listings and copies; can break one
// copy after writing half of it (failing, or throwing as a crash would end
// the run), map path starts ("R:") onto folders, keep every path inside a
// jail, compare names without case, list names in descending order, and
// hold a copy until released.
class Probe : public FileSystem {
public:
    explicit Probe(FileSystem& inner) : inner_(inner) {}
    std::map<std::string, int> listings;
    int copies = 0;
    int breakCopy = 0;  // 1 for the first copy
    bool crash = false;
    std::map<std::string, std::string> aliases;
    std::string jail;
    bool ignoreCase = false;
    bool descending = false;
    std::function<void()> afterCopy;
    bool coarse = false;

    std::string PathFromText(const std::string& gbk) override { return inner_.PathFromText(gbk); }
    std::string TextFromPath(const std::string& path) override { return inner_.TextFromPath(path); }
    std::string LastErrorText() override { return "probe"; }
    std::optional<FolderId> Identify(const std::string& folder) override {
        if (!Usable(folder)) return {};
        return inner_.Identify(Map(folder));
    }
    bool CoarseTimes(const std::string& folder) override { return coarse || inner_.CoarseTimes(Map(folder)); }
    bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++listings[folder];
        }
        if (!Usable(folder) || !inner_.ListFolder(Map(folder), entries)) return false;
        if (descending)
            std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name > b.name; });
        return true;
    }
    std::optional<FileEntry> Stat(const std::string& path) override {
        if (!Usable(path)) return {};
        return inner_.Stat(Map(path));
    }
    bool MakeFolder(const std::string& path) override { return Usable(path) && inner_.MakeFolder(Map(path)); }
    bool CopyNew(const std::string& from, const std::string& to) override {
        int n;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            n = ++copies;
        }
        if (n == breakCopy) {
            std::ifstream in(PosixPath(Map(from)), std::ios::binary);
            std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::ofstream(PosixPath(Map(to)), std::ios::binary) << content.substr(0, content.size() / 2);
            if (crash) throw std::runtime_error("power cut");
            return false;
        }
        bool copied = Usable(from) && Usable(to) && inner_.CopyNew(Map(from), Map(to));
        if (afterCopy) afterCopy();
        return copied;
    }
    bool Rename(const std::string& from, const std::string& to, bool replace) override {
        return Usable(to) && inner_.Rename(Map(from), Map(to), replace);
    }
    bool Remove(const std::string& path) override { return Usable(path) && inner_.Remove(Map(path)); }
    LocalTime LocalTimeOf(FileTime time) override { return inner_.LocalTimeOf(time); }
    bool IgnoresCase() override { return ignoreCase || inner_.IgnoresCase(); }
    std::uint32_t ProcessId() override { return inner_.ProcessId(); }
    bool ProcessRunning(std::uint32_t id) override { return inner_.ProcessRunning(id); }

private:
    // As on Windows with long paths: an empty name ("a\\b", "a\") reaches nothing.
    bool Usable(const std::string& path) const {
        const std::string posixPath = PosixPath(Map(path));
        return posixPath.find("//") == std::string::npos && posixPath.back() != '/' && Map(path).rfind(jail, 0) == 0;
    }
    std::string Map(const std::string& path) const {
        for (const auto& [alias, folder] : aliases) {
            if (path.rfind(alias, 0) == 0) return folder + path.substr(alias.size());
        }
        return path;
    }
    FileSystem& inner_;
    std::mutex mutex_;
};

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "CST-8", 1);
        tzset();
        char folder[] = "/tmp/tempiro-backup-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        root = folder;
    }
    void TearDown() override { fs::remove_all(root); }

    std::string P(const std::string& relative) const { return root + "/" + relative; }
    std::string W(const std::string& relative) const { return EnginePath(P(relative)); }
    std::string Spec(const std::string& source, const std::string& target, const std::string& flag) const {
        return W(source) + "*" + W(target) + "*" + flag;
    }

    void Put(const std::string& relative, const std::string& content, time_t mtime, long nanoseconds = 0) const {
        fs::create_directories(fs::path(P(relative)).parent_path());
        std::ofstream(P(relative), std::ios::binary | std::ios::trunc) << content;
        const timespec times[2] = {{mtime, 0}, {mtime, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, P(relative).c_str(), times, 0), 0);
    }
    std::string Get(const std::string& relative) const {
        std::ifstream in(P(relative), std::ios::binary);
        if (!in) return "<none>";
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    time_t MTime(const std::string& relative) const {
        struct stat st {};
        stat(P(relative).c_str(), &st);
        return st.st_mtime;
    }
    // The sorted names in a folder, or "<none>" when it does not exist.
    std::string Names(const std::string& relative) const {
        if (!fs::is_directory(P(relative))) return "<none>";
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(P(relative))) names.push_back(e.path().filename());
        return Joined(names);
    }
    static std::string Joined(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        std::string out;
        for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
        return out;
    }

    std::string root;
    PosixFileSystem posix;
};

TEST_F(BackupTest, VersionsOfAFileAddOneCopyForEachLastWriteSecond) {
    Put("src/a.txt", "one", kT);
    fs::create_directory(P("dst"));
    const std::string spec = W("src/a.txt") + "*" + W("dst") + "*0";
    RunBackup(kFile, spec, posix);
    EXPECT_EQ(Names("dst"), "a_20240315103007.txt");
    EXPECT_EQ(Get("dst/a_20240315103007.txt"), "one");
    EXPECT_EQ(MTime("dst/a_20240315103007.txt"), kT);

    Probe probe(posix);
    RunBackup(kFile, spec, probe);
    EXPECT_EQ(probe.copies, 0) << "an unchanged source";

    Put("src/a.txt", "two", kT + 1);
    RunBackup(kFile, spec, posix);
    EXPECT_EQ(Names("dst"), "a_20240315103007.txt a_20240315103008.txt");
    EXPECT_EQ(Get("dst/a_20240315103007.txt"), "one");
    EXPECT_EQ(Get("dst/a_20240315103008.txt"), "two");
}

TEST_F(BackupTest, AVersionCountsWhenItsBaseEndsInTheStampAfterBaseAndUnderscore) {
    for (const char* name : {"notes", "a.txt", "b.txt", "c.txt", "d.txt"}) Put(std::string("src/") + name, name, kT);
    Put("dst/notes_0240315103007", "13 digits of the stamp", kT);
    Put("dst/a_x20240315103007.txt", "text between underscore and stamp", kT);
    Put("dst/b_20240315103007.doc", "another extension", kT);
    Put("dst/c20240315103007.txt", "no underscore", kT);
    Put("dst/d_20240315103006.txt", "a second earlier", kT);
    RunBackup(kFolder, Spec("src", "dst", "0"), posix);
    EXPECT_EQ(Names("dst"),
              "a_x20240315103007.txt b_20240315103007.doc b_20240315103007.txt c20240315103007.txt "
              "c_20240315103007.txt d_20240315103006.txt d_20240315103007.txt notes_0240315103007 "
              "notes_20240315103007");
    EXPECT_EQ(Get("dst/notes_20240315103007"), "notes");
}

TEST_F(BackupTest, HiddenFilesAndNestedFoldersArriveAndEmptyOrLinkedFoldersDoNot) {
    Put("src/.profile", "hidden", kT);
    Put("src/deep/er/报告.doc", "nested", kT);
    const std::string korean = U8(u8"한글");  // no GBK character: the name stays UTF-8 throughout
    Put("src/" + korean + "/y.txt", "under a name GBK cannot hold", kT);
    fs::create_directories(P("src/empty/inner"));
    fs::create_directory_symlink(P("src"), P("src/loop"));  // a folder behind a link is not walked
    RunBackup(kFolder, Spec("src", "dst/v", "0"), posix);
    RunBackup(kFolder, Spec("src", "dst/m", "1"), posix);
    EXPECT_EQ(Names("dst/v"), "_20240315103007.profile deep " + korean);
    EXPECT_EQ(Get("dst/v/deep/er/报告_20240315103007.doc"), "nested");
    EXPECT_EQ(Names("dst/v/" + korean), "y_20240315103007.txt");
    EXPECT_EQ(Names("dst/m"), ".profile deep " + korean);
    EXPECT_EQ(Get("dst/m/deep/er/报告.doc"), "nested");
    EXPECT_EQ(Get("dst/m/" + korean + "/y.txt"), "under a name GBK cannot hold");
}

TEST_F(BackupTest, AUnixSocketInTheSourceIsNoFileToBackUp) {
    Put("src/a.txt", "a", kT);
    const std::string path = P("src/socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(s);
    std::vector<FileEntry> entries;
    ASSERT_TRUE(posix.ListFolder(W("src"), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "a.txt");
    EXPECT_FALSE(posix.Stat(W("src/socket")));
    RunBackup(kFolder, Spec("src", "dst", "1"), posix);
    EXPECT_EQ(Names("dst"), "a.txt");
}

TEST_F(BackupTest, ThePosixAdapterTellsAFolderFromAFileAndSaysWhenARenameWorked) {
    Put("src/a.txt", "a", kT);
    Put("src/b.txt", "b", kT);
    EXPECT_TRUE(posix.MakeFolder(W("dst")));
    EXPECT_TRUE(posix.MakeFolder(W("dst"))) << "a folder that is there already";
    EXPECT_FALSE(posix.MakeFolder(W("src/a.txt"))) << "a file of that name";
    EXPECT_FALSE(posix.MakeFolder(W("none/dst"))) << "no parent";
    EXPECT_TRUE(posix.Rename(W("src/a.txt"), W("src/b.txt"), true));
    EXPECT_EQ(Get("src/b.txt"), "a");
    EXPECT_FALSE(posix.Rename(W("src/a.txt"), W("src/c.txt"), true)) << "a source that is gone";
}

TEST_F(BackupTest, MirrorCopiesWhenTheSecondsDifferEitherWayRound) {
    Put("src/new.txt", "new", kT);
    Put("src/older.txt", "older source", kT);
    Put("dst/older.txt", "newer copy", kT + 60);
    Put("src/newer.txt", "newer source", kT + 1);
    Put("dst/newer.txt", "older copy", kT);
    Put("src/same.txt", "source", kT, 200000000);
    Put("dst/same.txt", "copy in the same second", kT, 700000000);
    Probe probe(posix);
    RunBackup(kFolder, Spec("src", "dst", "1"), probe);
    EXPECT_EQ(probe.copies, 3);
    EXPECT_EQ(Get("dst/new.txt"), "new");
    EXPECT_EQ(Get("dst/older.txt"), "older source");
    EXPECT_EQ(MTime("dst/older.txt"), kT);
    EXPECT_EQ(Get("dst/newer.txt"), "newer source");
    EXPECT_EQ(Get("dst/same.txt"), "copy in the same second");

    Put("src/new.txt", "changed", kT + 5);
    RunBackup(kFile, W("src/new.txt") + "*" + W("dst") + "*1", posix);
    EXPECT_EQ(Get("dst/new.txt"), "changed");
    EXPECT_EQ(Names("dst"), "new.txt newer.txt older.txt same.txt");
}

TEST_F(BackupTest, AFailedCopyLeavesNothingBehindAndTheRunGoesOn) {
    for (const char* name : {"a", "b", "c"}) Put(std::string("src/") + name, std::string(5000, *name), kT);
    Probe probe(posix);
    probe.breakCopy = 2;
    RunBackup(kFolder, Spec("src", "dst", "0"), probe);
    EXPECT_EQ(probe.copies, 3);
    const std::string names = Names("dst");
    EXPECT_EQ(std::count(names.begin(), names.end(), ' '), 1) << names;
    EXPECT_EQ(names.find('~'), std::string::npos) << names;
    RunBackup(kFolder, Spec("src", "dst", "0"), posix);
    EXPECT_EQ(Names("dst"), "a_20240315103007 b_20240315103007 c_20240315103007");
    EXPECT_EQ(Get("dst/b_20240315103007"), std::string(5000, 'b'));
}

TEST_F(BackupTest, TheFilesLeftCountDownAsTheyAreGoneThroughAndACrashLeavesNoneCounted) {
    for (const char* name : {"a", "b", "c"}) Put(std::string("src/") + name, name, kT);
    BackupActivity activity;
    activity.RunBegins();
    Probe probe(posix);
    std::vector<std::int64_t> seen;
    probe.afterCopy = [&] { seen.push_back(activity.FilesLeft().value_or(-1)); };
    RunBackup(kFolder, Spec("src", "dst", "1"), probe, &activity);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{3, 2, 1})) << "a file counts until it is gone through";
    EXPECT_EQ(activity.FilesLeft(), 0);
    Probe crashing(posix);
    crashing.breakCopy = 1;
    crashing.crash = true;
    Put("src/a", "changed", kT + 5);
    RunBackup(kFolder, Spec("src", "dst", "1"), crashing, &activity);
    EXPECT_EQ(activity.FilesLeft(), 0);
    activity.RunEnds();
    EXPECT_EQ(activity.FilesLeft(), std::nullopt);
}

TEST_F(BackupTest, ACrashMidCopyLeavesTheFinalNameUntouchedAndTheNextRunCleansUp) {
    Put("src/a.txt", std::string(8000, 'n'), kT + 9);
    Put("dst/v/a_20240315103007.txt", "older version", kT);
    Put("dst/m/a.txt", "older mirror copy", kT);
    for (const char* target : {"dst/v", "dst/m"}) {
        const std::string spec = Spec("src", target, std::string(target) == "dst/v" ? "0" : "1");
        const std::string before = Names(target);
        Probe probe(posix);
        probe.breakCopy = 1;
        probe.crash = true;
        RunBackup(kFolder, spec, probe);  // returns quietly
        const std::string after = Names(target);
        EXPECT_EQ(after.substr(0, before.size() + 10), before + " ~tempiro-") << after;
        EXPECT_TRUE(after.ends_with(".tmp")) << after;
        EXPECT_EQ(std::count(after.begin(), after.end(), ' '), 1) << after;
        EXPECT_EQ(Get("dst/m/a.txt"), "older mirror copy");
        RunBackup(kFolder, spec, posix);
    }
    EXPECT_EQ(Names("dst/v"), "a_20240315103007.txt a_20240315103016.txt");
    EXPECT_EQ(Get("dst/v/a_20240315103016.txt"), std::string(8000, 'n'));
    EXPECT_EQ(Names("dst/m"), "a.txt");
    EXPECT_EQ(Get("dst/m/a.txt"), std::string(8000, 'n'));
}

TEST_F(BackupTest, LeftoversGoOnlyWhenTheirWriterIsGoneAndNeverPassForCopies) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const std::uint32_t gone = static_cast<std::uint32_t>(child), alive = static_cast<std::uint32_t>(getppid());
    const std::uint32_t self = static_cast<std::uint32_t>(getpid());
    Put("src/a.txt", "a", kT);
    for (const char* target : {"dst/v/", "dst/m/"}) {
        Put(target + BackupTempName("a.txt", gone, 1), "part", kT);
        Put(target + BackupTempName("a.txt", self, 987654), "part", kT);
        Put(target + BackupTempName("a.txt", alive, 2), "being written", kT);
        Put(target + BackupTempName("other.txt", gone, 3), "not this task's file", kT);
        Put(std::string(target) + "~tempiro-notes.tmp", "a user's file", kT);
        Put(target + BackupTempName("a.txt", gone, 4) + ".bak", "a user's file too", kT);
    }
    RunBackup(kFolder, Spec("src", "dst/v", "0"), posix);
    RunBackup(kFolder, Spec("src", "dst/m", "1"), posix);
    const std::vector<std::string> kept{BackupTempName("a.txt", alive, 2), BackupTempName("other.txt", gone, 3),
                                        "~tempiro-notes.tmp", BackupTempName("a.txt", gone, 4) + ".bak"};
    std::vector<std::string> versions = kept, mirror = kept;
    versions.push_back("a_20240315103007.txt");
    mirror.push_back("a.txt");
    EXPECT_EQ(Names("dst/v"), Joined(versions));
    EXPECT_EQ(Names("dst/m"), Joined(mirror));
}

TEST_F(BackupTest, ARunLeavesAloneTheTemporaryFileOfARunInProgress) {
    Put("src/a.txt", "a", kT);
    Probe held(posix);
    std::mutex mutex;
    std::condition_variable changed;
    bool holding = false, released = false;
    held.afterCopy = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        holding = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    std::thread first([&] { RunBackup(kFolder, Spec("src", "dst", "0"), held); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return holding; });
    }
    RunBackup(kFolder, Spec("src", "dst", "0"), posix);
    const std::string during = Names("dst");
    {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    first.join();
    EXPECT_EQ(during.substr(0, 21), "a_20240315103007.txt ");
    EXPECT_EQ(during.find("~tempiro-"), 21u) << during;
    EXPECT_EQ(Names("dst"), "a_20240315103007.txt");
}

TEST_F(BackupTest, ARunCountsCopiedCurrentAndFailedFilesAndNamesTheFirstThreeFailures) {
    Put("src/a.txt", "a", kT);
    Put("src/sub/c.txt", "c", kT);
    Probe probe(posix);
    probe.descending = true;
    probe.breakCopy = 2;  // sub\c.txt, after a.txt
    BackupTally tally = RunBackup(kFolder, Spec("src", "dst", "1"), probe);
    EXPECT_EQ(std::make_tuple(tally.copied, tally.current, tally.failed, tally.finished), std::make_tuple(1, 0, 1, true));
    ASSERT_EQ(tally.failures.size(), 1u);
    EXPECT_EQ(tally.failures[0].name + " " + tally.failures[0].error, "sub\\c.txt probe");
    tally = RunBackup(kFolder, Spec("src", "dst", "1"), posix);
    EXPECT_EQ(std::make_tuple(tally.copied, tally.current, tally.failed), std::make_tuple(1, 1, 0));

    // A destination that cannot be made fails every file; three are named.
    for (const char* name : {"b.txt", "d.txt", "e.txt"}) Put(std::string("src/") + name, name, kT);
    Probe jailed(posix);
    jailed.descending = true;
    jailed.jail = W("src");
    tally = RunBackup(kFolder, Spec("src", "elsewhere", "0"), jailed);
    EXPECT_EQ(tally.failed, 5);
    ASSERT_EQ(tally.failures.size(), 3u);
    EXPECT_EQ(tally.failures[2].name + " " + tally.failures[2].error, "b.txt probe");

    tally = RunBackup(kFile, W("src/none.txt") + "*" + W("dst") + "*0", posix);
    EXPECT_EQ(tally.failed, 1) << "a missing source";
    EXPECT_EQ(tally.failures.at(0).name, W("src/none.txt"));
    EXPECT_FALSE(tally.failures.at(0).error.empty());
    EXPECT_FALSE(RunBackup(kFolder, Spec("src", "dst", "2"), posix).finished) << "no such flag";
    const std::string korean = U8(u8"报告한.txt");
    EXPECT_EQ(posix.TextFromPath(korean), "报告?.txt");
}

TEST_F(BackupTest, RunsAtOnceOfDifferentTasksAndOfTheSameTaskEndWithCorrectCopies) {
    for (int i = 0; i < 40; ++i) {
        Put("s1/f" + std::to_string(i) + ".dat", std::string(3000 + i, 'x'), kT + i);
        Put("s2/sub/g" + std::to_string(i), std::string(2000 + i, 'y'), kT);
    }
    std::mutex mutex;
    std::condition_variable done;
    int finished = 0;
    BackupActivity activity;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& spec : {Spec("s1", "d1", "0"), Spec("s2", "d2", "1")}) {
            StartBackup(kFolder, spec, posix, [&](const BackupTally&) {
                std::lock_guard<std::mutex> lock(mutex);
                ++finished;
                done.notify_all();
            }, &activity);
        }
    }
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(60), [&] { return finished == 4; }));
    EXPECT_EQ(activity.FilesLeft(), std::nullopt);
    size_t versions = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(P("d1"))) {
        ++versions;
        const std::string name = e.path().filename();
        const int i = std::stoi(name.substr(1));
        EXPECT_EQ(name, "f" + std::to_string(i) + "_202403151030" + (i + 7 < 10 ? "0" : "") + std::to_string(i + 7) +
                            ".dat");
        EXPECT_EQ(Get("d1/" + name), std::string(3000 + i, 'x'));
    }
    EXPECT_EQ(versions, 40u);
    EXPECT_EQ(std::distance(fs::directory_iterator(P("d2/sub")), fs::directory_iterator()), 40);
    EXPECT_EQ(Get("d2/sub/g39"), std::string(2039, 'y'));
}

TEST_F(BackupTest, ATrailingSeparatorOrADriveRootNamesTheFolderItself) {
    Put("src/a.txt", "a", kT);
    Put("src/sub/b.txt", "b", kT);
    // 乗 and 誠 end in the byte 5C in GBK; the stored root becomes UTF-8.
    Put(U8(u8"乗/c.txt"), "under a name ending in trail byte 5C", kT);
    Probe probe(posix);
    probe.jail = W("");
    probe.aliases = {{"R:", W("src")}, {U8(u8"誠"), W(U8(u8"乗"))}, {"T", W("t")}};
    RunBackup(kFolder, W("src") + "\\*" + W("v") + "\\*0", probe);
    RunBackup(kFolder, "R:\\*" + W("m") + "*1", probe);
    EXPECT_EQ(Names("v"), "a_20240315103007.txt sub");
    EXPECT_EQ(Names("v/sub"), "b_20240315103007.txt");
    EXPECT_EQ(Names("m"), "a.txt sub");
    EXPECT_EQ(Get("m/sub/b.txt"), "b");
    RunBackup(kFile, "R:\\sub\\b.txt*R:\\*1", probe);
    EXPECT_EQ(Names("src"), "a.txt b.txt sub");
    // Names that end in byte 5C, and paths of one character.
    RunBackup(kFolder, Spec("乗", "g", "1"), probe);
    RunBackup(kFolder, "誠*T*1", probe);
    EXPECT_EQ(Names("g"), "c.txt");
    EXPECT_EQ(Names("t"), "c.txt");
}

TEST_F(BackupTest, OtherFlagsAndTypesCopyNothingAndOnlyAFolderBackupMakesItsTarget) {
    Put("src/a.txt", "a", kT);
    Probe probe(posix);
    RunBackup(kFolder, Spec("src", "flag2", "2"), probe);
    RunBackup(TaskType::OpenFolder, Spec("src", "other", "0"), probe);
    RunBackup(kFile, Spec("src/a.txt", "missing/target", "0"), probe);
    RunBackup(kFile, Spec("src/a.txt", "missing/target", "1"), probe);
    RunBackup(kFile, Spec("src", "flag2", "0"), probe);  // a folder given as the file
    EXPECT_EQ(probe.copies, 0);
    EXPECT_EQ(Names(""), "flag2 src");
    EXPECT_EQ(Names("flag2"), "");

    RunBackup(kFolder, W("src") + "*" + W("made/x/y"), posix);  // an empty flag keeps versions
    EXPECT_EQ(Names("made/x/y"), "a_20240315103007.txt");
}

TEST_F(BackupTest, EachFolderIsListedOnceAndTheVersionSearchDecidesAsBefore) {
    for (int d = 0; d < 3; ++d) {
        for (int i = 0; i < 30; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "d%d/f%d.txt", d, i);
            Put(std::string("src/") + name, name, kT);
            if (i % 3 == 0) Put("dst/" + VersionName(name, kStamp), "kept", kT);
            if (i % 3 == 1) Put("dst/" + VersionName(name, "20240315103008"), "a second later", kT);
        }
    }
    Probe probe(posix);
    RunBackup(kFolder, Spec("src", "dst", "0"), probe);
    EXPECT_EQ(probe.copies, 60);
    EXPECT_EQ(Get("dst/d1/f3_20240315103007.txt"), "kept");
    EXPECT_EQ(Get("dst/d1/f4_20240315103007.txt"), "d1/f4.txt");
    for (const char* folder : {"src", "src/d0", "src/d1", "src/d2", "dst/d0", "dst/d1", "dst/d2"})
        EXPECT_EQ(probe.listings[W(folder)], 1) << folder;
    EXPECT_EQ(probe.listings.size(), 7u) << "the target itself holds no file";

    Probe again(posix);
    RunBackup(kFolder, Spec("src", "dst", "0"), again);
    EXPECT_EQ(again.copies, 0);

    // What the run adds counts as a search of the folder would find it: the
    // version of "a_x" ends in the stamp after "a_", so "a" seems backed up.
    Put("pair/a", "a", kT);
    Put("pair/a_x", "a_x", kT);
    Probe descending(posix);
    descending.descending = true;
    RunBackup(kFolder, Spec("pair", "pair-versions", "0"), descending);
    EXPECT_EQ(Names("pair-versions"), "a_x_20240315103007");
}

TEST_F(BackupTest, NamesCompareWithoutCaseWhereTheFileSystemSaysSoButOnlyForAsciiLetters) {
    const std::string accented = U8(u8"É.txt"), accentedVersion = U8(u8"dst/v/É_20240315103007.txt");
    for (const std::string& name : {std::string("Ab.txt"), std::string("报告X.doc"), accented, std::string("m.txt")})
        Put("src/" + name, name, kT);
    Put("dst/v/aB_20240315103007.TXT", "counts", kT);
    Put("dst/v/报告x_20240315103007.DOC", "counts", kT);
    Put(U8(u8"dst/v/é_20240315103007.txt"), "another character", kT);
    Put("dst/m/M.TXT", "the same second", kT);
    Probe probe(posix);
    probe.ignoreCase = true;
    RunBackup(kFolder, Spec("src", "dst/v", "0"), probe);
    EXPECT_EQ(probe.copies, 2) << "the accented name and m.txt";
    EXPECT_EQ(Get(accentedVersion), accented);
    RunBackup(kFolder, Spec("src", "dst/m", "1"), probe);
    EXPECT_EQ(probe.copies, 5) << "all but m.txt";
    EXPECT_EQ(Get("dst/m/M.TXT"), "the same second");
    EXPECT_EQ(Get("dst/m/m.txt"), "<none>");
}

}  // namespace

namespace {

TEST_F(BackupTest, ATargetInsideItsSourceOrASourceInsideItsTargetHoldsOneCopyOfEachFileAfterThreeRuns) {
    for (const std::string flag : {"0", "1"}) {
        const std::string own = "s" + flag, outer = "t" + flag;
        Put(own + "/a.txt", "a", kT);
        Put(own + "/sub/b.txt", "b", kT);
        fs::create_directory_symlink(P(own), P("via" + flag));  // the target named through a link
        // The source's folder "s" would be copied onto the source itself.
        Put(outer + "/s/a.txt", "a", kT);
        Put(outer + "/s/s/c.txt", "c", kT);
        for (int run = 0; run < 3; ++run) {
            RunBackup(kFolder, W(own) + "*" + W("via" + flag) + "\\t*" + flag, posix);
            RunBackup(kFolder, W(outer + "/s") + "*" + W(outer) + "*" + flag, posix);
        }
    }
    EXPECT_EQ(Names("s0/t"), "a_20240315103007.txt sub");
    EXPECT_EQ(Names("s0/t/sub"), "b_20240315103007.txt");
    EXPECT_EQ(Names("s1/t"), "a.txt sub");
    EXPECT_EQ(Names("s1/t/sub"), "b.txt");
    EXPECT_EQ(Names("t0"), "a_20240315103007.txt s");
    EXPECT_EQ(Names("t1"), "a.txt s");
    for (const char* source : {"t0/s", "t1/s"}) {
        EXPECT_EQ(Names(source), "a.txt s") << source;
        EXPECT_EQ(Names(std::string(source) + "/s"), "c.txt") << source;
    }
    RunBackup(kFolder, Spec("s1", "s1", "1"), posix);  // a folder onto itself
    EXPECT_EQ(Names("s1"), "a.txt sub t");
}

TEST_F(BackupTest, OnFatTimesUpToTwoSecondsApartAreOneTime) {
    Put("src/even.txt", "new", kT);
    Put("src/odd.txt", "new", kT);
    Put("dst/even.txt", "old", kT + 2);
    Put("dst/odd.txt", "old", kT + 2, 100);  // a tick beyond
    Probe fat(posix);
    fat.coarse = true;
    RunBackup(kFolder, Spec("src", "dst", "1"), fat);
    EXPECT_EQ(Get("dst/even.txt"), "old");
    EXPECT_EQ(Get("dst/odd.txt"), "new");
    Probe ntfs(posix);
    RunBackup(kFolder, Spec("src", "dst", "1"), ntfs);
    EXPECT_EQ(Get("dst/even.txt"), "new");
}

}  // namespace

namespace {

// The POSIX adapter, but every open by path below the target root fails the
// test; and once the target's folder `swap` has been entered, its owner
// moves it aside and puts a link to `outside` in its place.
class TargetByHandle : public PosixFileSystem {
public:
    std::string target, swap, outside;
    bool swapped = false;

    bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override {
        Refuse(folder);
        return PosixFileSystem::ListFolder(folder, entries);
    }
    std::optional<FileEntry> Stat(const std::string& path) override {
        Refuse(path);
        return PosixFileSystem::Stat(path);
    }
    bool MakeFolder(const std::string& path) override { return Refuse(path) && PosixFileSystem::MakeFolder(path); }
    bool CopyNew(const std::string& from, const std::string& to) override { return Refuse(to) && PosixFileSystem::CopyNew(from, to); }
    bool Rename(const std::string& from, const std::string& to, bool replace) override {
        return Refuse(to) && PosixFileSystem::Rename(from, to, replace);
    }
    bool Remove(const std::string& path) override { return Refuse(path) && PosixFileSystem::Remove(path); }
    std::unique_ptr<HeldFolder> HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) override {
        std::unique_ptr<HeldFolder> held = PosixFileSystem::HoldSubfolder(parent, name, make);
        if (held && held->path == swap && !swapped) {
            swapped = true;
            fs::rename(PosixPath(swap), PosixPath(swap) + ".moved");
            fs::create_directory_symlink(PosixPath(outside), PosixPath(swap));
        }
        return held;
    }

private:
    bool Refuse(const std::string& path) {
        const bool below = path.rfind(target + "\\", 0) == 0;
        EXPECT_FALSE(below) << "opened by path below the target: " << path;
        return !below;
    }
};

}  // namespace

// D:\Backup\sub swapped for a junction to a system folder, before the run or
// while it works in it; and a target that is a link itself.
TEST_F(BackupTest, TheTargetIsWalkedByHandleAndNoLinkInItIsEnteredOrWrittenThrough) {
    Put("src/a.txt", "a", kT);
    Put("src/sub/b.txt", "b", kT);
    Put("src/sub/deeper/c.txt", "c", kT);
    Put("src/link/d.txt", "d", kT);
    fs::create_directories(P("outside"));
    fs::create_directories(P("dst"));
    fs::create_directory_symlink(P("outside"), P("dst/link"));  // planted before the run
    TargetByHandle files;
    files.target = W("dst");
    files.swap = W("dst/sub");
    files.outside = W("outside");
    BackupTally tally = RunBackup(kFolder, Spec("src", "dst", "1"), files);
    EXPECT_TRUE(files.swapped);
    EXPECT_EQ(Names("outside"), "") << "nothing written through a link";
    EXPECT_EQ(Get("dst/a.txt"), "a");
    EXPECT_EQ(Get("dst/sub.moved/b.txt"), "b") << "the held folder, wherever it was moved";
    EXPECT_EQ(Get("dst/sub.moved/deeper/c.txt"), "c");
    EXPECT_EQ(tally.copied, 3);
    EXPECT_EQ(tally.failed, 1) << "the file below the planted link";

    fs::create_directory_symlink(P("outside"), P("linked"));
    tally = RunBackup(kFolder, Spec("src", "linked", "1"), posix);
    EXPECT_EQ(Names("outside"), "");
    EXPECT_EQ(tally.copied, 0);
    ASSERT_FALSE(tally.failures.empty());
    EXPECT_EQ(tally.failures[0].error, "目标文件夹是链接，未写入");
    tally = RunBackup(kFile, W("src/a.txt") + "*" + W("linked") + "*1", posix);
    EXPECT_EQ(Names("outside"), "");
    ASSERT_EQ(tally.failures.size(), 1u);
    EXPECT_EQ(tally.failures[0].error, "目标文件夹是链接，未写入");
}
