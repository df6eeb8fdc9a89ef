// The settings file: the options and every task record of the store as a GBK
// text file, written by the export and read back by the import. The settings
// window shows the file dialogs and the message boxes; these functions take
// its answers and say which message it shows.
#pragma once

#include "platform/text_files.h"
#include "platform/registry.h"
#include "store/task_store.h"
#include "store/options.h"

#include <functional>
#include <optional>
#include <string>

class RunLog;

// The header lines; the import does not read them.
inline constexpr char kSettingsFileVersion[] = "2020.05.10";
inline constexpr char kSettingsFileHeading[] = "Tempiro2020任务设置";
inline constexpr char kExportTimeLabel[] = "导出时间:";

// The export's save dialog.
inline constexpr char kExportDialogFilter[] = "文本文件(*.txt)|*.txt";
inline constexpr char kExportDialogTitle[] = "导出Tempiro设置";
// The import uses the sound browse's open dialog with its second filter
// entry, "任何文件(*.*)", selected.
inline constexpr int kImportDialogFilterIndex = 2;
inline constexpr char kImportDialogTitle[] = "导入Tempiro设置";
// The replace-or-append question: Yes, No and Cancel, no icon, owned by the
// settings window.
inline constexpr char kImportQuestion[] = "选择<是>则重置，选择<否>则追加所有任务设置，取消导入则按<取消>按钮。";
inline constexpr char kImportQuestionTitle[] = "是否重置Tempiro所有设置？";

// The file failures: a plain message box, OK only, under this title.
inline constexpr char kFileFailureTitle[] = "失败";
inline constexpr char kExportFailed[] = "创建导出文件失败！";
// Follow the file's name without its folder: a.txt文件打开失败！
inline constexpr char kOpenFailedSuffix[] = "文件打开失败！";
inline constexpr char kNotSettingsFileSuffix[] = "不是Tempiro设置文件，未导入任何设置！";

// The most characters of one text the import stores (a task value, the sound
// file); a longer text is cut after this many, a GBK two-byte character
// counting once and never split. No box of the program takes more from the
// keyboard (an edit box 32,767, a combo box 30,000) and no path is longer, so
// nothing a user typed or chose is ever cut; only a file made or edited by
// other means holds more, and every read of the value and every save of the
// registry would carry it.
inline constexpr size_t kImportedTextCharacters = 32767;

// The moment of the export as its header shows it: the date in the user's
// short date format, the time in the long time format.
struct ExportTime {
    std::string date;
    std::string time;
};

enum class MessageKind {
    None,
    FileFailure,  // plain box, OK only, title kFileFailureTitle
    StoreError,   // the runtime's text of a failed registry read or write, shown as the program shows errors
};

struct SettingsFileMessage {
    MessageKind kind = MessageKind::None;
    std::string text;
};

enum class ExportStatus { Cancelled, Written, Failed };

struct ExportOutcome {
    ExportStatus status = ExportStatus::Cancelled;
    SettingsFileMessage message;
};

// The whole text of the file: the header, the option lines from `options`,
// then the four values of each task 1 to options.TaskNum as the store holds
// them now. Throws StoreError when a task value cannot be read.
std::string ComposeSettingsFile(TaskStore& store, const StoreOptions& options, const ExportTime& when);

// Export to the file the save dialog chose; none (or an empty name) when the
// user cancelled. A failed write leaves no partial file under the name. Nothing
// in the program changes.
ExportOutcome ExportSettings(TaskStore& store, TextFiles& files, const StoreOptions& options,
                             const std::optional<std::string>& chosenPath, const ExportTime& when);

// Yes (是), No (否) and Cancel of the replace-or-append question.
enum class ImportAnswer { Replace, Append, Cancel };

enum class ImportStatus {
    Cancelled,        // no file chosen, or the question answered with Cancel
    NotOpened,        // the file could not be read
    NotSettingsFile,  // the file holds none of the options' keys
    Imported,
    StoreFailed,  // a registry write failed; the store is as it was
};

struct ImportOutcome {
    ImportStatus status = ImportStatus::Cancelled;
    SettingsFileMessage message;
    // The store changed: the window refills its task list. A failed import
    // leaves the store as it was.
    bool storeChanged() const { return status == ImportStatus::Imported; }
};

// Import from the file the open dialog chose; none (or an empty name) when the
// user cancelled. The file is read and checked first; only a settings file
// leads to the question, asked through `ask`. Replace mode puts the file's
// tasks in place of the present ones, append mode after them; both replace the
// options, in the store and in its in-memory copies, whole or not at all (see
// TaskStore). Each text is cut at kImportedTextCharacters.
ImportOutcome ImportSettings(TaskStore& store, TextFiles& files, const std::optional<std::string>& chosenPath,
                             const std::function<ImportAnswer()>& ask);

// The import of `file` without its dialog and boxes, for the command line:
// `append` stands for the answer to the question. `beforeStore` runs where
// the question would be asked, when the file has proved to be a settings
// file and nothing of the store has been touched. The outcome goes to
// `runLog`.
ImportOutcome ImportNamedFile(TaskStore& store, TextFiles& files, const std::string& file, bool append,
                              const std::function<void()>& beforeStore = {}, RunLog* runLog = nullptr);

// The export of the store as it stands to `file`: the store loaded as a
// start loads it, but a missing option is not written.
ExportOutcome ExportStore(TaskStore& store, TextFiles& files, const std::string& file, const ExportTime& when);
