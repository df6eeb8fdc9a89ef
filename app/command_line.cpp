#include "app/command_line.h"

#include <algorithm>
#include <cstring>

namespace {

// Case folds the ASCII letters alone, as a switch has no others.
bool SameSwitch(std::wstring_view argument, std::wstring_view name) {
    auto folded = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return argument.size() == name.size() &&
           std::equal(argument.begin(), argument.end(), name.begin(),
                      [&](wchar_t a, wchar_t b) { return folded(a) == b; });
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsSwitch(std::wstring_view argument) {
    return SameSwitch(argument, kImportSwitch) || SameSwitch(argument, kExportSwitch) ||
           SameSwitch(argument, kAppendSwitch);
}

}  // namespace

StartCommand ParseCommandLine(std::wstring_view tail, const std::vector<std::wstring>& args) {
    if (SameSwitch(tail, kJunkCleaningSwitch)) return {StartMode::Clean, {}, false};
    StartCommand command;
    int commands = 0, appends = 0;
    bool stray = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool import = SameSwitch(args[i], kImportSwitch);
        if (import || SameSwitch(args[i], kExportSwitch)) {
            ++commands;
            command.mode = import ? StartMode::Import : StartMode::Export;
            if (i + 1 < args.size() && !IsSwitch(args[i + 1])) command.file = args[++i];
        } else if (SameSwitch(args[i], kAppendSwitch)) {
            ++appends;
        } else {
            stray = true;
        }
    }
    if (commands == 0) return {SameSwitch(TrimBlanks(tail), kLogonSwitch) ? StartMode::Logon : StartMode::Normal, {}, false};
    command.append = appends == 1;
    const bool appendFits = appends == 0 || (appends == 1 && command.mode == StartMode::Import);
    if (commands > 1 || stray || command.file.empty() || !appendFits) command.mode = StartMode::Usage;
    return command;
}

int ExitCodeOf(ImportStatus status) {
    switch (status) {
    case ImportStatus::Imported: return kExitDone;
    case ImportStatus::NotOpened: return kExitNotOpened;
    case ImportStatus::NotSettingsFile: return kExitNotSettingsFile;
    case ImportStatus::StoreFailed: return kExitStoreFailed;
    case ImportStatus::Cancelled: break;
    }
    return kExitUsage;  // no file was named
}

int ExitCodeOf(const ExportOutcome& outcome) {
    switch (outcome.status) {
    case ExportStatus::Written: return kExitDone;
    case ExportStatus::Failed:
        return outcome.message.kind == MessageKind::StoreError ? kExitStoreFailed : kExitNotOpened;
    case ExportStatus::Cancelled: break;
    }
    return kExitUsage;
}

bool IsFullPath(std::u16string_view path) {
    auto letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    if (path.size() > 3 && letter(path[0]) && path[1] == u':' && path[2] == u'\\') return true;
    return path.size() > 2 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'?' && path[2] != u'.' &&
           path[2] != u'\\';
}

std::optional<HandOver> ReadHandOver(std::uintptr_t tag, const void* data, std::size_t bytes) {
    if (tag != kHandOverReplace && tag != kHandOverAppend) return std::nullopt;
    if (!data || bytes == 0 || bytes % 2 != 0 || bytes > 2 * kLongestPath) return std::nullopt;
    HandOver request{std::u16string(bytes / 2, u'\0'), tag == kHandOverAppend};
    std::memcpy(request.file.data(), data, bytes);
    if (request.file.find(u'\0') != std::u16string::npos || !IsFullPath(request.file)) return std::nullopt;
    return request;
}

std::optional<int> HandOverAnswer(std::intptr_t answer) {
    if (answer < kHandOverReply || answer > kHandOverReply + kExitNoAnswer) return std::nullopt;
    return static_cast<int>(answer - kHandOverReply);
}
