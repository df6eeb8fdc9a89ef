#include "actions/desktop.h"

#include "store/gbk.h"

std::string WorkingFolderOf(const std::string& path) {
    return path.substr(0, path.size() - FileNamePart(path).size());
}

std::optional<std::string> OpenTarget(const std::string& target, DesktopSystem& desktop) {
    return desktop.ShellOpen(target, WorkingFolderOf(target));
}

std::string UpperAsciiBytes(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    }
    return text;
}

bool ProcessMatches(const std::string& exe, const std::string& name) {
    const std::string wanted = UpperAsciiBytes(name);
    const bool byFileName = UpperAsciiBytes(FileNamePart(exe)) == wanted;
    const bool byWholeText = UpperAsciiBytes(exe) == wanted;
    return byFileName || byWholeText;
}

KillCount EndProcessesByName(const std::string& name, DesktopSystem& desktop) {
    KillCount count;
    for (const ProcessEntry& process : desktop.Processes()) {
        if (!ProcessMatches(process.exe, name)) continue;
        ++count.matched;
        count.lastEnded = desktop.Terminate(process.id);
        if (count.lastEnded) ++count.ended;
    }
    return count;
}

std::wstring JunkListName(const LocalTime& now) {
    auto n = [](int value) { return std::to_wstring(value); };
    return L"清理系统垃圾列表" + n(now.year) + n(now.month) + n(now.day) + L"_" + n(now.hour) + n(now.minute) +
           n(now.second) + L".txt";
}

std::wstring JunkCommandParameters(const std::wstring& listName) {
    return L"/c \"\".\\" + std::wstring(kJunkBatch) + L"\" > \"" + listName + L"\"\"";
}

std::optional<unsigned long> CleanSystemJunk(bool openList, const LocalTime& now, DesktopSystem& desktop) {
    const std::wstring folder = desktop.ProgramFolder();
    const std::wstring list = JunkListName(now);
    const std::optional<unsigned long> removed = desktop.RunCmdHiddenAndWait(JunkCommandParameters(list), folder);
    if (openList) desktop.OpenList(folder + list, folder);
    return removed;
}
