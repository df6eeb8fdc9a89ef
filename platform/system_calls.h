// The system calls behind the power actions, the network actions and the
// countdown's warning sound. The program makes the real calls; a recording
// flavour of it writes them to a file instead, and the native tests use
// fakes, so that no test ever powers a machine off.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The power plan's "allow wake timers" (the sleep group's setting) as the
// active scheme holds it on mains power and on battery: 0 disabled, 1
// enabled, 2 important wake timers only. None where it cannot be read (the
// system has no such setting, or the calls fail).
struct WakeTimerSetting {
    std::optional<std::uint32_t> ac, dc;
};

// Only "enabled" lets the program's timer wake the machine: on Windows 10 and
// later "important wake timers only" leaves ordinary timers like ours asleep,
// as "disabled" does. Any other value counts as unknown, as an unread one.
inline bool ForbidsWakeTimers(std::optional<std::uint32_t> index) { return index == 0u || index == 2u; }
inline bool ForbidsWakeTimers(const WakeTimerSetting& s) { return ForbidsWakeTimers(s.ac) || ForbidsWakeTimers(s.dc); }

inline constexpr std::uint32_t kErrorNotSupported = 50;  // ERROR_NOT_SUPPORTED

class PowerSystem {
public:
    virtual ~PowerSystem() = default;
    virtual void ExitWindowsEx(unsigned flags) = 0;                      // ExitWindowsEx(flags, 0)
    virtual void SetSystemPowerState(bool suspend, bool force) = 0;
    virtual void NtShutdownSystem(int action) = 0;                     // the native call of ntdll.dll
    // Arms the program's one wake timer, with resume, for a local time. The
    // system's error code, 0 when armed; kErrorNotSupported when the timer is
    // set but the machine cannot wake by a timer.
    virtual std::uint32_t SetWakeTimer(const LocalTime& wakeAt) = 0;
    virtual WakeTimerSetting ReadWakeTimerSetting() = 0;
    // Posts WM_CLOSE to the titled main windows of all other programs.
    virtual void CloseAllPrograms() = 0;
};

inline constexpr unsigned kEwxLogOffForced = 4;    // EWX_LOGOFF | EWX_FORCE
inline constexpr unsigned kEwxRebootForced = 6;    // EWX_REBOOT | EWX_FORCE
inline constexpr unsigned kEwxPowerOffForced = 12; // EWX_POWEROFF | EWX_FORCE
inline constexpr int kShutdownReboot = 1;
inline constexpr int kShutdownPowerOff = 2;

using DialupHandle = std::uintptr_t;
inline constexpr size_t kMaxDialupConnections = 10;

// Hears the exit code of a command run without waiting, once it has ended;
// none when it could not be started.
using CmdEnded = std::function<void(std::optional<unsigned long> exitCode)>;

class NetworkSystem {
public:
    virtual ~NetworkSystem() = default;
    // The active dial-up connections, at most ten; none when the
    // enumeration fails (also when there are more than ten).
    virtual std::optional<std::vector<DialupHandle>> DialupConnections() = 0;
    virtual bool HangUp(DialupHandle connection) = 0;  // true when the system accepted it
    virtual bool Autodial() = 0;                       // dials the default connection, no dialog
    // Runs the system folder's cmd.exe, by its full path, without AutoRun
    // commands or delayed expansion, hidden, in the Windows folder, without
    // waiting; `parameters` follow on its command line. `ended`, when given,
    // is called once, on another thread or before this returns.
    virtual void RunCmdHidden(const std::string& parameters, CmdEnded ended) = 0;
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void PlayLoop(const std::string& path) = 0;  // asynchronous, until Stop
    virtual void Stop() = 0;
};

struct ProcessEntry {
    std::uint32_t id = 0;
    std::string exe;  // the executable's file name, GBK
};

// The shell, the process list and the program's own folder.
class DesktopSystem {
public:
    virtual ~DesktopSystem() = default;
    // Opens a file, program, folder or web address with its handler. None
    // when it was opened, else the system's text of why not, in the user's
    // language.
    virtual std::optional<std::string> ShellOpen(const std::string& target, const std::string& workingFolder) = 0;
    // Opens a document of the program (the help file, a cleaning list) with
    // its default action.
    virtual void OpenDocument(const std::wstring& path) = 0;
    // Opens a list the program wrote with the verb "open", in `folder`.
    virtual void OpenList(const std::wstring& path, const std::wstring& folder) = 0;
    // A command of the media control interface, returning when it is done.
    virtual void MciCommand(const std::string& command) = 0;
    // Asks every top-level window to turn the monitor off, skipping hung ones.
    virtual void MonitorOff() = 0;
    virtual std::vector<ProcessEntry> Processes() = 0;
    virtual bool Terminate(std::uint32_t processId) = 0;  // true when the process was ended
    // Runs the system folder's cmd.exe as RunCmdHidden does, but at idle
    // priority, in `folder`, and waits for its end: its exit code, none when
    // it could not be started.
    virtual std::optional<unsigned long> RunCmdHiddenAndWait(const std::wstring& parameters,
                                                             const std::wstring& folder) = 0;
    // The folder of the program's executable, ending in "\", as Windows
    // names it: the program may lie in a folder whose name GBK cannot hold.
    virtual std::wstring ProgramFolder() = 0;
};

// All of them together, as the program holds them.
class SystemCalls : public PowerSystem, public NetworkSystem, public SoundPlayer, public DesktopSystem {};

// What the sweep knows of one top-level window.
struct WindowFacts {
    bool visible = false;
    bool minimised = false;
    bool ownedByAnotherWindow = false;  // an owner that is not the desktop
    bool toolWindow = false;
    bool ownProcess = false;
    bool titled = false;
};

// The sweep's tests, in their order: a window is asked to close only when it
// is shown (or minimised), not owned, no tool window, not this program's, and
// has a title.
bool ShouldCloseWindow(const WindowFacts& window);
