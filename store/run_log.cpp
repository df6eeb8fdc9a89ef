#include "store/run_log.h"

#include "store/gbk.h"

#include <cstdio>

namespace {

std::string Number(unsigned long long n) { return std::to_string(n); }

std::string Counted(const char* before, unsigned long long n, const char* after) {
    std::string text = before;
    text += Number(n);
    return text + after;
}

}  // namespace

Outcome ReminderShown() { return {"已显示"}; }

Outcome OpenOutcome(const std::optional<std::string>& error) {
    if (!error) return {"已打开"};
    return {OneLine(*error), true};
}

Outcome KillOutcome(int ended, int notEnded) {
    std::string text = Counted("结束了 ", static_cast<unsigned>(ended), " 个进程");
    if (notEnded == 0) return {text};
    return {text + Counted("，", static_cast<unsigned>(notEnded), " 个未能结束"), true};
}

Outcome DialOutcome(bool dialled) { return dialled ? Outcome{"已拨号"} : Outcome{"拨号失败", true}; }

Outcome HangUpOutcome(const std::optional<std::string>& told, bool failed) {
    if (!told) return {"无法列出拨号连接", true};
    return {*told, failed};
}

Outcome AdapterOutcome(std::optional<unsigned long> exitCode) {
    if (!exitCode) return {"无法启动 cmd.exe", true};
    return {Counted("netsh 退出码 ", *exitCode, ""), *exitCode != 0};
}

Outcome AdapterRefused() { return {"连接名含有引号、% 或控制字符，未执行", true}; }

Outcome JunkOutcome(std::optional<unsigned long> removed) {
    if (!removed) return {"无法启动 cmd.exe", true};
    return {Counted("删除了 ", *removed, " 个文件")};
}

Outcome PowerCarriedOut() { return {"已执行"}; }

Outcome PowerCancelled() { return {"已取消"}; }

Outcome PowerSuperseded() { return {"未执行，由同一分钟的下一个电源任务取代"}; }

Outcome PowerWaitedForBackups() { return {"等待备份结束后执行"}; }

Outcome BackupOutcome(const BackupTally& tally) {
    std::string text = Counted("复制 ", static_cast<unsigned>(tally.copied), " 个，") +
                       Counted("已是最新 ", static_cast<unsigned>(tally.current), " 个，") +
                       Counted("失败 ", static_cast<unsigned>(tally.failed), " 个");
    if (tally.removed > 0) text += Counted("，删除旧版本 ", static_cast<unsigned>(tally.removed), " 个");
    for (size_t i = 0; i < tally.failures.size(); ++i) {
        const FileFailure& failure = tally.failures[i];
        text += i == 0 ? "：" : "；";
        text += ShortenedText(OneLine(failure.name), kRunLogAttributeCharacters) + "（" + OneLine(failure.error) + "）";
    }
    if (static_cast<size_t>(tally.failed) > tally.failures.size()) text += "；…";
    if (!tally.finished) text += "；备份未能完成";
    return {text, tally.failed > 0 || !tally.finished};
}

Outcome StartNote(const std::string& version, bool elevated) {
    return {"Tempiro " + version + " 启动，" + (elevated ? "以管理员身份运行" : "未以管理员身份运行")};
}

Outcome EndNote() { return {"Tempiro 退出"}; }

Outcome MonitoringNote(bool on) { return {on ? "监控已启用" : "监控已禁用"}; }

std::optional<Outcome> ImportNote(const std::string& path, ImportStatus status, bool replacing,
                                  const std::string& message) {
    const std::string file = OneLine(path);
    switch (status) {
    case ImportStatus::Cancelled: return std::nullopt;
    case ImportStatus::Imported: return Outcome{std::string(replacing ? "导入设置（重置）：" : "导入设置（追加）：") + file};
    default: return Outcome{"导入设置失败：" + file + "  ——  " + OneLine(message), true};
    }
}

std::string RunLogRefusedText(const std::string& folder) {
    return "运行记录未写入：文件夹 " + folder +
           " 不归管理员所有，或者其他用户可以修改它，Tempiro 不在那里写入。请以管理员身份删除该文件夹，Tempiro "
           "下次启动时会重新创建它。";
}

Outcome StoreNote(const std::string& notice) { return {OneLine(notice), true}; }

std::optional<Outcome> RecoveryNote(Recovery recovery) {
    switch (recovery) {
    case Recovery::Completed: return Outcome{"上次退出时未完成的设置更改已补完"};
    case Recovery::Undone: return Outcome{"上次退出时未完成的设置更改已撤销，设置保持更改之前的样子", true};
    case Recovery::None: break;
    }
    return std::nullopt;
}

std::string ShortenedText(const std::string& text, size_t characters) {
    const size_t end = GbkPrefixBytes(text, characters);
    return end < text.size() ? text.substr(0, end) + "…" : text;
}

std::string OneLine(std::string text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsGbkLeadByte(c) && i + 1 < text.size())
            ++i;  // a trail byte is never a control character, but is stepped over all the same
        else if (c < 0x20 || c == 0x7F)
            text[i] = ' ';
    }
    return text;
}

std::string ShownAttribute(TaskType type, const std::string& attribute) {
    std::string shown = attribute;
    if (type == TaskType::BackupFile || type == TaskType::BackupFolder) {
        const BackupSpecFields fields = SplitBackupSpec(attribute);
        shown = fields.source + " → " + fields.target;
    }
    return ShortenedText(OneLine(shown), kRunLogAttributeCharacters);
}

std::string TaskLogText(int number, TaskType type, const std::string& attribute, const Outcome& outcome) {
    std::string text = "任务 ";
    text += Number(static_cast<unsigned>(number));
    text += "  ";
    text += TaskTypeName(type);
    const std::string shown = ShownAttribute(type, attribute);
    if (!shown.empty()) text += "  " + shown;
    return text + "  ——  " + OneLine(outcome.text);
}

std::string RunLogLine(const LocalTime& t, bool failed, const std::string& text) {
    char when[64];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    std::string line = when;
    line += failed ? "  失败  " : "        ";
    return line + text + "\r\n";
}

void RunLog::Task(int number, TaskType type, const std::string& attribute, const Outcome& outcome) {
    try {
        Write(TaskLogText(number, type, attribute, outcome), outcome.failed);
        if (!outcome.failed) return;
        taskFailed_ = true;
        std::function<void()> told;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            told = told_;
        }
        if (told) told();
    } catch (...) {
        // The task has run whatever becomes of its line.
    }
}

void RunLog::Note(const Outcome& note) {
    try {
        Write(OneLine(note.text), note.failed);
    } catch (...) {
    }
}

void RunLog::WhenTaskFails(std::function<void()> told) {
    std::lock_guard<std::mutex> lock(mutex_);
    told_ = std::move(told);
}

void RunLog::Opening() {
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::optional<std::uint64_t> size = file_.Size();
        if (!size || *size == 0) file_.Append(kRunLogMark);
    } catch (...) {
    }
    taskFailed_ = false;
}

// The line is made before the lock is taken; under it, the file is measured,
// turned over when the line would take it past the limit, and the line
// appended in one piece. A file that cannot be turned over keeps its lines
// and takes no more: the log never grows past its bound.
void RunLog::Write(const std::string& text, bool failed) {
    const std::string line = file_.Encode(RunLogLine(clock_.Now(), failed, text));
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::uint64_t> size = file_.Size();
    if (size && *size > 0 && *size + line.size() > limit_) {
        if (!file_.Rotate()) return;
        size.reset();
    }
    file_.Append(size && *size > 0 ? line : kRunLogMark + line);
}
