#include "scheduler/countdown.h"

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

CountdownTexts WaitingTextsFor(const std::string& word) {
    CountdownTexts texts = CountdownTextsFor(word);
    texts.label1 = "正在备份，完成后" + word + "…剩余文件:";
    return texts;
}

std::string FilesLeftText(std::int64_t files) { return std::to_string(files) + " 个"; }

namespace {
std::string Remaining(int seconds) { return std::to_string(seconds) + " 秒"; }
}  // namespace

void Countdown::Open() {
    waiting_ = false;
    face_.MyChangeCaption(CountdownTextsFor(RowOf(*state_.PendingPowerAction).word));
    if (!counting_) {
        position_ = 0;
        face_.ShowProgress(0, Length());
        face_.ShowRemaining(Remaining(Length()));
    }
    timers_.SetEnabled(kTimer2, true);
    face_.Show();
    if (!state_.options.soundpath.empty()) {
        sound_.PlayLoop(state_.options.soundpath);
        sounding_ = true;
    }
    counting_ = true;
    openedAt_ = clock_.Now();
}

void Countdown::Timer2Timer() {
    if (!counting_) return;
    if (!waiting_) {
        position_ = std::min(position_ + 1, Length());
        face_.ShowProgress(position_, Length());
        face_.ShowRemaining(Remaining(Length() - position_));
        if (position_ < Length()) return;
    }
    // A shutdown never cuts a running backup: the dialog stays until the
    // last one has ended, and "立即…" still acts at once.
    const PowerActionRow& row = RowOf(*state_.PendingPowerAction);
    const std::optional<std::int64_t> filesLeft = row.waitsForBackups ? actions_.BackupFilesLeft() : std::nullopt;
    if (!filesLeft) {
        Finish(waiting_);
        return;
    }
    if (!waiting_) face_.MyChangeCaption(WaitingTextsFor(row.word));
    waiting_ = true;
    face_.ShowRemaining(FilesLeftText(*filesLeft));
}

void Countdown::BitBtn1Click() {
    if (counting_) Finish();
}

void Countdown::StopSound() {
    if (sounding_) sound_.Stop();
    sounding_ = false;
}

void Countdown::Finish(bool afterWaiting) {
    waiting_ = false;
    StopSound();
    position_ = 0;
    face_.ShowProgress(0, Length());
    face_.Hide();
    counting_ = false;
    timers_.SetEnabled(kTimer2, false);
    if (listener_) listener_->CountdownOver();
    actions_.ExecutePowerAction(*state_.PendingPowerAction, state_.WakeSpec, [this, afterWaiting](const Outcome& outcome) {
        if (listener_) listener_->PowerActionOutcome(afterWaiting ? PowerWaitedForBackups() : outcome);
    });
}

void Countdown::BitBtn2Click() {
    if (!counting_) return;
    timers_.SetEnabled(kTimer2, false);
    sound_.Stop();
    sounding_ = false;
    position_ = 0;
    face_.ShowProgress(0, Length());
    counting_ = false;
    waiting_ = false;
    state_.monitoring = false;
    face_.Hide();
    if (listener_) listener_->PowerActionOutcome(PowerCancelled());
    face_.ShowMonitoring(false);
    if (listener_) listener_->CountdownOver();
}

bool Countdown::HoldsTick(const LocalTime& now) const { return openedAt_ && calendar::SameMinute(*openedAt_, now); }
