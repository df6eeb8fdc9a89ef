#include "actions/tray_commands.h"

#include "app/shell_texts.h"
#include "platform/recording_calls.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

TEST(TrayCommands, EachEntryMakesItsCallsAndStandbyClosesProgramsOnlyWithShutappOne) {
    Log calls;
    // Wide paths are recorded in UTF-8, which these expectations spell out.
    RecordingCalls system([&](const std::string& line) { calls.push_back(line); }, L"C:\\Tools\\");
    const std::string list = reinterpret_cast<const char*>(u8"清理系统垃圾列表2026111_952.txt");
    LocalTime now;
    now.year = 2026; now.month = 11; now.day = 1; now.hour = 9; now.minute = 5; now.second = 2;
    struct Row {
        MenuCommand menu;
        std::int32_t shutapp;
        Log expected;
    };
    const Row rows[] = {
        {kCmdLogOff, 0, {"CloseAllPrograms", "ExitWindowsEx 4"}},
        {kCmdStandby, 0, {"SetSystemPowerState 1 1"}},
        {kCmdStandby, 1, {"CloseAllPrograms", "SetSystemPowerState 1 1"}},
        {kCmdHibernate, 1, {"CloseAllPrograms", "SetSystemPowerState 0 1"}},
        {kCmdHibernate, 0, {"SetSystemPowerState 0 1"}},
        {kCmdRestart, 0, {"CloseAllPrograms", "ExitWindowsEx 6"}},
        {kCmdShutDown, 0, {"CloseAllPrograms", "ExitWindowsEx 12"}},
        {kCmdOpenCdDoor, 0, {"mciSendString Set cdaudio door open wait"}},
        {kCmdCloseCdDoor, 0, {"mciSendString Set cdaudio door closed wait"}},
        {kCmdMonitorOff, 0, {"SC_MONITORPOWER 2"}},
        {kCmdCleanJunk, 0,
         {"CreateProcess %SystemRoot%\\System32\\cmd.exe /d /v:off /c \"\".\\QLLJ.bat\" > \"" + list +
              "\"\" in C:\\Tools\\",
          "ShellExecute open C:\\Tools\\" + list + " in C:\\Tools\\"}},
        {kCmdFastRestart, 1, {"CloseAllPrograms", "NtShutdownSystem 1"}},
        {kCmdFastShutDown, 0, {"CloseAllPrograms", "NtShutdownSystem 2"}},
        {kCmdUpdate, 0, {std::string("ShellExecute open ") + kProductPage + " in "}},
        {kCmdHelp, 0, {"ShellExecute C:\\Tools\\Tempiro.CHM"}},
    };
    for (const Row& row : rows) {
        calls.clear();
        std::optional<TrayCommand> command = TrayCommandFor(row.menu);
        ASSERT_TRUE(command.has_value()) << row.menu;
        RunTrayCommand(*command, row.shutapp, now, system);
        EXPECT_EQ(calls, row.expected) << row.menu << " shutapp " << row.shutapp;
    }
    for (MenuCommand own : {kCmdMonitor, kCmdSettings, kCmdAbout, kCmdExit})
        EXPECT_FALSE(TrayCommandFor(own).has_value()) << "the main window's own entry " << own;
}

TEST(TrayMenuMayOpen, OnlyWithTheCursorOverTheIconWhereTheShellCanTell) {
    const ScreenRect icon{1800, 1040, 1824, 1064};
    EXPECT_TRUE(TrayMenuMayOpen(IconPlace::Known, icon, 1800, 1040));
    EXPECT_TRUE(TrayMenuMayOpen(IconPlace::Known, icon, 1823, 1063));
    EXPECT_FALSE(TrayMenuMayOpen(IconPlace::Known, icon, 1824, 1050)) << "the right edge lies outside";
    EXPECT_FALSE(TrayMenuMayOpen(IconPlace::Known, icon, 1810, 1064)) << "the bottom edge lies outside";
    EXPECT_FALSE(TrayMenuMayOpen(IconPlace::Known, icon, 1799, 1050));
    EXPECT_FALSE(TrayMenuMayOpen(IconPlace::Known, icon, 1810, 1039));
    EXPECT_FALSE(TrayMenuMayOpen(IconPlace::Failed, icon, 1810, 1050)) << "a shell that cannot find the icon";
    EXPECT_TRUE(TrayMenuMayOpen(IconPlace::Untold, icon, 0, 0)) << "before Windows 7 no place is told";
}

}  // namespace
