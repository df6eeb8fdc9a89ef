#include "actions/junk_cleaner.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kUser = L"C:\\Users\\Li (Work)\\AppData\\Local\\Temp", kWindows = L"C:\\Windows\\Temp";

// Folders by path with their listings; a path in `refusals` opens as a link
// (as one swapped for a junction after it was listed) or not at all.
class FakeFolders : public JunkFolders {
public:
    std::wstring user = kUser + L"\\", windows = kWindows;
    std::map<std::wstring, std::vector<Entry>> listings;
    std::map<std::wstring, Opened> refusals;
    std::set<std::wstring> inUse;
    Lines held;

    std::wstring UserTemp() override { return user; }
    std::wstring WindowsTemp() override { return windows; }
    Opened Hold(const std::wstring& path) override {
        if (refusals.count(path)) return refusals[path];
        if (!listings.count(path)) return Opened::Missing;
        held.push_back(path);
        return Opened::Held;
    }
    std::vector<Entry> ListHeld() override { return listings.at(held.back()); }
    void Release() override { held.pop_back(); }
    bool RemoveFile(const std::wstring& path) override {
        EXPECT_EQ(path.substr(0, path.rfind(L'\\')), held.back()) << "outside the innermost held folder";
        return !inUse.count(path);
    }
    Lines Clean() {
        Lines lines;
        CleanJunk(*this, [&](const std::wstring& line) { lines.push_back(line); });
        EXPECT_TRUE(held.empty()) << "every held folder is let go";
        return lines;
    }
};

TEST(CleanJunk, NamesEveryRemovedFileVerbatimAndEntersNoLink) {
    FakeFolders folders;
    const std::wstring names[] = {L"y%&echo INJECTED-1", L"x)&echo INJECTED-2", L"c!d ;,=^", L"한글😀.tmp"};
    for (const std::wstring& name : names) folders.listings[kUser].push_back({name});
    folders.listings[kUser].insert(folders.listings[kUser].end(),
                                   {{L"busy.log"}, {L".."}, {L"..\\..\\报告.doc"}, {L"C:/x"}, {L"a:b"}, {L""},
                                    {L"junction", true, true}, {L"setup (1)", true}, {L"swapped", true},
                                    {L"locked", true}, {L"gone", true}});
    folders.listings[kUser + L"\\setup (1)"] = {{L"z&md x", true}, {L"f.txt"}};
    folders.listings[kUser + L"\\setup (1)\\z&md x"] = {{L"deep.dat"}};
    folders.listings[kUser + L"\\junction"] = folders.listings[kUser + L"\\swapped"] = {{L"outside.doc"}};
    folders.listings[kWindows] = {{L"system.tmp"}};
    folders.inUse = {kUser + L"\\busy.log"};
    folders.refusals = {{kUser + L"\\swapped", JunkFolders::Opened::Link},
                        {kUser + L"\\locked", JunkFolders::Opened::Refused}};

    Lines expected = {L"Tempiro 清理系统垃圾", L"清理文件夹：" + kUser};
    for (const std::wstring& name : names) expected.push_back(L"已删除：" + kUser + L"\\" + name);
    expected.insert(expected.end(), {L"跳过链接：" + kUser + L"\\junction", L"已删除：" + kUser + L"\\setup (1)\\f.txt",
                                     L"已删除：" + kUser + L"\\setup (1)\\z&md x\\deep.dat",
                                     L"跳过链接：" + kUser + L"\\swapped", L"无法进入：" + kUser + L"\\locked",
                                     L"清理文件夹：" + kWindows, L"已删除：" + kWindows + L"\\system.tmp",
                                     L"共删除 7 个文件。"});
    EXPECT_EQ(folders.Clean(), expected);
}

TEST(CleanJunk, CleansOnlyAFolderNamedTempThatIsNoLinkAndTheSameFolderOnce) {
    for (const wchar_t* name : {L"C:\\Temp", L"C:\\Users\\Li\\TEMP\\", L"\\\\server\\share\\temp"})
        EXPECT_TRUE(IsTemporaryFolder(name)) << name;
    for (const wchar_t* name : {L"C:\\Temporary", L"C:\\xTemp", L"C:\\Temp\\x", L"C:\\", L"", L"C:\\Temp."})
        EXPECT_FALSE(IsTemporaryFolder(name)) << name;
    FakeFolders folders;
    folders.user = L"C:\\Users\\Li\\Documents\\";
    folders.listings[L"C:\\Users\\Li\\Documents"] = folders.listings[kWindows] = {{L"报告.doc"}};
    folders.refusals = {{kWindows, JunkFolders::Opened::Link}};
    EXPECT_EQ(folders.Clean(), (Lines{L"Tempiro 清理系统垃圾", L"跳过：C:\\Users\\Li\\Documents 不是临时文件夹",
                                      L"跳过链接：" + kWindows, L"共删除 0 个文件。"}));
    folders.user = kUser;
    folders.windows = L"c:\\users\\li (work)\\appdata\\local\\TEMP\\";
    folders.listings[kUser] = folders.listings[L"c:\\users\\li (work)\\appdata\\local\\TEMP"] = {};
    EXPECT_EQ(folders.Clean(), (Lines{L"Tempiro 清理系统垃圾", L"清理文件夹：" + kUser, L"共删除 0 个文件。"}));
}

}  // namespace
