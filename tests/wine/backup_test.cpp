// The backup engine with the Win32 adapter on a real tree in the test's own
// prefix, checked with the wide API.
#include "actions/backup.h"
#include "platform/file_system_win32.h"
#include "platform/log_file_win32.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

const std::string kRoot = "C:\\备份测试";
constexpr TaskType kFolderType = TaskType::BackupFolder;
constexpr SYSTEMTIME kTime{2024, 3, 5, 15, 10, 30, 7, 0};  // the stamp 20240315103007

FILETIME Utc(const SYSTEMTIME& local, int secondsLater = 0) {
    FILETIME asLocal, utc;
    SystemTimeToFileTime(&local, &asLocal);
    LocalFileTimeToFileTime(&asLocal, &utc);
    ULARGE_INTEGER ticks{{utc.dwLowDateTime, utc.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(secondsLater) * 10000000);
    return FILETIME{ticks.LowPart, ticks.HighPart};
}

// Creates the file with its missing folders; "\\?\" for long paths.
void PutWide(const std::wstring& path, const std::string& content, const FILETIME& lastWrite) {
    const std::wstring wide = LongPath(path);
    for (size_t cut = wide.find(L'\\', 7); cut != std::wstring::npos; cut = wide.find(L'\\', cut + 1))
        CreateDirectoryW(wide.substr(0, cut).c_str(), nullptr);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    SetFileTime(file, nullptr, nullptr, &lastWrite);
    CloseHandle(file);
}

void Put(const std::string& path, const std::string& content, const FILETIME& lastWrite) {
    PutWide(Wide(path), content, lastWrite);
}

// A file's first 64 KiB, or `missing` when it cannot be opened.
std::string Contents(const std::wstring& path, DWORD share, const char* missing) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return missing;
    std::string content(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

std::string Get(const std::string& path) { return Contents(LongPath(Wide(path)), FILE_SHARE_READ, "<none>"); }

std::uint64_t LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(LongPath(Wide(path)).c_str(), GetFileExInfoStandard, &data);
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// The names in a folder in the order of their UTF-16 units, or "<none>".
std::wstring WideNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    std::wstring pattern = LongPath(folder);
    HANDLE find = FindFirstFileW((pattern + (pattern.back() == L'\\' ? L"*" : L"\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return L"<none>";
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    std::wstring out;
    for (const std::wstring& n : names) {
        if (!out.empty()) out += L' ';
        out += n;
    }
    return out;
}

std::string Names(const std::string& folder) { return Narrow(WideNames(Wide(folder))); }

// The run log's bytes (UTF-8), for a failure's message.
std::string RunLogText() {
    return Contents(RunLogFolder() + L"\\运行记录.txt", FILE_SHARE_READ | FILE_SHARE_WRITE, "<no run log>");
}

TEST(Backup, NamesThatGbkCannotHoldArriveWithBothPoliciesAndKeepTheirCharactersInVersions) {
    const std::string source = kRoot + "\\多语";
    for (const wchar_t* name : {L"한글.txt", L"ñandú.txt", L"Ωμέγα\\λόγος.doc", L"😀\\😀.txt"})
        PutWide(Wide(source) + L"\\" + name, "x", Utc(kTime));
    const std::string versions = kRoot + "\\多语版本", mirror = kRoot + "\\多语镜像";
    Win32FileSystem fs;
    for (int run = 0; run < 2; ++run) {  // the second run finds everything current
        RunBackup(kFolderType, source + "*" + versions + "*0", fs);
        RunBackup(kFolderType, source + "*" + mirror + "*1", fs);
    }
    const std::wstring versionNames = L"ñandú_20240315103007.txt Ωμέγα 한글_20240315103007.txt 😀";
    const std::wstring greek = L"λόγος_20240315103007.doc", emoji = L"😀_20240315103007.txt";
    const std::wstring mirrorNames = L"ñandú.txt Ωμέγα 한글.txt 😀";
    EXPECT_EQ(WideNames(Wide(versions)), versionNames);
    const std::wstring greekFolder = Wide(versions) + L"\\Ωμέγα", emojiFolder = Wide(versions) + L"\\😀";
    EXPECT_EQ(WideNames(greekFolder), greek);
    EXPECT_EQ(WideNames(emojiFolder), emoji);
    EXPECT_EQ(WideNames(Wide(mirror)), mirrorNames);
}

TEST(BackupSummerTime, AFileKeepsTheStampOfItsOwnSeasonWhateverTheSeasonToday) {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, -60) << "the test runs with TZ=Europe/Berlin";
    // 12:00 UTC is 13:00 in Berlin in January and 14:00 in July, whichever it is now.
    const SYSTEMTIME winter{2024, 1, 1, 15, 12, 0, 0, 0}, summer{2024, 7, 1, 15, 12, 0, 0, 0};
    FILETIME w, s;
    SystemTimeToFileTime(&winter, &w);
    SystemTimeToFileTime(&summer, &s);
    Put(kRoot + "\\季节\\冬.txt", "w", w);
    Put(kRoot + "\\季节\\夏.txt", "s", s);
    Win32FileSystem fs;
    RunBackup(kFolderType, kRoot + "\\季节*" + kRoot + "\\季节版本*0", fs);
    RunBackup(kFolderType, kRoot + "\\季节*" + kRoot + "\\季节版本*0", fs);
    EXPECT_EQ(Names(kRoot + "\\季节版本"), "冬_20240115130000.txt 夏_20240715140000.txt");
}

// The program itself, a mirror task due every minute whose target lies in
// its source: each run copies the changed file, and never the copies.
TEST(BackupTask, AMirrorInsideItsSourceRunThreeTimesByTheProgramHoldsOneCopyOfEachFile) {
    const std::string source = "C:\\资料", mirror = source + "\\镜像";
    Put(source + "\\a.txt", "v1", Utc(kTime));
    Put(source + "\\子\\b.txt", "b", Utc(kTime));
    driver::PutRecord(1, "每隔1分开始0时0分", TaskTypeName(kFolderType), source + "*" + mirror + "*1", "启用");
    ASSERT_TRUE(driver::WriteDword(HKEY_LOCAL_MACHINE, driver::kStore, L"TaskNum", 1));
    driver::EarlyInAMinute(20);
    driver::Process program(driver::ProgramPath());
    ASSERT_TRUE(program.started());
    const std::string copy = mirror + "\\a.txt";
    // A run comes a minute and at most a tick after the one before; a copy
    // that replaces another waits for its data to reach the disk first, which
    // a disk busy with other tests' files can hold up for many seconds.
    for (const char* content : {"v1", "v2", "v3"}) {
        ASSERT_TRUE(driver::WaitUntil([&] { return Get(copy) == content; }, 120000))
            << content << ", the copy holds " << Get(copy) << "; the run log:\n" << RunLogText();
        const int next = content[1] - '0' + 1;
        Put(source + "\\a.txt", std::string("v") + char('0' + next), Utc(kTime, next));
    }
    EXPECT_EQ(Names(mirror), "a.txt 子");
    EXPECT_EQ(Names(mirror + "\\子"), "b.txt");
}

TEST(Backup, AFolderWithChineseNamesKeepsVersionsAndAMirror) {
    const std::string source = kRoot + "\\源";
    Put(source + "\\分公司\\报告.doc", "第一稿", Utc(kTime));
    Put(source + "\\誠\\清单.txt", "名字里有 5C", Utc(kTime));
    Put(source + "\\说明", "no extension", Utc(kTime));
    CreateDirectoryW(Wide(source + "\\空文件夹").c_str(), nullptr);
    const std::string versions = kRoot + "\\目标\\版本", mirror = kRoot + "\\镜像";
    Win32FileSystem fs;
    RunBackup(kFolderType, source + "*" + versions + "*0", fs);
    RunBackup(kFolderType, source + "\\*" + mirror + "*1", fs);
    EXPECT_EQ(Names(versions), "分公司 誠 说明_20240315103007");
    EXPECT_EQ(Names(versions + "\\分公司"), "报告_20240315103007.doc");
    EXPECT_EQ(Get(versions + "\\分公司\\报告_20240315103007.doc"), "第一稿");
    EXPECT_EQ(Names(versions + "\\誠"), "清单_20240315103007.txt");
    EXPECT_EQ(Names(mirror), "分公司 誠 说明");
    EXPECT_EQ(Get(mirror + "\\誠\\清单.txt"), "名字里有 5C");
    EXPECT_EQ(LastWrite(mirror + "\\分公司\\报告.doc"), LastWrite(source + "\\分公司\\报告.doc"));

    // An older source replaces a newer copy; a second version goes beside the first.
    Put(source + "\\分公司\\报告.doc", "第二稿", Utc(kTime, -60));
    RunBackup(kFolderType, source + "*" + versions + "*0", fs);
    RunBackup(kFolderType, source + "*" + mirror + "*1", fs);
    EXPECT_EQ(Names(versions + "\\分公司"), "报告_20240315102907.doc 报告_20240315103007.doc");
    EXPECT_EQ(Get(versions + "\\分公司\\报告_20240315102907.doc"), "第二稿");
    EXPECT_EQ(Get(mirror + "\\分公司\\报告.doc"), "第二稿");
    EXPECT_EQ(Names(mirror + "\\分公司"), "报告.doc");
}

TEST(Backup, ReadOnlyCopiesAreReplacedAndReadOnlyLeftoversRemoved) {
    const std::string source = kRoot + "\\只读", mirror = kRoot + "\\只读镜像";
    Put(source + "\\合同.pdf", "v1", Utc(kTime));
    SetFileAttributesW(Wide(source + "\\合同.pdf").c_str(), FILE_ATTRIBUTE_READONLY);
    Put(mirror + "\\" + BackupTempName(Utf8FromWide(L"合同.pdf"), GetCurrentProcessId(), 999999), "part", Utc(kTime));
    SetFileAttributesW(Wide(mirror + "\\" + BackupTempName(Utf8FromWide(L"合同.pdf"), GetCurrentProcessId(), 999999)).c_str(),
                       FILE_ATTRIBUTE_READONLY);
    Win32FileSystem fs;
    RunBackup(kFolderType, source + "*" + mirror + "*1", fs);
    EXPECT_EQ(Names(mirror), "合同.pdf");
    EXPECT_TRUE(GetFileAttributesW(Wide(mirror + "\\合同.pdf").c_str()) & FILE_ATTRIBUTE_READONLY);

    SetFileAttributesW(Wide(source + "\\合同.pdf").c_str(), FILE_ATTRIBUTE_NORMAL);
    Put(source + "\\合同.pdf", "v2", Utc(kTime, 1));
    RunBackup(kFolderType, source + "*" + mirror + "*1", fs);
    EXPECT_EQ(Get(mirror + "\\合同.pdf"), "v2");
    EXPECT_EQ(Names(mirror), "合同.pdf");
}

// A read-only copy in the mirror that is a second name of a file elsewhere:
// its attributes are that file's too, so it is never made writable, and
// nothing reaches the other name.
TEST(Backup, AReadOnlyCopyWithASecondNameIsNeverMadeWritable) {
    const std::string source = kRoot + "\\两名", mirror = kRoot + "\\两名镜像", outside = kRoot + "\\系统.ini";
    Put(source + "\\合同.pdf", "new", Utc(kTime, 5));
    Put(outside, "keep", Utc(kTime));
    ASSERT_TRUE(CreateDirectoryW(Wide(mirror).c_str(), nullptr));
    ASSERT_TRUE(CreateHardLinkW(Wide(mirror + "\\合同.pdf").c_str(), Wide(outside).c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesW(Wide(outside).c_str(), FILE_ATTRIBUTE_READONLY));
    Win32FileSystem fs;
    RunBackup(kFolderType, source + "*" + mirror + "*1", fs);
    EXPECT_EQ(Get(outside), "keep");
    EXPECT_TRUE(GetFileAttributesW(Wide(outside).c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Names(mirror), "合同.pdf") << "no temporary file left behind";
}

TEST(Backup, PathsLongerThanMaxPathAndADriveRoot) {
    std::string deep = kRoot + "\\长";
    for (int level = 0; level < 6; ++level) deep += "\\" + std::string(60, static_cast<char>('a' + level));
    Put(deep + "\\深处.txt", "deep", Utc(kTime));
    ASSERT_GT(Wide(deep).size(), 300u);
    Win32FileSystem fs;
    RunBackup(kFolderType, kRoot + "\\长*" + kRoot + "\\长镜像*1", fs);
    EXPECT_EQ(Get(kRoot + "\\长镜像" + deep.substr(kRoot.size() + 3) + "\\深处.txt"), "deep");

    // T: is a drive of this test's own (tests/wine/run_in_prefix.sh).
    Put("T:\\根.txt", "root", Utc(kTime));
    Put("T:\\子\\叶.txt", "leaf", Utc(kTime));
    ASSERT_EQ(Names("T:\\"), "子 根.txt");
    RunBackup(kFolderType, "T:\\*" + kRoot + "\\根备份\\*0", fs);
    EXPECT_EQ(Names(kRoot + "\\根备份"), "子 根_20240315103007.txt");
    EXPECT_EQ(Get(kRoot + "\\根备份\\子\\叶_20240315103007.txt"), "leaf");
}

}  // namespace
