// A replacing "/import" killed in the middle: the next start leaves one whole
// store, every record from one file.
#include "platform/log_file_win32.h"
#include "platform/text_win32.h"
#include "app/main_window.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

// GCC 12 warns of an overlapping copy in std::string's operator+ at -O3,
// which cannot happen (its bug 105329).
#pragma GCC diagnostic ignored "-Wrestrict"

namespace {

using namespace driver;

constexpr int kTasks = 5000;
const std::wstring kNewKey = L"Software\\Qelvora\\Tempiro.new";
const std::wstring kOldKey = L"Software\\Qelvora\\Tempiro.old";
const std::wstring kChangeKey = L"Software\\Qelvora\\Tempiro.change";

// Record n of the store before the import, and of the file. Neither can act:
// both are disabled, so a start never fires one.
std::vector<std::wstring> OldRecord(int n) {
    return {Wide("每天9时0分"), Wide("关闭计算机"), L"OLD-" + std::to_wstring(n), Wide("禁用")};
}
std::vector<std::wstring> NewRecord(int n) {
    return {Wide("每隔1分开始0时0分"), Wide("提醒"), L"NEW-" + std::to_wstring(n), Wide("禁用")};
}

HKEY OpenKey(const std::wstring& path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void PutOldStore() {
    for (const std::wstring& sibling : {kNewKey, kOldKey, kChangeKey})
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, sibling.c_str(), KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kStore.c_str(), KEY_WOW64_64KEY, 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStore.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (int n = 1; n <= kTasks; ++n) {
        const std::vector<std::wstring> texts = OldRecord(n);
        for (int l = 0; l < 4; ++l) {
            const std::wstring name = std::wstring(1, static_cast<wchar_t>(L'A' + l)) + std::to_wstring(n);
            RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(texts[l].c_str()),
                           static_cast<DWORD>((texts[l].size() + 1) * sizeof(wchar_t)));
        }
    }
    DWORD count = kTasks;
    RegSetValueExW(key, L"TaskNum", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
}

std::wstring SettingsFile() {
    std::string text = "2020.05.10\r\nsoundpath=\r\ntishi=60\r\nshutapp=0\r\nTaskNum=" + std::to_string(kTasks) +
                       "\r\nkaiji=0\r\nrejian=0\r\n";
    for (int n = 1; n <= kTasks; ++n) {
        const std::vector<std::wstring> texts = NewRecord(n);
        for (int l = 0; l < 4; ++l)
            text += std::string(1, static_cast<char>('A' + l)) + std::to_string(n) + "=" + Narrow(texts[l]) + "\r\n";
    }
    wchar_t folder[MAX_PATH] = {};
    const std::wstring path = std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + L"new-tasks.txt";
    std::ofstream(path.c_str(), std::ios::binary) << text;
    return path;
}

DWORD Values(const std::wstring& path) {
    HKEY key = OpenKey(path, KEY_READ);
    if (!key) return 0;
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return values;
}

bool Exists(const std::wstring& path) {
    HKEY key = OpenKey(path, KEY_READ);
    if (key) RegCloseKey(key);
    return key != nullptr;
}

// "old" or "new" when every record is whole and from that store; else what broke.
std::string WhichStore() {
    HKEY key = OpenKey(kStore, KEY_READ);
    if (!key) return "no store key";
    DWORD count = 0, size = sizeof count, type = 0;
    RegQueryValueExW(key, L"TaskNum", nullptr, &type, reinterpret_cast<BYTE*>(&count), &size);
    std::string which;
    for (int n = 1; n <= kTasks && which.find(' ') == std::string::npos; ++n) {
        std::vector<std::wstring> texts;
        for (int l = 0; l < 4; ++l) {
            const std::wstring name = std::wstring(1, static_cast<wchar_t>(L'A' + l)) + std::to_wstring(n);
            wchar_t buffer[256] = {};
            DWORD bytes = sizeof buffer - sizeof(wchar_t);
            RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
            texts.emplace_back(buffer);
        }
        const std::string now = texts == OldRecord(n) ? "old" : texts == NewRecord(n) ? "new" : "";
        if (now.empty())
            which = "record " + std::to_string(n) + " is " + Narrow(texts[0] + L"/" + texts[1] + L"/" + texts[2]);
        else if (which.empty())
            which = now;
        else if (which != now)
            which = "record " + std::to_string(n) + " is " + now + " after " + which + " ones";
    }
    RegCloseKey(key);
    if (count != kTasks) which += ", TaskNum " + std::to_string(count);
    return which;
}

// The run log, a UTF-8 file, as UTF-16.
std::wstring RunLogText() {
    std::ifstream in((RunLogFolder() + L"\\运行记录.txt").c_str(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

TEST(StoreKill, AReplacingImportKilledAtThreeMomentsLeavesOneWholeStoreAfterTheNextStart) {
    const std::wstring file = SettingsFile();
    struct Moment {
        const char* name;
        std::function<bool()> reached;
    };
    const Moment moments[] = {
        {"new store begun", [] { return Values(kNewKey) >= 2000; }},
        {"new store nearly whole", [] { return Values(kNewKey) >= 4 * kTasks - 1000; }},
        {"the old store set aside", [] { return Exists(kOldKey); }},
    };
    int landed = 0;
    for (const Moment& moment : moments) {
        PutOldStore();
        const std::wstring logBefore = RunLogText();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring line = L"\"" + ProgramPath() + L"\" /import \"" + file + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(info.hThread);
        const HANDLE process = info.hProcess;
        bool reached = false;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 60000;) {
            if ((reached = moment.reached()) || WaitForSingleObject(process, 0) == WAIT_OBJECT_0) break;
        }
        TerminateProcess(process, 9);  // under Wine: SIGKILL of the program's process
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
        const bool left = Exists(kNewKey) || Exists(kOldKey) || Exists(kChangeKey);
        landed += left;

        // The next start: every task is disabled, so none fires.
        Process next(ProgramPath());
        HWND main = StartAndWait(next);
        ASSERT_NE(main, nullptr) << moment.name;
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(next.WaitExit(20000)) << moment.name;
        const std::string which = WhichStore();
        std::printf("killed at \"%s\"%s: %s store, %s\n", moment.name, reached ? "" : " (the import had ended)",
                    which.c_str(), left ? "mended at the next start" : "nothing to mend");
        EXPECT_TRUE(which == "old" || which == "new") << moment.name << ": " << which;
        EXPECT_FALSE(Exists(kNewKey) || Exists(kOldKey) || Exists(kChangeKey)) << moment.name;
        const std::wstring log = RunLogText().substr(logBefore.size());
        const bool noted = log.find(Wide("上次退出时未完成的设置更改")) != std::wstring::npos;
        EXPECT_EQ(noted, left) << moment.name << (reached ? "" : " (the import ended first)") << "\n" << Narrow(log);
    }
    EXPECT_GE(landed, 2) << "the kills should fall inside the import";
}

}  // namespace
