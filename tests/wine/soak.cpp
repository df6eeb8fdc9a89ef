// The soak: the real program for a set time (minutes on the command line, 10
// by default) with four tasks due every minute: a reminder, which the soak
// closes; an open of a batch file, which writes a line for each run; a kill
// of a helper process the soak keeps starting; a small folder backup. Once a
// minute it samples what the program holds, prints the series, and fails
// when a figure grows beyond a small bound after the first minutes, or when
// the tasks did not run.
//
// Under Wine, GetProcessHandleCount and GetGuiResources answer 0 (printed
// as they come, so that a Windows run shows them): handles are counted from
// NtQuerySystemInformation's handle list, windows by enumerating the
// program's top-level and child windows, and private bytes (0 from
// GetProcessMemoryInfo) by the anonymous resident memory of the program's
// Unix process. Wine keeps no count of GDI or USER objects per process, so
// there is no figure for them but the window count.
//
// Run through tests/wine/run_in_prefix.sh (`make soak`): it rewrites the
// store key and kills processes named soakvictim.exe.
#include "app/shell_texts.h"
#include "platform/system_calls_win32.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace driver;

// SystemExtendedHandleInformation and SystemHandleInformation, as ntdll gives them.
constexpr ULONG kExtendedHandleInformation = 64;
constexpr ULONG kHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

struct ExtendedHandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};
struct ExtendedHandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    ExtendedHandleEntry entries[1];
};
struct HandleEntry {
    ULONG processId;
    BYTE type;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// The handles `pid` holds, from the system's handle list; -1 when ntdll gives none.
long HandleCount(DWORD pid) {
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    for (ULONG informationClass : {kExtendedHandleInformation, kHandleInformation}) {
        std::vector<unsigned char> buffer(1 << 16);
        NTSTATUS status;
        ULONG needed = 0;
        while ((status = query(informationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
               kInfoLengthMismatch) {
            if (buffer.size() > (256u << 20)) return -1;
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
        }
        if (status < 0) continue;
        long count = 0;
        if (informationClass == kExtendedHandleInformation) {
            const auto* list = reinterpret_cast<const ExtendedHandleList*>(buffer.data());
            for (ULONG_PTR i = 0; i < list->count; ++i) count += list->entries[i].processId == pid;
        } else {
            const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
            for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].processId == pid;
        }
        return count;
    }
    return -1;
}

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<long*>(param);
    return TRUE;
}

// Top-level windows of `pid` and all their children.
long WindowCount(DWORD pid) {
    long count = 0;
    for (HWND top : TopWindows(L"", L"", pid)) {
        ++count;
        EnumChildWindows(top, CountChild, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

// Under Wine the program is also a Unix process, whose first argument is
// its Windows path: its anonymous resident memory (RssAnon in
// /proc/<pid>/status, through drive Z:) stands for the private bytes Wine
// does not report. -1 when there is no such process.
long long ReadRssAnon(const std::wstring& unixPid) {
    HANDLE file = CreateFileW((L"Z:\\proc\\" + unixPid + L"\\status").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    buffer[read] = 0;
    const char* line = std::strstr(buffer, "RssAnon:");
    return line ? std::atoll(line + 8) : -1;
}

bool IsProgramProcess(const std::wstring& unixPid, const std::string& exeName) {
    HANDLE file = CreateFileW((L"Z:\\proc\\" + unixPid + L"\\cmdline").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[1024];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    buffer[read] = 0;
    std::string first = buffer;  // up to the first zero: the first argument
    std::transform(first.begin(), first.end(), first.begin(), ::tolower);
    const std::string end = "\\" + exeName;
    return first.size() >= end.size() && first.compare(first.size() - end.size(), end.size(), end) == 0;
}

long long UnixPrivateKb(const std::wstring& programPath) {
    static std::wstring unixPid;
    if (!unixPid.empty()) {
        const long long kb = ReadRssAnon(unixPid);
        if (kb >= 0) return kb;
        unixPid.clear();
    }
    std::string exeName = Narrow(programPath.substr(programPath.find_last_of(L'\\') + 1));
    std::transform(exeName.begin(), exeName.end(), exeName.begin(), ::tolower);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return -1;
    do {
        const std::wstring pid = entry.cFileName;
        if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        if (IsProgramProcess(pid, exeName)) {
            unixPid = pid;
            break;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return unixPid.empty() ? -1 : ReadRssAnon(unixPid);
}

struct Sample {
    int minute;
    long handles, windows;
    long reportedHandles, gdi, user;  // what Windows' own calls say
    long long privateKb;
    int reminders, opens, kills;
};

Sample Take(HANDLE process, DWORD pid, int minute, int reminders, int opens, int kills) {
    Sample s{minute, HandleCount(pid), WindowCount(pid), -1, -1, -1, -1, reminders, opens, kills};
    DWORD reported = 0;
    if (GetProcessHandleCount(process, &reported)) s.reportedHandles = static_cast<long>(reported);
    s.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    s.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        s.privateKb = static_cast<long long>(memory.PrivateUsage / 1024);
    if (s.privateKb <= 0) s.privateKb = UnixPrivateKb(ProgramPath());
    return s;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

constexpr char kReminderText[] = "浸泡测试提醒";

// The growth a figure may show from the end of the warm-up to any later sample.
struct Bound {
    const char* name;
    long Sample::*figure;
    long allowed;
};

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;
    const int warmUp = std::min(3, minutes - 1);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // The tasks' material.
    const std::wstring temp = TempFolder();
    const std::wstring openLog = temp + L"soak-opens.txt";
    const std::wstring batch = temp + L"soak-open.cmd";
    const std::wstring victim = temp + L"soakvictim.exe";
    const std::wstring helper = Wide(ExecutableFolder()) + L"tempiro_idle_helper.exe";
    DeleteFileW(openLog.c_str());
    if (!WriteText(batch, "@echo opened>>\"" + Narrow(openLog) + "\"\r\n") ||
        !CopyFileW(helper.c_str(), victim.c_str(), FALSE)) {
        std::printf("soak: cannot write its batch file or copy the helper\n");
        return 2;
    }
    CreateDirectoryW(L"C:\\soak", nullptr);
    CreateDirectoryW(L"C:\\soak\\src", nullptr);
    CreateDirectoryW(L"C:\\soak\\dst", nullptr);
    for (int i = 0; i < 3; ++i) WriteText(L"C:\\soak\\src\\file" + std::to_wstring(i) + L".txt", std::string(1000, 'x'));

    const std::string every = "每隔1分开始0时0分";
    PutRecord(1, every, "提醒", kReminderText, "启用");
    PutRecord(2, every, "打开文件", Narrow(batch), "启用");
    PutRecord(3, every, "关闭程序", "soakvictim.exe", "启用");
    PutRecord(4, every, "备份文件夹", "C:\\soak\\src*C:\\soak\\dst*1", "启用");
    if (!WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 4)) {
        std::printf("soak: cannot write the store\n");
        return 2;
    }

    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    if (!main) {
        std::printf("soak: the program did not start\n");
        return 2;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.id());
    std::printf("soak: %s for %d minutes, pid %lu\n", Narrow(ProgramPath()).c_str(), minutes, program.id());

    std::unique_ptr<Process> target;
    int reminders = 0, kills = 0;
    std::vector<Sample> samples{Take(process, program.id(), 0, 0, 0, 0)};
    const DWORD start = GetTickCount();
    // Closes the reminders on screen, counting each window once however
    // often it is seen before it has gone; true when there were any.
    std::set<HWND> closing;
    auto closeReminders = [&] {
        const std::vector<HWND> open = ReminderWindows(program.id());
        std::set<HWND> stillOpen;
        for (HWND reminder : open) {
            stillOpen.insert(reminder);
            if (!closing.count(reminder) && ChildWithText(reminder, Wide(kReminderText))) ++reminders;
            PostMessageW(reminder, WM_CLOSE, 0, 0);
        }
        closing = std::move(stillOpen);
        return !open.empty();
    };
    for (int minute = 1; minute <= minutes; ++minute) {
        while (GetTickCount() - start < static_cast<DWORD>(minute) * 60000) {
            closeReminders();
            if (target && target->WaitExit(0)) {
                ++kills;
                target.reset();
            }
            if (!target) target = std::make_unique<Process>(victim);
            if (program.WaitExit(0)) {
                std::printf("soak: the program ended after %d minutes\n", minute - 1);
                return 1;
            }
            PumpMessages(2000);
        }
        // A reminder that has just opened is closed before the sample, so
        // that the window count never catches one on screen.
        for (int wait = 0; wait < 50 && closeReminders(); ++wait) PumpMessages(100);
        samples.push_back(Take(process, program.id(), minute, reminders,
                               static_cast<int>(TempFileLines(L"soak-opens.txt").size()), kills));
    }

    std::printf("\n%6s %8s %8s %10s %6s %6s %12s %10s %6s %6s\n", "minute", "handles", "windows", "handles*",
                "gdi*", "user*", "private KiB", "reminders", "opens", "kills");
    for (const Sample& s : samples)
        std::printf("%6d %8ld %8ld %10ld %6ld %6ld %12lld %10d %6d %6d\n", s.minute, s.handles, s.windows,
                    s.reportedHandles, s.gdi, s.user, s.privateKb, s.reminders, s.opens, s.kills);
    std::printf("* GetProcessHandleCount and GetGuiResources as the system answers them (0 under Wine)\n");
    std::printf("private KiB: GetProcessMemoryInfo, or where it answers 0 (Wine) RssAnon of the Unix process\n\n");

    bool ok = true;
    const Bound bounds[] = {{"handles", &Sample::handles, 16},         {"windows", &Sample::windows, 4},
                            {"GetProcessHandleCount", &Sample::reportedHandles, 16},
                            {"GDI objects", &Sample::gdi, 16},         {"USER objects", &Sample::user, 16}};
    const Sample& base = samples[warmUp];
    for (const Bound& b : bounds) {
        long most = base.*b.figure;
        for (size_t i = warmUp; i < samples.size(); ++i) most = std::max(most, samples[i].*b.figure);
        const long growth = most - base.*b.figure;
        const bool within = growth <= b.allowed;
        ok = ok && within;
        std::printf("%-22s from minute %d: %+ld (at most %+ld) %s\n", b.name, warmUp, growth, b.allowed,
                    within ? "ok" : "GROWS");
    }
    long long mostKb = base.privateKb;
    for (size_t i = warmUp; i < samples.size(); ++i) mostKb = std::max(mostKb, samples[i].privateKb);
    const bool memoryWithin = mostKb - base.privateKb <= 2048;
    ok = ok && memoryWithin;
    std::printf("%-22s from minute %d: %+lld KiB (at most +2048) %s\n", "private bytes", warmUp,
                mostKb - base.privateKb, memoryWithin ? "ok" : "GROWS");
    if (samples.back().handles < 0) {
        std::printf("no handle list from NtQuerySystemInformation\n");
        ok = false;
    }

    // A soak in which nothing fired proves nothing; a task due every minute
    // fires in every minute, none passed over.
    const Sample& last = samples.back();
    const int fired = minutes - 1;
    const bool ran = last.reminders >= fired && last.opens >= fired && last.kills >= fired;
    std::printf("tasks: %d reminders closed, %d opens, %d kills in %d minutes (at least %d each) %s\n",
                last.reminders, last.opens, last.kills, minutes, fired, ran ? "ok" : "TOO FEW");
    ok = ok && ran;

    PostMessageW(main, WM_COMMAND, kCmdExit, 0);
    program.WaitExit(10000);
    CloseHandle(process);
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
