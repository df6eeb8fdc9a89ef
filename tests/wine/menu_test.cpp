// Every tray menu entry and hotkey of the recording flavour, whose power,
// door, monitor, shell and batch calls are written down instead of made.
#include "actions/tray_commands.h"
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

using Lines = std::vector<std::string>;

void ForgetCalls() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    DeleteFileW((std::wstring(folder) + L"tempiro-calls.txt").c_str());
}

// Sends a command or hotkey and returns the calls it made.
template <typename Send>
Lines CallsOf(Send send, size_t expected) {
    ForgetCalls();
    send();
    WaitUntil([&] { return RecordedCalls().size() >= expected; }, 5000);
    PumpMessages(200);  // nothing more comes
    return RecordedCalls();
}

TEST(Menu, EveryEntryAndHotkeyActsAtOnceWithItsSweep) {
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"shutapp", 1));
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    const std::string folder = Narrow(ProgramPath().substr(0, ProgramPath().find_last_of(L'\\') + 1));
    struct Row {
        MenuCommand command;
        Lines expected;
    };
    const Row rows[] = {
        {kCmdLogOff, {"CloseAllPrograms", "ExitWindowsEx 4"}},
        {kCmdStandby, {"CloseAllPrograms", "SetSystemPowerState 1 1"}},
        {kCmdHibernate, {"CloseAllPrograms", "SetSystemPowerState 0 1"}},
        {kCmdRestart, {"CloseAllPrograms", "ExitWindowsEx 6"}},
        {kCmdShutDown, {"CloseAllPrograms", "ExitWindowsEx 12"}},
        {kCmdOpenCdDoor, {"mciSendString Set cdaudio door open wait"}},
        {kCmdCloseCdDoor, {"mciSendString Set cdaudio door closed wait"}},
        {kCmdMonitorOff, {"SC_MONITORPOWER 2"}},
        {kCmdFastRestart, {"CloseAllPrograms", "NtShutdownSystem 1"}},
        {kCmdFastShutDown, {"CloseAllPrograms", "NtShutdownSystem 2"}},
        {kCmdUpdate, {std::string("ShellExecute open ") + kProductPage + " in "}},
        {kCmdHelp, {"ShellExecute " + folder + "Tempiro.CHM"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CallsOf([&] { PostMessageW(main, WM_COMMAND, row.command, 0); }, row.expected.size()), row.expected)
            << row.command;
    }
    Lines clean = CallsOf([&] { PostMessageW(main, WM_COMMAND, kCmdCleanJunk, 0); }, 2);
    ASSERT_EQ(clean.size(), 2u);
    const std::string cmd = "CreateProcess %SystemRoot%\\System32\\cmd.exe /d /v:off /c \"\".\\QLLJ.bat\" > \"清理系统垃圾列表";
    EXPECT_EQ(clean[0].rfind(cmd, 0), 0u) << clean[0];
    const std::string in = ".txt\"\" in " + folder;
    EXPECT_EQ(clean[0].substr(clean[0].size() - std::min(clean[0].size(), in.size())), in) << clean[0];
    EXPECT_EQ(clean[1].rfind("ShellExecute open " + folder + "清理系统垃圾列表", 0), 0u) << clean[1];
    EXPECT_EQ(clean[1].substr(clean[1].size() - std::min(clean[1].size(), folder.size() + 4)), " in " + folder);

    // The hotkeys as the system delivers them: F9 never closes programs, whatever shutapp says.
    const std::pair<const wchar_t*, Lines> keys[] = {
        {L"MyHotkeyF8", {"CloseAllPrograms", "ExitWindowsEx 4"}},
        {L"MyHotkeyF9", {"SetSystemPowerState 1 1"}},
        {L"MyHotkeyF10", {"CloseAllPrograms", "NtShutdownSystem 1"}},
        {L"MyHotkeyF11", {"CloseAllPrograms", "NtShutdownSystem 2"}},
    };
    for (const auto& [atom, expected] : keys) {
        const ATOM id = GlobalFindAtomW(atom);
        ASSERT_NE(id, 0);
        DWORD_PTR result = 0;
        Lines calls = CallsOf([&] { SendMessageTimeoutW(main, WM_HOTKEY, id, 0, SMTO_NORMAL, 5000, &result); },
                              expected.size());
        EXPECT_EQ(calls, expected) << Narrow(atom);
        EXPECT_EQ(result, 1u) << "a recognised hotkey answers 1";
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, WM_HOTKEY, 0xBFFF, 0, SMTO_NORMAL, 5000, &result);
    EXPECT_EQ(result, 0u) << "a hotkey of no atom of the program";
}

TEST(Menu, EachAboutClickOpensABoxAndOkReleasesIt) {
    Process program(ProgramPath());
    HWND main = StartAndWait(program);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, kCmdAbout, 0);
    PostMessageW(main, WM_COMMAND, kCmdAbout, 0);
    std::vector<HWND> boxes = WaitForWindows(L"TempiroAbout", Wide("关于..."), 2, 5000, program.id());
    ASSERT_EQ(boxes.size(), 2u);
    std::vector<std::wstring> texts = ChildTexts(boxes[0]);
    for (const char* line : {"名称:    Tempiro", "版本:    2020", "时间:    2020年8月15日", "确定(&O)"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), Wide(line)), texts.end()) << line;
    RECT client{};
    GetClientRect(boxes[0], &client);
    EXPECT_EQ(client.right, 311);
    EXPECT_EQ(client.bottom, 253);
    for (HWND box : boxes) PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TopWindows(L"TempiroAbout", L"", program.id()).empty(); }, 5000))
        << "a closed About box is released";
}

}  // namespace
