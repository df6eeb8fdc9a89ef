#include "app/shell_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayTip, AFailedTaskAddsItsLineToEitherTip) {
    EXPECT_EQ(TrayTip(true, false) + "|" + TrayTip(false, true), "Tempiro2020-启用|Tempiro2020-禁用\n有任务未完成，详见运行记录");
}

TEST(BootTime, TextLeavesOutTheMinutesOnlyWhenThereAreNone) {
    EXPECT_EQ(BootTimeText(299), "本次开机时间：4分59秒。");
    EXPECT_EQ(BootTimeText(45), "本次开机时间：45秒。");
    EXPECT_EQ(BootTimeText(60), "本次开机时间：1分0秒。");
    EXPECT_EQ(BootTimeText(0), "本次开机时间：0秒。");
}

TEST(BootTime, ShownOnlyWithKaijiExactlyOneInTheFirstFiveMinutes) {
    EXPECT_TRUE(ShouldShowBootTime(1, 299));
    EXPECT_TRUE(ShouldShowBootTime(1, 45));
    EXPECT_FALSE(ShouldShowBootTime(1, 300));
    EXPECT_FALSE(ShouldShowBootTime(1, 4000000));
    EXPECT_FALSE(ShouldShowBootTime(2, 45));
    EXPECT_FALSE(ShouldShowBootTime(0, 45));
}

TEST(TrayMenu, CaptionsWithoutCtrlNameTheUserAfterTheLogOffKey) {
    HotkeyCaptions c = MenuCaptionsFor(0, "张三");
    EXPECT_EQ(c.logOff, "注销(&L)  F8  张三");
    EXPECT_EQ(c.standby, "待机(&W)  F9");
    EXPECT_EQ(c.fastRestart, "快速重启(&I)  F10");
    EXPECT_EQ(c.fastShutDown, "快速关机(&Q)  F11");
    EXPECT_EQ(MenuCaptionsFor(0, "").logOff, "注销(&L)  F8  ");
}

TEST(TrayMenu, CaptionsWithCtrlNameTheCtrlKeys) {
    for (int rejian : {1, 2, -1}) {
        HotkeyCaptions c = MenuCaptionsFor(rejian, "Admin");
        EXPECT_EQ(c.logOff, "注销(&L) Ctrl+F8  Admin");
        EXPECT_EQ(c.standby, "待机(&W) Ctrl+F9");
        EXPECT_EQ(c.fastRestart, "快速重启(&I) Ctrl+F10");
        EXPECT_EQ(c.fastShutDown, "快速关机(&Q) Ctrl+F11");
    }
}

TEST(TrayMenu, TableHoldsEveryEntryInOrderWithTheRewrittenCaptions) {
    HotkeyCaptions c = MenuCaptionsFor(1, "u");
    std::vector<std::string> shown;
    for (const MenuEntry& e : kTrayMenu) shown.push_back(e.command ? TrayMenuCaption(e, c) : "-");
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "启用监控(&E)", "-", "设置(&S)", "-", "注销(&L) Ctrl+F8  u", "待机(&W) Ctrl+F9", "休眠(&S)",
                         "重启(&R)", "关机(&U)", "打开光驱(&O)", "关闭光驱(&C)", "关闭显示器(&M)", "清理系统垃圾(&Z)",
                         "快速重启(&I) Ctrl+F10", "快速关机(&Q) Ctrl+F11", "-", "软件更新(&P)", "关于(&A)",
                         "帮助(&H)", "退出(&X)"}));
}

TEST(ShellTexts, AreGbkBytes) {
    // "启用" in GBK; the tray tip and stored states rely on it
    EXPECT_EQ(std::string(kTipEnabled), "Tempiro2020-\xC6\xF4\xD3\xC3");
}

TEST(StoreNotice, SaysSavingFailsOnlyWhenTheKeyCannotBeOpenedOrWritten) {
    EXPECT_EQ(StoreNoticeText(LoadReport{true, false, {}, {}}), "");

    LoadReport closed;
    EXPECT_EQ(StoreNoticeText(closed), kStoreUnavailableNotice);

    LoadReport unwritable{true, true, {"shutapp", "soundpath"},
                          {"Invalid data type for 'shutapp'", "Failed to set data for 'soundpath'"}};
    EXPECT_EQ(StoreNoticeText(unwritable), std::string(kStoreUnavailableNotice) +
                                              "\r\nInvalid data type for 'shutapp'\r\nFailed to set data for 'soundpath'");

    LoadReport wrongTypes{true, false, {"soundpath", "tishi"},
                          {"Invalid data type for 'soundpath'", "Invalid data type for 'tishi'"}};
    const std::string notice = StoreNoticeText(wrongTypes);
    EXPECT_EQ(notice, std::string(kKeptDefaultsNotice) + "soundpath、tishi");
    EXPECT_EQ(notice.find("保存"), std::string::npos);
}

TEST(StoreNotice, AKeyOpenedForReadingAloneSaysTheTasksRunButNothingIsSaved) {
    LoadReport readOnly{true, false, {}, {}, true};
    EXPECT_EQ(StoreNoticeText(readOnly), kStoreReadOnlyNotice);
    LoadReport readOnlyMissing{true, true, {"rejian"}, {"Failed to set data for 'rejian'"}, true};
    EXPECT_EQ(StoreNoticeText(readOnlyMissing), std::string(kStoreReadOnlyNotice) + "\r\nFailed to set data for 'rejian'");
    LoadReport readOnlyWrongType{true, false, {"tishi"}, {"Invalid data type for 'tishi'"}, true};
    EXPECT_EQ(StoreNoticeText(readOnlyWrongType),
              std::string(kStoreReadOnlyNotice) + "\r\nInvalid data type for 'tishi'")
        << "wrong types in a read-only key: the notice says nothing can be saved";
    LoadReport closed{false, false, {}, {}, true};
    EXPECT_EQ(StoreNoticeText(closed), kStoreUnavailableNotice) << "no key, whatever the flag";
    EXPECT_NE(std::string(kStoreReadOnlyNotice).find("保存"), std::string::npos);
}

}  // namespace
