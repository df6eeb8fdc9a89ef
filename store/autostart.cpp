#include "store/autostart.h"

namespace {

// Element text: the five characters XML gives a meaning, as entities.
void AppendEscaped(std::u16string& xml, std::u16string_view text) {
    for (char16_t c : text) {
        switch (c) {
        case u'&': xml += u"&amp;"; break;
        case u'<': xml += u"&lt;"; break;
        case u'>': xml += u"&gt;"; break;
        case u'"': xml += u"&quot;"; break;
        case u'\'': xml += u"&apos;"; break;
        default: xml += c; break;
        }
    }
}

}  // namespace

std::string AutostartCommand(const std::string& exePath) { return "\"" + exePath + "\""; }

bool AutostartNames(const std::string& value, const std::string& exePath) {
    return value == exePath || value == AutostartCommand(exePath);
}

std::u16string LogonTaskDefinition(std::u16string_view exePath, std::u16string_view arguments) {
    std::u16string xml =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
        u"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
        u"  <RegistrationInfo>\r\n"
        u"    <Description>Tempiro2020</Description>\r\n"
        u"  </RegistrationInfo>\r\n"
        u"  <Triggers>\r\n"
        u"    <LogonTrigger>\r\n"
        u"      <Enabled>true</Enabled>\r\n"
        u"    </LogonTrigger>\r\n"
        u"  </Triggers>\r\n"
        u"  <Principals>\r\n"
        u"    <Principal id=\"Author\">\r\n"
        // Every member of Users, in the session they log on to.
        u"      <GroupId>S-1-5-32-545</GroupId>\r\n"
        u"      <RunLevel>HighestAvailable</RunLevel>\r\n"
        u"    </Principal>\r\n"
        u"  </Principals>\r\n"
        u"  <Settings>\r\n"
        u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
        u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
        u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
        u"    <AllowHardTerminate>false</AllowHardTerminate>\r\n"
        u"    <StartWhenAvailable>false</StartWhenAvailable>\r\n"
        u"    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\r\n"
        u"    <IdleSettings>\r\n"
        u"      <StopOnIdleEnd>false</StopOnIdleEnd>\r\n"
        u"      <RestartOnIdle>false</RestartOnIdle>\r\n"
        u"    </IdleSettings>\r\n"
        u"    <AllowStartOnDemand>true</AllowStartOnDemand>\r\n"
        u"    <Enabled>true</Enabled>\r\n"
        u"    <Hidden>false</Hidden>\r\n"
        u"    <RunOnlyIfIdle>false</RunOnlyIfIdle>\r\n"
        u"    <WakeToRun>false</WakeToRun>\r\n"
        // No limit: the task's own default ends the program after 72 hours.
        u"    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
        // Normal priority: the default, 7, would also lower the backups' disk priority.
        u"    <Priority>4</Priority>\r\n"
        u"  </Settings>\r\n"
        u"  <Actions Context=\"Author\">\r\n"
        u"    <Exec>\r\n"
        u"      <Command>\"";
    AppendEscaped(xml, exePath);
    xml += u"\"</Command>\r\n      <Arguments>";
    AppendEscaped(xml, arguments);
    xml +=
        u"</Arguments>\r\n"
        u"    </Exec>\r\n"
        u"  </Actions>\r\n"
        u"</Task>\r\n";
    return xml;
}

bool AutostartEnabled(RegistryAccessor& registry, const std::string& exePath) {
    registry.SetRoot(RegRoot::LocalMachine);
    bool on = registry.OpenKey(kRunKeyPath, false) && registry.ValueExists(kAutostartValue) &&
              AutostartNames(registry.ReadString(kAutostartValue), exePath);
    registry.CloseKey();
    return on;
}

std::optional<std::string> ApplyAutostart(RegistryAccessor& registry, LogonTaskScheduler& tasks, bool on,
                                          const AutostartTarget& self) {
    registry.SetRoot(RegRoot::LocalMachine);
    registry.OpenKey(kRunKeyPath, true);
    try {
        if (on)
            registry.WriteString(kAutostartValue, AutostartCommand(self.exePath));
        else if (registry.ValueExists(kAutostartValue))
            registry.DeleteValue(kAutostartValue);
    } catch (const StoreError&) {
        registry.CloseKey();
        throw;
    }
    registry.CloseKey();
    if (self.osMajorVersion < kFirstMajorWithUac) return std::nullopt;
    std::optional<std::string> failed = on ? tasks.Register(self.definition) : tasks.Remove();
    if (!failed) return std::nullopt;
    return LogonTaskError(on, *failed);
}

std::optional<std::string> EnsureLogonTask(RegistryAccessor& registry, LogonTaskScheduler& tasks,
                                           const AutostartTarget& self) {
    if (self.osMajorVersion < kFirstMajorWithUac) return std::nullopt;
    bool named = false;
    try {
        named = AutostartEnabled(registry, self.exePath);
    } catch (const StoreError&) {
        registry.CloseKey();  // a value of another type is not this program's
    }
    if (!named || tasks.Present()) return std::nullopt;
    std::optional<std::string> failed = tasks.Register(self.definition);
    if (!failed) return std::nullopt;
    return LogonTaskError(true, *failed);
}

std::string LogonTaskError(bool registering, const std::string& reason) {
    std::string text = registering ? "Failed to register the logon task 'Tempiro'"
                                   : "Failed to delete the logon task 'Tempiro'";
    if (!reason.empty()) text += ": " + reason;
    return text;
}
