#include "app/shell_texts.h"

HotkeyCaptions MenuCaptionsFor(std::int32_t rejian, const std::string& userName) {
    if (rejian != 0)
        return {"注销(&L) Ctrl+F8  " + userName, "待机(&W) Ctrl+F9", "快速重启(&I) Ctrl+F10", "快速关机(&Q) Ctrl+F11"};
    return {std::string("注销(&L)  F8") + "  " + userName, "待机(&W)  F9", "快速重启(&I)  F10", "快速关机(&Q)  F11"};
}

std::string TrayMenuCaption(const MenuEntry& entry, const HotkeyCaptions& captions) {
    switch (entry.command) {
    case kCmdLogOff: return captions.logOff;
    case kCmdStandby: return captions.standby;
    case kCmdFastRestart: return captions.fastRestart;
    case kCmdFastShutDown: return captions.fastShutDown;
    default: return entry.caption ? entry.caption : "";
    }
}

std::optional<TrayCommand> TrayCommandFor(MenuCommand command) {
    switch (command) {
    case kCmdLogOff: return PowerAction::LogOff;
    case kCmdStandby: return PowerAction::Standby;
    case kCmdHibernate: return PowerAction::Hibernate;
    case kCmdRestart: return PowerAction::Restart;
    case kCmdShutDown: return PowerAction::ShutDown;
    case kCmdOpenCdDoor: return TrayTool::OpenCdDoor;
    case kCmdCloseCdDoor: return TrayTool::CloseCdDoor;
    case kCmdMonitorOff: return TrayTool::MonitorOff;
    case kCmdCleanJunk: return TrayTool::CleanJunk;
    case kCmdFastRestart: return PowerAction::FastRestart;
    case kCmdFastShutDown: return PowerAction::FastShutDown;
    case kCmdUpdate: return TrayTool::ProductPage;
    case kCmdHelp: return TrayTool::Help;
    default: return std::nullopt;
    }
}

std::string TrayTip(bool monitoring, bool taskFailed) {
    std::string tip = monitoring ? kTipEnabled : kTipDisabled;
    if (taskFailed) tip.append("\n").append(kTipTaskFailed);
    return tip;
}

bool ShouldShowBootTime(std::int32_t kaiji, std::uint64_t secondsSinceBoot) {
    return kaiji == 1 && secondsSinceBoot < 300;
}

std::string BootTimeText(std::uint64_t secondsSinceBoot) {
    const std::uint64_t minutes = secondsSinceBoot / 60;
    const std::uint64_t seconds = secondsSinceBoot % 60;
    std::string text = "本次开机时间：";
    if (minutes != 0) text += std::to_string(minutes) + "分";
    return text + std::to_string(seconds) + "秒。";
}

std::string StoreNoticeText(const LoadReport& report) {
    if (report.ok()) return {};
    if (!report.keyOpened || report.writeFailed || report.readOnly) {
        std::string notice = report.keyOpened && report.readOnly ? kStoreReadOnlyNotice : kStoreUnavailableNotice;
        for (const std::string& error : report.errors) notice += "\r\n" + error;
        return notice;
    }
    std::string notice = kKeptDefaultsNotice;
    for (size_t i = 0; i < report.keptDefaults.size(); ++i) notice += (i ? "、" : "") + report.keptDefaults[i];
    return notice;
}
