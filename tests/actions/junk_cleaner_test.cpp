#include "actions/junk_cleaner.h"
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kUser = L"C:\\Users\\Li (Work)\\AppData\\Local\\Temp", kWindows = L"C:\\Windows\\Temp";

// Folders by path with their listings; a path in `refusals` opens as a link
// (as one swapped for a junction after it was listed) or not at all. Only a
// root may be opened by its path; below it every open is by a single name
// relative to the innermost held folder, or the test fails. A folder in
// `swapOnListing` becomes a junction to kOutside as soon as it is listed.
class FakeFolders : public JunkFolders {
public:
    std::wstring user = kUser + L"\\", windows = kWindows;
    std::map<std::wstring, std::vector<Entry>> listings;
    std::map<std::wstring, Opened> refusals;
    std::set<std::wstring> inUse, swapOnListing, swapped, removed;
    Lines held;

    std::wstring UserTemp() override { return user; }
    std::wstring WindowsTemp() override { return windows; }
    Opened HoldRoot(const std::wstring& path) override {
        EXPECT_TRUE(held.empty()) << "a path opened below a root: " << std::string(path.begin(), path.end());
        if (!held.empty()) return Opened::Refused;
        return Open(path);
    }
    Opened HoldChild(const std::wstring& name) override {
        EXPECT_FALSE(held.empty());
        EXPECT_EQ(name.find_first_of(L"\\/:"), std::wstring::npos);
        return held.empty() ? Opened::Refused : Open(Inside(name));
    }
    std::vector<Entry> ListHeld() override {
        if (swapOnListing.count(held.back())) swapped.insert(held.back());
        return listings.at(held.back());
    }
    bool HeldIntact() override { return !swapped.count(held.back()); }
    void Release() override { held.pop_back(); }
    bool RemoveFile(const std::wstring& name) override {
        EXPECT_EQ(name.find_first_of(L"\\/:"), std::wstring::npos);
        // Through a folder made a junction the name would be found outside.
        const std::wstring path = swapped.count(held.back()) ? L"C:\\Users\\" + name : Inside(name);
        if (inUse.count(path)) return false;
        removed.insert(path);
        return true;
    }
    Lines Clean() {
        Lines lines;
        CleanJunk(*this, [&](const std::wstring& line) { lines.push_back(line); });
        EXPECT_TRUE(held.empty()) << "every held folder is let go";
        return lines;
    }

private:
    std::wstring Inside(const std::wstring& name) const { return held.back() + L"\\" + name; }
    Opened Open(const std::wstring& path) {
        if (refusals.count(path)) return refusals[path];
        if (!listings.count(path)) return Opened::Missing;
        held.push_back(path);
        return Opened::Held;
    }
};

TEST(CleanJunk, NamesEveryRemovedFileVerbatimAndEntersNoLink) {
    FakeFolders folders;
    const std::wstring names[] = {L"y%&echo INJECTED-1", L"x)&echo INJECTED-2", L"c!d ;,=^", L"한글😀.tmp"};
    for (const std::wstring& name : names) folders.listings[kUser].push_back({name});
    folders.listings[kUser].insert(folders.listings[kUser].end(),
                                   {{L"busy.log"}, {L"file link", false, true}, {L".."}, {L"..\\..\\报告.doc"}, {L"C:/x"}, {L"a:b"}, {L""},
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
    expected.insert(expected.begin() + 6, L"跳过链接：" + kUser + L"\\file link");
    expected.insert(expected.end(), {L"跳过链接：" + kUser + L"\\junction", L"已删除：" + kUser + L"\\setup (1)\\f.txt",
                                     L"已删除：" + kUser + L"\\setup (1)\\z&md x\\deep.dat",
                                     L"跳过链接：" + kUser + L"\\swapped", L"无法进入：" + kUser + L"\\locked",
                                     L"清理文件夹：" + kWindows, L"已删除：" + kWindows + L"\\system.tmp",
                                     L"共删除 7 个文件。"});
    EXPECT_EQ(folders.Clean(), expected);
    EXPECT_EQ(folders.removed.size(), 7u);
}

// C:\Windows\Temp\A holds files and a subfolder; once the cleaning holds A,
// its owner empties it and makes it a junction to C:\. Nothing more is
// removed from A, and A\Users is not entered.
TEST(CleanJunk, AHeldFolderMadeAJunctionMidWayStopsThatFolderOnly) {
    FakeFolders folders;
    folders.user.clear();
    const std::wstring a = kWindows + L"\\A";
    folders.listings[kWindows] = {{L"A", true}, {L"after.tmp"}, {L"B", true}};
    folders.listings[a] = {{L"first.tmp"}, {L"Users", true}};
    folders.listings[a + L"\\Users"] = {{L"Li", true}};
    folders.listings[kWindows + L"\\B"] = {{L"b.tmp"}};
    folders.swapOnListing = {a};
    EXPECT_EQ(folders.Clean(), (Lines{L"Tempiro 清理系统垃圾", L"清理文件夹：" + kWindows,
                                      L"已删除：" + kWindows + L"\\after.tmp", L"跳过链接：" + a,
                                      L"已删除：" + kWindows + L"\\B\\b.tmp", L"共删除 2 个文件。"}));
    EXPECT_EQ(folders.removed, (std::set<std::wstring>{kWindows + L"\\after.tmp", kWindows + L"\\B\\b.tmp"}));
}

// An entry opened by its name is what the listing showed only when its
// handle is no link, on the held folder's volume, and (where paths can be
// told) named by the held folder's path and that name.
TEST(CheckChild, AcceptsOnlyTheNamedEntryOfTheHeldFolderOnItsVolume) {
    const HandleFacts held{true, false, 7, 1, u"\\\\?\\C:\\Windows\\Temp\\A"};
    auto child = [](std::u16string path, std::uint64_t volume = 7, bool link = false) {
        return HandleFacts{false, link, volume, 1, std::move(path)};
    };
    EXPECT_EQ(CheckChild(held, u"f.txt", child(u"\\\\?\\C:\\Windows\\Temp\\A\\F.TXT")), ChildCheck::Safe);
    EXPECT_EQ(CheckChild(held, u"f.txt", child(u"")), ChildCheck::Safe);
    EXPECT_EQ(CheckChild(held, u"f.txt", child(u"\\\\?\\C:\\Windows\\Temp\\A\\f.txt", 8)), ChildCheck::OtherVolume);
    EXPECT_EQ(CheckChild(held, u"f.txt", child(u"\\\\?\\C:\\Windows\\Temp\\A\\f.txt", 7, true)), ChildCheck::Link);
    for (const char16_t* path : {u"\\\\?\\C:\\Windows\\Temp\\B\\f.txt", u"\\\\?\\C:\\Users\\f.txt",
                                 u"\\\\?\\C:\\Windows\\Temp\\A\\f.txx", u"\\\\?\\C:\\Windows\\Temp\\A\\x\\f.txt",
                                 u"\\\\?\\C:\\Windows\\Temp\\A\\f.txt\\"})
        EXPECT_EQ(CheckChild(held, u"f.txt", child(path)), ChildCheck::Elsewhere);
    EXPECT_EQ(CheckChild(held, u"..\\f.txt", child(u"")), ChildCheck::Elsewhere);
    const HandleFacts root{true, false, 7, 1, u"\\\\?\\D:\\"};
    EXPECT_EQ(CheckChild(root, u"f.txt", child(u"\\\\?\\D:\\f.txt")), ChildCheck::Safe);
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
