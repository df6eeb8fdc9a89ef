// Texts of the application shell: tray tips, the tray menu, the boot-time notice.
#pragma once

#include "actions/tray_commands.h"
#include "store/options.h"

#include <cstdint>
#include <optional>
#include <string>

inline constexpr char kAppTitle[] = "Tempiro2020";
inline constexpr char kMutexName[] = "Qorvix0979-968080";
inline constexpr char kAlreadyRunning[] = "Tempiro2020，已经运行。";
inline constexpr char kAlreadyRunningTitle[] = "提示";
inline constexpr char kTipEnabled[] = "Tempiro2020-启用";
inline constexpr char kTipDisabled[] = "Tempiro2020-禁用";
inline constexpr char kTipTaskFailed[] = "有任务未完成，详见运行记录";
inline constexpr char kNotAdminNotice[] = "以管理员身份运行失败，某些功能如禁启用网卡功能或无效";
inline constexpr char kStoreUnavailableNotice[] =
    "无法打开或写入注册表项 HKEY_LOCAL_MACHINE\\Software\\Qelvora\\Tempiro，"
    "设置和任务无法保存，本次运行使用默认设置。";
inline constexpr char kStoreReadOnlyNotice[] =
    "注册表项 HKEY_LOCAL_MACHINE\\Software\\Qelvora\\Tempiro 只能读取，不能写入："
    "任务照常执行，但设置和任务的修改无法保存。";
inline constexpr char kKeptDefaultsNotice[] = "以下选项在注册表中的值类型不对，本次运行使用其默认值：";
inline constexpr char kMainCaption[] = "正在关闭 Windows...";

// Commands of the tray menu, named after the menu items.
enum MenuCommand : unsigned {
    kCmdMonitor = 1001,   // n1
    kCmdSettings,         // n4
    kCmdLogOff,           // n6
    kCmdStandby,          // n7
    kCmdHibernate,        // n8
    kCmdRestart,          // n9
    kCmdShutDown,         // n10
    kCmdOpenCdDoor,       // n11
    kCmdCloseCdDoor,      // n12
    kCmdMonitorOff,       // n13
    kCmdCleanJunk,        // L1
    kCmdFastRestart,      // n18
    kCmdFastShutDown,     // n19
    kCmdUpdate,           // N20
    kCmdAbout,            // n15
    kCmdHelp,             // n16
    kCmdExit,             // n17
};

struct MenuEntry {
    MenuCommand command;  // 0 for a separator
    const char* caption;
};
inline constexpr MenuEntry kSeparator{static_cast<MenuCommand>(0), nullptr};

// The tray menu in display order, with its captions; those of the four
// hotkey entries come from MenuCaptionsFor.
inline constexpr MenuEntry kTrayMenu[] = {
    {kCmdMonitor, "启用监控(&E)"},
    kSeparator,
    {kCmdSettings, "设置(&S)"},
    kSeparator,
    {kCmdLogOff, nullptr},
    {kCmdStandby, nullptr},
    {kCmdHibernate, "休眠(&S)"},
    {kCmdRestart, "重启(&R)"},
    {kCmdShutDown, "关机(&U)"},
    {kCmdOpenCdDoor, "打开光驱(&O)"},
    {kCmdCloseCdDoor, "关闭光驱(&C)"},
    {kCmdMonitorOff, "关闭显示器(&M)"},
    {kCmdCleanJunk, "清理系统垃圾(&Z)"},
    {kCmdFastRestart, nullptr},
    {kCmdFastShutDown, nullptr},
    kSeparator,
    {kCmdUpdate, "软件更新(&P)"},
    {kCmdAbout, "关于(&A)"},
    {kCmdHelp, "帮助(&H)"},
    {kCmdExit, "退出(&X)"},
};

// The entries that act through the system calls.
std::optional<TrayCommand> TrayCommandFor(MenuCommand command);

// The four captions that start-up rewrites for the hotkey modifier and the user.
struct HotkeyCaptions {
    std::string logOff, standby, fastRestart, fastShutDown;
};
HotkeyCaptions MenuCaptionsFor(std::int32_t rejian, const std::string& userName);

// The caption a menu entry shows after start-up.
std::string TrayMenuCaption(const MenuEntry& entry, const HotkeyCaptions& captions);

// The tray tip: the monitoring switch, and on a second line a task that
// failed since the run log was last opened.
std::string TrayTip(bool monitoring, bool taskFailed);

// Start-up shows the time since boot only when kaiji is exactly 1 and the
// system started less than five minutes ago.
bool ShouldShowBootTime(std::int32_t kaiji, std::uint64_t secondsSinceBoot);
std::string BootTimeText(std::uint64_t secondsSinceBoot);

// What start-up tells the user about loading the options, or empty when all
// went well. A store that cannot be opened or written cannot keep settings;
// one that opened for reading alone runs its tasks but cannot save either;
// a store that only holds some option of the wrong type loaded the others
// and saves as usual, so the notice names just those options.
std::string StoreNoticeText(const LoadReport& report);
