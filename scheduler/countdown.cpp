#include "scheduler/countdown.h"

#include "scheduler/missed_runs.h"
#include "store/calendar.h"

#include <algorithm>

CountdownTexts CountdownTextsFor(const std::string& word) {
    CountdownTexts texts;
    texts.actNow = "立即" + word;
    texts.cancel = "取消" + word;
    texts.label1 = "要想" + texts.cancel + "，请按下<" + texts.cancel + ">按钮:剩余";
    texts.caption = "Windows 正在准备" + word + "...";
    return texts;
}

CountdownTexts WaitingTextsFor(const std::string& word, std::uint64_t waitedMs) {
    CountdownTexts texts = CountdownTextsFor(word);
    const std::uint64_t seconds = waitedMs / 1000;
    texts.label1 = "正在备份（已等" + std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒），完成后" +
                   word + "…剩余文件:";
    return texts;
}

std::string FilesLeftText(std::int64_t files) { return std::to_string(files) + " 个"; }

bool CountdownIsStale(const LocalTime& dueAt, const LocalTime& now, int tishi) {
    const std::int64_t elapsed =
        (calendar::MinuteNumber(now) - calendar::MinuteNumber(dueAt)) * 60 + now.second;
    return elapsed > std::int64_t{std::max(tishi, 0)} + 60;
}

Outcome PowerStale(const LocalTime& dueAt) {
    return {"未执行：任务到期于 " + MomentText(dueAt) + "，电脑睡眠或时钟变动后已过了倒计时的时间", true};
}

Outcome PowerAfterStalledBackups(const std::vector<std::string>& backups) {
    std::string text = "备份 10 分钟未完成任何文件，不再等待即执行";
    for (size_t i = 0; i < backups.size(); ++i) text += (i == 0 ? "；被中断的备份：" : "；") + backups[i];
    return {text, true};
}

namespace {
std::string Remaining(int seconds) { return std::to_string(seconds) + " 秒"; }
}  // namespace

std::optional<PowerAction> Countdown::PendingPowerAction() const {
    return counting_ ? std::optional<PowerAction>(pending_.action) : std::nullopt;
}

void Countdown::Open(PowerRequest request) {
    pending_ = std::move(request);
    waiting_ = false;
    face_.MyChangeCaption(CountdownTextsFor(RowOf(pending_.action).word));
    if (!counting_) {
        position_ = 0;
        face_.ShowProgress(0, Length());
        face_.ShowRemaining(Remaining(Length()));
    }
    timers_.SetEnabled(kTimer2, true);
    face_.Show();
    StartSound();
    counting_ = true;
    openedAt_ = clock_.Now();
}

void Countdown::StartSound() {
    if (options_.soundpath.empty()) return;
    sound_.PlayLoop(options_.soundpath);
    sounding_ = true;
}

void Countdown::Timer2Timer() {
    if (!counting_) return;
    if (!waiting_) {
        position_ = std::min(position_ + 1, Length());
        face_.ShowProgress(position_, Length());
        face_.ShowRemaining(Remaining(Length() - position_));
        if (position_ < Length()) return;
    }
    // A shutdown never cuts a running backup that makes progress: the
    // dialog stays until the last one has ended, or has finished no file for
    // kBackupStallMs, and "立即…" still acts at once.
    const PowerActionRow& row = RowOf(pending_.action);
    const std::optional<std::int64_t> filesLeft = row.waitsForBackups ? actions_.BackupFilesLeft() : std::nullopt;
    if (!filesLeft) {
        Finish(waiting_ ? Ending::AfterWaiting : Ending::Counted);
        return;
    }
    const std::uint64_t now = clock_.UptimeMilliseconds();
    if (!waiting_) wait_.Begin(now, actions_.BackupFilesFinished());
    waiting_ = true;
    if (wait_.Stalled(now, actions_.BackupFilesFinished())) {
        stalled_ = actions_.RunningBackups();
        Finish(Ending::AfterStall);
        return;
    }
    face_.MyChangeCaption(WaitingTextsFor(row.word, wait_.WaitedMs(now)));
    face_.ShowRemaining(FilesLeftText(*filesLeft));
}

void Countdown::BitBtn1Click() {
    if (counting_) Finish();
}

void Countdown::StopSound() {
    if (sounding_) sound_.Stop();
    sounding_ = false;
}

void Countdown::Close() {
    waiting_ = false;
    StopSound();
    position_ = 0;
    face_.ShowProgress(0, Length());
    face_.Hide();
    counting_ = false;
    pending_ = {};
    timers_.SetEnabled(kTimer2, false);
}

void Countdown::Finish(Ending ending) {
    const PowerRequest request = std::move(pending_);
    Close();
    if (listener_) listener_->CountdownOver();
    std::vector<std::string> stalled = std::move(stalled_);
    stalled_.clear();
    actions_.ExecutePowerAction(request.action, request.wake,
                                [this, ending, stalled = std::move(stalled)](const Outcome& outcome) {
                                    if (!listener_) return;
                                    switch (ending) {
                                    case Ending::Counted: listener_->PowerActionOutcome(outcome); break;
                                    case Ending::AfterWaiting: listener_->PowerActionOutcome(PowerWaitedForBackups()); break;
                                    case Ending::AfterStall: listener_->PowerActionOutcome(PowerAfterStalledBackups(stalled)); break;
                                    }
                                });
}

void Countdown::BitBtn2Click() {
    if (!counting_) return;
    sound_.Stop();  // whatever sound plays, started by this countdown or not
    sounding_ = false;
    Close();
    if (!listener_) return;
    listener_->PowerActionOutcome(PowerCancelled());
    listener_->CountdownCancelled();
    listener_->CountdownOver();
}

void Countdown::ClockMoved(const LocalTime& now, bool resumed) {
    if (!counting_ || !openedAt_) return;
    if (CountdownIsStale(*openedAt_, now, Length())) {
        Close();
        if (listener_) listener_->PowerActionOutcome(PowerStale(*openedAt_));
        if (listener_) listener_->CountdownOver();
        return;
    }
    if (!resumed) return;
    // A whole countdown in front of the user again, from the first second.
    waiting_ = false;
    position_ = 0;
    face_.MyChangeCaption(CountdownTextsFor(RowOf(pending_.action).word));
    face_.ShowProgress(0, Length());
    face_.ShowRemaining(Remaining(Length()));
    timers_.SetEnabled(kTimer2, false);
    timers_.SetEnabled(kTimer2, true);
    face_.Show();
    StartSound();
}

bool Countdown::HoldsTick(const LocalTime& now) const { return openedAt_ && calendar::SameMinute(*openedAt_, now); }
