// The installer in a throwaway prefix. TEMPIRO_EXE names the installer of
// this version (a 64-bit build of installer/tempiro.nsi, made by
// build_test_installers.sh); an installer of an older version, whose program
// is the recording flavour, lies beside it, and the program it packs lies in
// the folder above.
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "tempiro_version.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace driver;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tempiro";
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kVersion = Wide(TEMPIRO_PRODUCT_VERSION_STRING);
const std::wstring kOlderVersion = L"2020.0.0";
constexpr DWORD kInstallTimeout = 60000;

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), ::towlower);
    return text;
}

// This test is a 64-bit program: its Program Files is the 64-bit one.
std::wstring InstallFolder() { return KnownFolder(FOLDERID_ProgramFiles) + L"\\Tempiro"; }
std::wstring Installed(const std::wstring& name) { return InstallFolder() + L"\\" + name; }
std::wstring MenuFolder() { return KnownFolder(FOLDERID_CommonPrograms) + L"\\Tempiro"; }
std::wstring OlderInstaller() { return FolderOf(ProgramPath()) + L"\\Tempiro-Setup-older.exe"; }
std::wstring BuiltProgram() { return FolderOf(FolderOf(ProgramPath())) + L"\\Tempiro.exe"; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Contents(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Compared whole, but never printed: they are programs.
bool SameContents(const std::wstring& a, const std::wstring& b) {
    const std::string first = Contents(a);
    return !first.empty() && first == Contents(b);
}

void WriteFile(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << text;
}

DWORD SilentInstall(const std::wstring& installer) { return RunToEnd(L"\"" + installer + L"\" /S"); }

bool Registered() { return ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").has_value(); }

// The uninstaller copies itself to %TEMP% and goes on from there, so the
// process started ends at once: this waits for its work to be done.
bool SilentUninstall() {
    if (RunToEnd(L"\"" + Installed(L"uninstall.exe") + L"\" /S") != 0) return false;
    return WaitUntil([] { return !Registered() && !Exists(Installed(L"uninstall.exe")); }, kInstallTimeout);
}

WORD MachineOf(const std::wstring& program) {
    const std::string image = Contents(program);
    if (image.size() < 0x40) return 0;
    const DWORD header = *reinterpret_cast<const DWORD*>(image.data() + 0x3C);
    if (image.size() < header + 6 || image.compare(header, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return *reinterpret_cast<const WORD*>(image.data() + header + 4);
}

// A text of a program's version information, in the Chinese block it carries.
std::wstring VersionText(const std::wstring& program, const std::wstring& name) {
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    if (data.empty() || !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        return {};
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\080403A8\\" + name;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, wcsnlen(value, length));
}

VS_FIXEDFILEINFO FixedVersion(const std::wstring& program) {
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    VS_FIXEDFILEINFO fixed{};
    VS_FIXEDFILEINFO* found = nullptr;
    UINT length = 0;
    if (!data.empty() && GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) &&
        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&found), &length) && found)
        fixed = *found;
    return fixed;
}

std::wstring ShortcutTarget(const std::wstring& link) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring target;
    IShellLinkW* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        shell->Release();
    }
    return target;
}

std::wstring ImageOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    return path;
}

// In place of the prefix's icacls.exe, this program records each call (and fails it while ICACLS_FAILS is set).
[[maybe_unused]] const bool kIcaclsStandIn = [] {
    wchar_t self[MAX_PATH] = {};
    if (!Lower({self, GetModuleFileNameW(nullptr, self, MAX_PATH)}).ends_with(L"\\icacls.exe")) return false;
    std::ofstream(L"C:\\icacls.txt", std::ios::app | std::ios::binary) << Narrow(GetCommandLineW()) << '\n';
    ExitProcess(GetEnvironmentVariableW(L"ICACLS_FAILS", nullptr, 0) ? 5 : 0);
}();

const wchar_t* const kInstalledFiles[] = {L"Tempiro.exe", L"QLLJ.bat", L"Tempiro.CHM", L"uninstall.exe"};
const std::wstring kShortcuts[] = {L"Tempiro.lnk", Wide("Tempiro 帮助.lnk"), Wide("卸载 Tempiro.lnk")};

TEST(Installer, SilentInstallAndUninstallPutInPlaceAndTakeAwayWhatIsTheirs) {
    ASSERT_FALSE(Registered()) << "the prefix is not fresh";
    ASSERT_EQ(SilentInstall(ProgramPath()), 0u);

    for (const wchar_t* name : kInstalledFiles) EXPECT_TRUE(Exists(Installed(name))) << Narrow(name);
    EXPECT_EQ(MachineOf(Installed(L"Tempiro.exe")), IMAGE_FILE_MACHINE_AMD64) << "the 64-bit build on 64-bit Windows";
    EXPECT_TRUE(SameContents(Installed(L"Tempiro.exe"), BuiltProgram()));
    for (const std::wstring& link : kShortcuts) EXPECT_TRUE(Exists(MenuFolder() + L"\\" + link)) << Narrow(link);
    EXPECT_EQ(Lower(ShortcutTarget(MenuFolder() + L"\\Tempiro.lnk")), Lower(Installed(L"Tempiro.exe")));
    EXPECT_EQ(Lower(ShortcutTarget(MenuFolder() + L"\\" + kShortcuts[1])), Lower(Installed(L"Tempiro.CHM")));
    EXPECT_EQ(Lower(ShortcutTarget(MenuFolder() + L"\\" + kShortcuts[2])), Lower(Installed(L"uninstall.exe")));

    // Programs and Features, in the 64-bit view.
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Tempiro");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), kVersion);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"), L"Qelvora");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon"), Installed(L"Tempiro.exe"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
              L"\"" + Installed(L"uninstall.exe") + L"\"");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"),
              L"\"" + Installed(L"uninstall.exe") + L"\" /S");
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoRepair"), 1u);
    size_t bytes = 0;
    for (const wchar_t* name : kInstalledFiles) bytes += Contents(Installed(name)).size();
    const DWORD estimated = ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize").value_or(0);
    EXPECT_GE(estimated, bytes / 1024) << "KiB";
    EXPECT_LE(estimated, bytes / 1024 + 8) << "KiB";
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane").has_value()) << "no autostart of its own";
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum").has_value()) << "the store is the program's";

    // What Explorer's properties show.
    const std::wstring program = Installed(L"Tempiro.exe");
    EXPECT_EQ(VersionText(program, L"ProductName"), L"Tempiro");
    EXPECT_EQ(VersionText(program, L"ProductVersion"), kVersion);
    EXPECT_EQ(VersionText(program, L"FileVersion"), kVersion + L".0");
    EXPECT_EQ(VersionText(program, L"CompanyName"), L"Qelvora");
    EXPECT_EQ(VersionText(program, L"FileDescription"), Wide("Tempiro2020 定时任务工具"));
    EXPECT_EQ(VersionText(program, L"LegalCopyright"), L"Copyright \u00A9 2020 Qelvora");
    const VS_FIXEDFILEINFO fixed = FixedVersion(program);
    EXPECT_EQ(std::to_wstring(HIWORD(fixed.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed.dwFileVersionMS)) +
                  L"." + std::to_wstring(HIWORD(fixed.dwFileVersionLS)),
              kVersion);
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);

    // The installed program starts, and makes its store. The autostart of a
    // PC set up before the logon task existed gets its task at this start.
    const std::wstring logonTask = L"C:\\windows\\system32\\Tasks\\Tempiro";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane", program));
    Process running(program);
    HWND main = StartAndWait(running);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum").has_value());
    EXPECT_TRUE(WaitUntil([&] { return Exists(logonTask); }, 5000));
    // A list the junk cleaning wrote.
    const std::wstring list = Installed(Wide("清理系统垃圾列表202137_952.txt"));
    WriteFile(list, "C:\\temp\\a.tmp\r\n");

    ASSERT_TRUE(SilentUninstall());
    EXPECT_TRUE(running.WaitExit(5000)) << "the uninstaller ended the program";
    EXPECT_EQ(running.ExitCode(), 0u) << "ended as its own Exit ends it";
    EXPECT_TRUE(WaitUntil([] { return TrayTips().empty(); }, 5000)) << "its tray icon went with it";
    for (const wchar_t* name : kInstalledFiles) EXPECT_FALSE(Exists(Installed(name))) << Narrow(name);
    EXPECT_FALSE(Exists(list));
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_FALSE(Exists(MenuFolder()));
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane").has_value());
    EXPECT_FALSE(Exists(logonTask));
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum").has_value()) << "a silent uninstall keeps the store";
}

TEST(Installer, OverARunningOlderCopyEndsItAndKeepsItsTasks) {
    ASSERT_NE(kVersion, kOlderVersion);
    ASSERT_EQ(SilentInstall(OlderInstaller()), 0u);
    ASSERT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), kOlderVersion);
    ASSERT_FALSE(SameContents(Installed(L"Tempiro.exe"), BuiltProgram())) << "the older copy must be told from the new one";

    // A task written before, disabled so that it never comes due.
    PutRecord(1, "每天9时0分", "提醒", "交周报", "禁用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
    Process running(Installed(L"Tempiro.exe"));
    ASSERT_NE(StartAndWait(running), nullptr);

    ASSERT_EQ(SilentInstall(ProgramPath()), 0u);
    EXPECT_TRUE(running.WaitExit(0)) << "the running copy ended before its files were replaced";
    EXPECT_EQ(running.ExitCode(), 0u) << "ended as its own Exit ends it";
    EXPECT_TRUE(TopWindows(kMainWindowClass).empty());
    EXPECT_TRUE(SameContents(Installed(L"Tempiro.exe"), BuiltProgram()));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), kVersion);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"A1"), Wide("每天9时0分"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"B1"), Wide("提醒"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"C1"), Wide("交周报"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"D1"), Wide("禁用"));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 1u);

    // The new copy starts and reads the task.
    Process updated(Installed(L"Tempiro.exe"));
    ASSERT_NE(StartAndWait(updated), nullptr);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 1u);
}

TEST(Installer, UninstallKeepsWhatIsNotItsOwn) {
    ASSERT_EQ(SilentInstall(ProgramPath()), 0u);
    const std::wstring notes = Installed(Wide("我的笔记.txt"));
    WriteFile(notes, "mine");
    const std::wstring list = Installed(Wide("清理系统垃圾列表20261231_235959.txt"));
    WriteFile(list, "");
    // An autostart entry of another copy of the program.
    const std::wstring other = L"C:\\Tools\\Tempiro.exe";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane", other));

    ASSERT_EQ(RunToEnd(L"\"" + Installed(L"uninstall.exe") + L"\" /S"), 0u);
    EXPECT_TRUE(WaitUntil([] { return !Registered() && !Exists(Installed(L"Tempiro.exe")); }, kInstallTimeout));
    PumpMessages(1000);  // the folder goes last, if it goes
    EXPECT_TRUE(Exists(notes));
    EXPECT_TRUE(Exists(InstallFolder())) << "a folder still holding the user's file stays";
    EXPECT_FALSE(Exists(list));
    EXPECT_FALSE(Exists(Installed(L"uninstall.exe")));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane"), other);
}

TEST(Installer, GivesItsFolderTheRightsOfProgramFilesBeforeWritingOrRefusesIt) {
    wchar_t system[MAX_PATH] = {}, self[MAX_PATH] = {};
    const std::wstring icacls = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\icacls.exe",
                       folder = L"C:\\Tools\\Tempiro", setup = L"\"" + ProgramPath() + L"\" /S /D=" + folder;
    // Unlinked first: the prefix shares the files of the system folder with its template.
    ASSERT_TRUE(DeleteFileW(icacls.c_str()) && GetModuleFileNameW(nullptr, self, MAX_PATH) &&
                CopyFileW(self, icacls.c_str(), TRUE) &&
                WriteString(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"icacls.exe", L"native"));
    SetEnvironmentVariableW(L"ICACLS_FAILS", L"1");
    EXPECT_TRUE(RunToEnd(setup) == 2 && !Exists(folder + L"\\Tempiro.exe")) << "refused before writing a file";
    SetEnvironmentVariableW(L"ICACLS_FAILS", nullptr);
    ASSERT_EQ(RunToEnd(setup), 0u);
    const std::string call = Narrow(L"\"" + icacls + L"\" \"" + folder + L"\" "), owner = call + "/setowner *S-1-5-32-544 /Q\n";
    EXPECT_EQ(Contents(L"C:\\icacls.txt"), owner + owner + call + "/reset /Q\n" + call +
              "/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /Q\n");
}

TEST(Installer, SilentInstallImportsTheTasksFileItIsGiven) {
    const std::wstring tasks = L"C:\\my tasks.txt", setup = L"\"" + ProgramPath() + L"\" /S ";
    WriteFile(tasks, kEveryMinuteSettings);
    WriteFile(L"C:\\notes.txt", "TaskNum =1\r\n");
    // A name relative to the folder the installer starts in, and a file without settings.
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(RunToEnd(setup + L"/TASKS=notes.txt"), 14u) << "10 and the program's code";
    EXPECT_TRUE(Exists(Installed(L"Tempiro.exe")));
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum").has_value()) << "the store was touched";

    ASSERT_EQ(RunToEnd(setup + L"/TASKS=\"" + tasks + L"\""), 0u);
    EXPECT_EQ(StoredRecord(1), Record("每隔1分开始0时0分", "提醒", "从文件来的提醒", "启用"));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 1u);
    ASSERT_EQ(RunToEnd(setup + L"/append /TASKS=\"" + tasks + L"\""), 0u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"), 2u);
}

// The top-level dialog of any process whose caption holds `part`.
HWND DialogCaptioned(const std::string& part) {
    for (HWND w : TopWindows(L"#32770")) {
        if (IsWindowVisible(w) && Text(w).find(Wide(part)) != std::wstring::npos) return w;
    }
    return nullptr;
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST(Installer, WizardInChineseEndsWithTheProgramStartedByItsTickedBox) {
    Process setup(ProgramPath());
    ASSERT_TRUE(setup.started());
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wizard = DialogCaptioned("Tempiro")) != nullptr; }, 20000));
    EXPECT_NE(Text(wizard).find(Wide("安装")), std::wstring::npos) << Narrow(Text(wizard));

    // Next through the pages; the finish page is told by its box.
    const std::wstring runText = Wide("运行 Tempiro");
    bool finished = false;
    WaitUntil([&] {
        HWND box = ChildWithText(wizard, runText);
        if (box && IsWindowVisible(box)) {
            EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "ticked by default";
            PressButton(wizard, IDOK);
            finished = true;
            return true;
        }
        HWND next = GetDlgItem(wizard, IDOK);
        if (next && IsWindowEnabled(next)) {
            PumpMessages(300);  // the install page moves on to the last page by itself
            if (!ChildWithText(wizard, runText)) PressButton(wizard, IDOK);
            PumpMessages(700);
        }
        return false;
    }, kInstallTimeout);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(setup.WaitExit(10000));

    HWND main = WaitForWindow(kMainWindowClass, L"", kStartTimeout);
    ASSERT_NE(main, nullptr) << "the ticked box started the program";
    EXPECT_EQ(Lower(ImageOf(main)), Lower(Installed(L"Tempiro.exe")));
    EXPECT_TRUE(Registered());
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return TopWindows(kMainWindowClass).empty(); }, 10000));
}

// Runs the uninstaller with its pages and answers its question about the
// tasks with `answer`, after checking that "no" is the default.
void UninstallAnswering(int answer) {
    ASSERT_EQ(RunToEnd(L"\"" + Installed(L"uninstall.exe") + L"\""), 0u);
    HWND pages = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (pages = DialogCaptioned("卸载")) != nullptr; }, 20000));
    PressButton(pages, IDOK);  // 卸载(U) on the confirmation page
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND w : TopWindows(L"#32770")) {
            for (const std::wstring& text : ChildTexts(w)) {
                if (text.rfind(Wide("是否同时删除 Tempiro 的任务和设置？"), 0) == 0) question = w;
            }
        }
        return question != nullptr;
    }, 20000));
    // The default button is framed as such (Wine answers DM_GETDEFID from the template).
    auto framed = [&](int id) { return (GetWindowLongW(GetDlgItem(question, id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON; };
    EXPECT_TRUE(framed(IDNO)) << "keeping is the default";
    EXPECT_FALSE(framed(IDYES));
    PressButton(question, answer);
    ASSERT_TRUE(WaitUntil([] { return !Registered(); }, kInstallTimeout));
    // Its last page waits for 关闭.
    WaitUntil([&] {
        HWND close = GetDlgItem(pages, IDOK);
        if (close && IsWindowEnabled(close)) PressButton(pages, IDOK);
        return !IsWindow(pages);
    }, 20000);
}

TEST(Installer, UninstallAsksWhetherToDeleteTheTasksAndKeepsThemByDefault) {
    ASSERT_EQ(SilentInstall(ProgramPath()), 0u);
    PutRecord(1, "每天9时0分", "提醒", "交周报", "禁用");
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
    UninstallAnswering(IDNO);
    EXPECT_FALSE(Exists(Installed(L"Tempiro.exe")));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"A1"), Wide("每天9时0分"));

    ASSERT_EQ(SilentInstall(ProgramPath()), 0u);
    UninstallAnswering(IDYES);
    EXPECT_FALSE(Exists(Installed(L"Tempiro.exe")));
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum").has_value());
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, kStore).empty());
    HKEY parent = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Qelvora", 0, KEY_READ | KEY_WOW64_64KEY, &parent),
              ERROR_SUCCESS)
        << "the company key goes when it holds nothing else";
    if (parent) RegCloseKey(parent);
}

}  // namespace
