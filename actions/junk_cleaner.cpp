#include "actions/junk_cleaner.h"

namespace {

constexpr wchar_t kTitle[] = L"Tempiro 清理系统垃圾";
constexpr wchar_t kCleaningFolder[] = L"清理文件夹：";
constexpr wchar_t kRemoved[] = L"已删除：";
constexpr wchar_t kSkippedLink[] = L"跳过链接：";
constexpr wchar_t kCannotEnter[] = L"无法进入：";
constexpr wchar_t kSkipped[] = L"跳过：";
constexpr wchar_t kNotTemporary[] = L" 不是临时文件夹";

using WriteLine = std::function<void(const std::wstring&)>;

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c; }

bool EqualIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// A listed name is joined to its folder's path only when it names an entry
// of that folder and nothing else.
bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

// One held folder: its path and the subfolders still to visit.
struct Level {
    std::wstring path;
    std::vector<JunkFolders::Entry> folders;
    size_t next = 0;
};

// Removes the files of the innermost held folder, as they are listed, and
// returns its subfolders.
Level RemoveFiles(JunkFolders& folders, const std::wstring& path, int& removed, const WriteLine& writeLine) {
    Level level{path, {}, 0};
    for (const JunkFolders::Entry& entry : folders.ListHeld()) {
        if (!IsPlainName(entry.name)) continue;
        if (entry.folder) {
            level.folders.push_back(entry);
            continue;
        }
        const std::wstring file = path + L"\\" + entry.name;
        if (entry.link) {
            writeLine(kSkippedLink + file);
            continue;
        }
        // Made a link since it was listed: nothing more goes from it.
        if (!folders.HeldIntact()) {
            writeLine(kSkippedLink + path);
            level.folders.clear();
            break;
        }
        if (folders.RemoveFile(entry.name)) {
            writeLine(kRemoved + file);
            ++removed;
        }
    }
    return level;
}

// Tells why a folder was not entered; Missing is silent.
void ReportNotEntered(JunkFolders::Opened opened, const std::wstring& path, const WriteLine& writeLine) {
    if (opened == JunkFolders::Opened::Link) writeLine(kSkippedLink + path);
    if (opened == JunkFolders::Opened::Refused) writeLine(kCannotEnter + path);
}

// Cleans below a held root, depth first with a stack of its own, so that a
// deep tree cannot exhaust the call stack. Each level stays held until its
// subfolders are done.
void CleanHeldTree(JunkFolders& folders, const std::wstring& root, int& removed, const WriteLine& writeLine) {
    std::vector<Level> levels;
    levels.push_back(RemoveFiles(folders, root, removed, writeLine));
    while (!levels.empty()) {
        Level& top = levels.back();
        if (top.next == top.folders.size()) {
            folders.Release();
            levels.pop_back();
            continue;
        }
        const JunkFolders::Entry& entry = top.folders[top.next++];
        const std::wstring child = top.path + L"\\" + entry.name;
        JunkFolders::Opened opened = JunkFolders::Opened::Link;
        if (!folders.HeldIntact()) {
            writeLine(kSkippedLink + top.path);
            top.next = top.folders.size();
            continue;
        }
        if (!entry.link) opened = folders.HoldChild(entry.name);
        if (opened == JunkFolders::Opened::Held)
            levels.push_back(RemoveFiles(folders, child, removed, writeLine));
        else
            ReportNotEntered(opened, child, writeLine);
    }
}

void CleanRoot(JunkFolders& folders, const std::wstring& root, int& removed, const WriteLine& writeLine) {
    if (root.empty()) return;
    if (!IsTemporaryFolder(root)) {
        writeLine(kSkipped + root + kNotTemporary);
        return;
    }
    const JunkFolders::Opened opened = folders.HoldRoot(root);
    if (opened != JunkFolders::Opened::Held) {
        ReportNotEntered(opened, root, writeLine);
        return;
    }
    writeLine(kCleaningFolder + root);
    CleanHeldTree(folders, root, removed, writeLine);
}

}  // namespace

bool IsTemporaryFolder(const std::wstring& path) {
    const std::wstring trimmed = WithoutTrailingSeparators(path);
    const size_t separator = trimmed.find_last_of(L"\\/");
    const std::wstring last = separator == std::wstring::npos ? trimmed : trimmed.substr(separator + 1);
    return EqualIgnoringAsciiCase(last, L"Temp");
}

int CleanJunk(JunkFolders& folders, const WriteLine& writeLine) {
    writeLine(kTitle);
    int removed = 0;
    const std::wstring user = WithoutTrailingSeparators(folders.UserTemp());
    const std::wstring windows = WithoutTrailingSeparators(folders.WindowsTemp());
    CleanRoot(folders, user, removed, writeLine);
    if (!EqualIgnoringAsciiCase(user, windows)) CleanRoot(folders, windows, removed, writeLine);
    writeLine(L"共删除 " + std::to_wstring(removed) + L" 个文件。");
    return removed;
}
