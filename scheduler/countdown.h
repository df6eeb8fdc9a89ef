// The countdown before a power action or the hang-up: it is opened with the
// action it stands before and keeps it alone while it runs; it counts the
// seconds of `tishi` on its face, plays the warning sound, and at its end (or
// on "立即…") carries the action out. Its Cancel asks its listener to switch
// monitoring off.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "scheduler/timers.h"
#include "store/options.h"
#include "scheduler/task_actions.h"

#include <optional>
#include <string>
#include <vector>

// The dialog's texts for one word.
struct CountdownTexts {
    std::string caption, label1, actNow, cancel;
};
CountdownTexts CountdownTextsFor(const std::string& word);
// The same while a countdown that has ended waits for the backups, with how
// long it has waited; the files they have left go beside it.
CountdownTexts WaitingTextsFor(const std::string& word, std::uint64_t waitedMs);
std::string FilesLeftText(std::int64_t files);

// The countdown dialog: the main window shown as a small topmost dialog.
class CountdownFace {
public:
    virtual ~CountdownFace() = default;
    virtual void MyChangeCaption(const CountdownTexts& texts) = 0;
    virtual void ShowProgress(int position, int maximum) = 0;  // PgBar1
    virtual void ShowRemaining(const std::string& text) = 0;   // Label2
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

// What a countdown carries out: the action, and a hibernate task's wake text.
struct PowerRequest {
    PowerAction action = PowerAction::ShutDown;
    std::string wake;
};

// A shutdown that waits for the backups goes ahead when they have finished no
// file for this long: a copy that hangs on a dead network share never ends.
inline constexpr std::uint64_t kBackupStallMs = 10 * 60 * 1000;

// How long a shutdown has waited for the backups, and whether they stalled.
class BackupWait {
public:
    void Begin(std::uint64_t nowMs, std::int64_t filesFinished) {
        since_ = progressAt_ = nowMs;
        finished_ = filesFinished;
    }
    // Whether no file has been finished for kBackupStallMs up to `nowMs`.
    bool Stalled(std::uint64_t nowMs, std::int64_t filesFinished) {
        if (filesFinished != finished_) {
            finished_ = filesFinished;
            progressAt_ = nowMs;
        }
        return nowMs - progressAt_ >= kBackupStallMs;
    }
    std::uint64_t WaitedMs(std::uint64_t nowMs) const { return nowMs - since_; }

private:
    std::uint64_t since_ = 0, progressAt_ = 0;
    std::int64_t finished_ = 0;
};

// Whether a countdown whose task fell due in the minute of `dueAt` is too old
// to act on at `now`: more than its length and a minute after that minute
// began, as after a sleep or a jump of the wall clock.
bool CountdownIsStale(const LocalTime& dueAt, const LocalTime& now, int tishi);

// What the run log says of a power action that was not carried out because
// its countdown was stale, and of one that went ahead when backups stalled.
Outcome PowerStale(const LocalTime& dueAt);
Outcome PowerAfterStalledBackups(const std::vector<std::string>& backups);

// Told when a countdown is over, so that the owner of the tick alone
// decides whether the tick runs again.
class CountdownListener {
public:
    virtual ~CountdownListener() = default;
    virtual void CountdownOver() = 0;
    // What came of the pending action: cancelled, or carried out.
    virtual void PowerActionOutcome(const Outcome&) {}
    // The user cancelled: monitoring is to be switched off.
    virtual void CountdownCancelled() {}
};

class Countdown {
public:
    Countdown(const StoreOptions& options, Clock& clock, TimerSwitch& timers, CountdownFace& face, SoundPlayer& sound,
              TaskActions& actions)
        : options_(options), clock_(clock), timers_(timers), face_(face), sound_(sound), actions_(actions) {}

    void ReportTo(CountdownListener& listener) { listener_ = &listener; }
    // Opens the dialog for `request`, or gives the one that counts the later
    // request and its word.
    void Open(PowerRequest request);
    void Timer2Timer();   // one second
    // The buttons act only while the countdown is on screen: a key that
    // reaches the hidden dialog changes nothing.
    void BitBtn1Click();  // act now
    void BitBtn2Click();  // cancel

    bool Counting() const { return counting_; }
    // The action the countdown stands before, and its wake text; none while
    // no countdown runs.
    std::optional<PowerAction> PendingPowerAction() const;
    const std::string& WakeSpec() const { return pending_.wake; }
    // Ended while backups run, the countdown waits for them on screen.
    bool Waiting() const { return waiting_; }
    int Position() const { return position_; }
    // A task fires once in its minute: after a countdown that ended within
    // the minute it opened in, the tick rests until the next minute.
    bool HoldsTick(const LocalTime& now) const;
    // After a resume or a jump of the wall clock: a countdown (or its wait
    // for the backups) whose task fell due too long ago closes without its
    // action, monitoring staying on; otherwise, after a resume, it starts
    // again from its full length, with its sound.
    void ClockMoved(const LocalTime& now, bool resumed);

private:
    int Length() const { return options_.tishi > 0 ? options_.tishi : 0; }
    // What the action's line says when the countdown did not simply run out.
    enum class Ending { Counted, AfterWaiting, AfterStall };
    void Finish(Ending ending = Ending::Counted);
    void Close();  // hidden, silent and stopped, the tick free again
    void StartSound();
    void StopSound();

    const StoreOptions& options_;
    Clock& clock_;
    TimerSwitch& timers_;
    CountdownFace& face_;
    SoundPlayer& sound_;
    TaskActions& actions_;
    CountdownListener* listener_ = nullptr;
    bool counting_ = false;
    bool waiting_ = false;
    bool sounding_ = false;  // the warning sound was started, whatever the options say now
    int position_ = 0;
    PowerRequest pending_;  // while counting_
    std::optional<LocalTime> openedAt_;
    BackupWait wait_;
    std::vector<std::string> stalled_;  // the backups a stalled wait cut off
};
