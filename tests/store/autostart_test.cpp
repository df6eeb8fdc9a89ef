#include "store/autostart.h"

#include "platform/fake_registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegRoot kHklm = RegRoot::LocalMachine;

struct FakeTasks : LogonTaskScheduler {
    std::vector<std::string> calls;
    bool present = false;
    std::optional<std::string> refusal;  // what every call answers
    bool Present() override { return present; }
    std::optional<std::string> Register(const std::u16string& definition) override {
        calls.push_back(definition == u"<task/>" ? "register" : "another definition");
        present = present || !refusal;
        return refusal;
    }
    std::optional<std::string> Remove() override {
        calls.push_back("remove");
        return refusal;
    }
};

class AutostartTest : public ::testing::Test {
protected:
    FakeRegistry backend;
    RegistryAccessor registry{backend};
    FakeTasks tasks;
    AutostartTarget self{"C:\\Tools\\My Apps\\Tempiro.exe", u"<task/>", 6};

    std::string Value() {
        auto value = backend.Get(kHklm, kRun, "Horlane");
        return value ? value->text : "(missing)";
    }
};

TEST_F(AutostartTest, TheValueIsQuotedAndEitherFormNamesThisCopyByteForByte) {
    const std::string& exe = self.exePath;
    for (const std::string& other : {std::string("c:\\tools\\my apps\\tempiro.exe"), exe + " ", "\"" + exe, std::string("\"C:\\Tools\\My.exe\"")}) {
        backend.Put(kHklm, kRun, "Horlane", StringValue(other));
        EXPECT_FALSE(AutostartEnabled(registry, exe)) << other;
    }
    backend.Put(kHklm, kRun, "Horlane", StringValue(exe));
    EXPECT_TRUE(AutostartEnabled(registry, exe)) << "as it was once written";
    backend.writes = 0;
    EXPECT_EQ(ApplyAutostart(registry, tasks, true, self), std::nullopt);
    EXPECT_EQ(Value(), "\"C:\\Tools\\My Apps\\Tempiro.exe\"");
    EXPECT_EQ(backend.writes, 1) << "written over, never deleted first";
    EXPECT_TRUE(AutostartEnabled(registry, exe));
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(AutostartTest, OkRegistersAnewFromVistaOnClearingRemovesBothAndFailuresAreTold) {
    ApplyAutostart(registry, tasks, true, self);
    ApplyAutostart(registry, tasks, true, self);
    EXPECT_EQ(ApplyAutostart(registry, tasks, false, self), std::nullopt);
    EXPECT_EQ(Value(), "(missing)");
    EXPECT_EQ(tasks.calls, (std::vector<std::string>{"register", "register", "remove"}));

    tasks.refusal = "拒绝访问。";
    EXPECT_EQ(ApplyAutostart(registry, tasks, true, self), "Failed to register the logon task 'Tempiro': 拒绝访问。");
    EXPECT_EQ(ApplyAutostart(registry, tasks, false, self), "Failed to delete the logon task 'Tempiro': 拒绝访问。");
    tasks.calls.clear();
    self.osMajorVersion = 5;  // XP: the value alone
    ApplyAutostart(registry, tasks, true, self);
    EXPECT_EQ(Value(), "\"C:\\Tools\\My Apps\\Tempiro.exe\"");
    backend.denyWrite = true;
    self.osMajorVersion = 6;
    EXPECT_THROW(ApplyAutostart(registry, tasks, true, self), StoreError);
    EXPECT_TRUE(tasks.calls.empty()) << "XP, or a value that could not be written";
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(AutostartTest, StartRegistersAMissingTaskOnlyWhenTheValueNamesThisCopy) {
    EnsureLogonTask(registry, tasks, self);
    backend.Put(kHklm, kRun, "Horlane", StringValue("C:\\Other\\Tempiro.exe"));
    EnsureLogonTask(registry, tasks, self);
    EXPECT_TRUE(tasks.calls.empty()) << "no value, or another copy's";

    backend.Put(kHklm, kRun, "Horlane", StringValue(self.exePath));  // set up before the task existed
    EXPECT_EQ(EnsureLogonTask(registry, tasks, self), std::nullopt);
    EnsureLogonTask(registry, tasks, self);
    EXPECT_EQ(tasks.calls, (std::vector<std::string>{"register"})) << "once: then it is present";

    tasks.present = false;
    self.osMajorVersion = 5;
    EnsureLogonTask(registry, tasks, self);
    EXPECT_EQ(tasks.calls.size(), 1u) << "XP has no logon task";
}

TEST(LogonTaskDefinition, NamesTheTriggerRunLevelBatteryAndTimeSettingsAndEscapesThePath) {
    const std::u16string xml = LogonTaskDefinition(u"C:\\R&D <x>\\it's \"Tempiro\".exe", u"/logon");
    for (const char16_t* part : {
             u"<LogonTrigger>\r\n      <Enabled>true</Enabled>\r\n    </LogonTrigger>",
             u"<GroupId>S-1-5-32-545</GroupId>", u"<RunLevel>HighestAvailable</RunLevel>",
             u"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
             u"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>", u"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
             u"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
             u"<Command>\"C:\\R&amp;D &lt;x&gt;\\it&apos;s &quot;Tempiro&quot;.exe\"</Command>",
             u"<Arguments>/logon</Arguments>"}) {
        EXPECT_NE(xml.find(part), std::u16string::npos) << std::string(part, part + std::char_traits<char16_t>::length(part));
    }
    EXPECT_EQ(xml.find(u"<UserId>"), std::u16string::npos) << "any user's logon";
    EXPECT_EQ(xml.rfind(u"</Task>\r\n"), xml.size() - 9);
}

}  // namespace
