#include "store/task_texts.h"

std::optional<std::int32_t> ToInt(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    std::optional<std::int32_t> value = ToInt(text);
    if (!value) throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}
BackupSpecFields SplitBackupSpec(const std::string& c) {
    std::string parts[3];
    size_t field = 0;
    for (char ch : c) {
        if (ch == '*') {
            if (++field == 3) break;  // text after a third "*" is dropped
            continue;
        }
        parts[field] += ch;
    }
    return {parts[0], parts[1], parts[2].empty() ? "0" : parts[2]};
}

std::string BackupText(const std::string& source, const std::string& target, bool overwrite) {
    return source + "*" + target + (overwrite ? "*1" : "*0");
}

const char* const kTaskTypeNames[kTaskTypeCount] = {
    "提醒",       "打开文件",   "打开文件夹", "关闭程序",   "断开拨号",     "拨号连接",
    "注销计算机", "待机计算机", "休眠计算机", "重启计算机", "关闭计算机",   "快速重启",
    "快速关机",   "清理系统垃圾", "禁用网卡", "启用网卡",   "备份文件",     "备份文件夹",
};

std::optional<TaskType> TaskTypeOf(const std::string& b) {
    for (int i = 0; i < kTaskTypeCount; ++i) {
        if (b == kTaskTypeNames[i]) return static_cast<TaskType>(i);
    }
    return std::nullopt;
}
