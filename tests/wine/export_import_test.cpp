// 导出(&O) and 导入(&I) of the settings window, driven through the program's
// real file dialogs and question boxes, against the store and the files of
// the test's own prefix.
#include "platform/controls_win32.h"
#include "platform/text_win32.h"
#include "store/settings_file.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "tests/wine/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <thread>

namespace {

using namespace driver;

using Rows = std::vector<std::vector<std::wstring>>;
using Records = std::vector<std::vector<std::string>>;

constexpr DWORD kDialogTimeout = 20000;
// The explorer-style file dialog's name box: the combo box cmb13 (Wine's is
// a ComboBoxEx32, which passes WM_SETTEXT to its edit).
constexpr int kFileNameBox = 0x47C;

const std::vector<std::string> kFirst = {DailyText(3, 7), "提醒", "第一个任务的提醒", "禁用"};
const std::vector<std::string> kSecond = {WeeklyText("3", 8, 0), "打开文件", "C:\\文档\\第二个.txt", "启用"};
const char kSoundPath[] = "C:\\声音\\铃声.wav";

// Every value of the store, by name: its type and its raw bytes.
using StoreSnapshot = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

StoreSnapshot Snapshot() {
    StoreSnapshot values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStore.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameLength = 256;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        data.resize(size);
        values[std::wstring(name, nameLength)] = {type, data};
    }
    RegCloseKey(key);
    return values;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

// The bytes of a file; none when it cannot be opened.
std::optional<std::string> FileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

// The lines of CRLF text; a last line without its line end counts too.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool HasText(HWND window, const std::wstring& text) {
    const std::vector<std::wstring> texts = ChildTexts(window);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The texts of a window's children, one a line, for a failure's message.
std::string AllTexts(HWND window) {
    std::string all;
    for (const std::wstring& text : ChildTexts(window)) all += Narrow(text) + "\n";
    return all;
}

std::vector<std::wstring> RowOf(int number, const std::vector<std::string>& record) {
    return Texts({std::to_string(number), record[0], record[1], record[2], record[3]});
}

constexpr int kShutappBox = 212;  // 待机或休眠前关闭所有程序

// The program started on the two tasks and some options, its settings window open.
class ExportImport : public FreshPrefix {
protected:
    void SetUp() override {
        FreshPrefix::SetUp();
        ASSERT_TRUE(PutRecords({kFirst, kSecond}));
        ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"tishi", 90));
        ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"shutapp", 1));
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"soundpath", Wide(kSoundPath)));
        program_ = std::make_unique<Process>(ProgramPath());
        main_ = StartAndWait(*program_);
        ASSERT_NE(main_, nullptr);
        settings_ = OpenSettings(main_);
        ASSERT_NE(settings_, nullptr);
        list_ = GetDlgItem(settings_, kTaskList);
        ASSERT_NE(list_, nullptr);
    }

    DWORD pid() const { return program_->id(); }
    Rows ListRows() const { return ListViewTexts(list_); }
    std::optional<DWORD> Dword(const wchar_t* name) const { return ReadDword(HKEY_LOCAL_MACHINE, kStore, name); }

    // Presses a button of the settings window that opens a file dialog and
    // returns the dialog once it shows.
    HWND OpenFileDialogWith(const std::string& button, const std::string& caption) {
        PostClick(Button(settings_, button));
        HWND dialog = WaitForWindow(L"#32770", Wide(caption), kDialogTimeout, pid());
        if (dialog) WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kDialogTimeout);
        return dialog;
    }

    // Types `path` into a file dialog's name box and presses its OK.
    static bool ChooseFile(HWND dialog, const std::wstring& path) {
        HWND name = GetDlgItem(dialog, kFileNameBox);
        if (!name) {
            ADD_FAILURE() << "the dialog has no file name box";
            return false;
        }
        if (!SetText(name, path) || Text(name) != path) {
            ADD_FAILURE() << "the file name box did not take the path";
            return false;
        }
        return PressToClose(dialog, GetDlgItem(dialog, IDOK));
    }

    // Exports through the save dialog to `path`.
    void Export(const std::wstring& path) {
        HWND dialog = OpenFileDialogWith("导出(&O)", kExportDialogTitle);
        ASSERT_NE(dialog, nullptr) << "no save dialog";
        ASSERT_TRUE(ChooseFile(dialog, path));
        ASSERT_TRUE(WaitUntil([&] { return FileBytes(path).has_value(); }, 10000)) << "no file was written";
    }

    // Imports `path` and answers the question with `answer`.
    void Import(const std::wstring& path, int answer) {
        HWND dialog = OpenFileDialogWith("导入(&I)", kImportDialogTitle);
        ASSERT_NE(dialog, nullptr) << "no open dialog";
        ASSERT_TRUE(ChooseFile(dialog, path));
        HWND question = WaitForWindow(L"#32770", Wide(kImportQuestionTitle), kDialogTimeout, pid());
        ASSERT_NE(question, nullptr) << "no question";
        EXPECT_TRUE(HasText(question, Wide(kImportQuestion))) << AllTexts(question);
        ASSERT_TRUE(PressToClose(question, GetDlgItem(question, answer)));
    }

    std::unique_ptr<Process> program_;
    HWND main_ = nullptr, settings_ = nullptr, list_ = nullptr;
};

TEST_F(ExportImport, ExportWritesTheStoreAndImportReplacesOrAppendsItsTasks) {
    const std::wstring exported = TempFolder() + Wide("导出的设置.txt");

    // The export: the header, the six settings, the two records, GBK and CRLF.
    Export(exported);
    const std::optional<std::string> bytes = FileBytes(exported);
    ASSERT_TRUE(bytes.has_value());
    const std::vector<std::string> lines = Lines(*bytes);
    ASSERT_EQ(lines.size(), 20u) << *bytes;
    EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n") << "the last line ends like the others";
    EXPECT_EQ(std::count(bytes->begin(), bytes->end(), '\n'), 20) << "a line ends in a bare LF";
    EXPECT_EQ(lines[0], kSettingsFileVersion);
    EXPECT_EQ(lines[1], kSettingsFileHeading);
    EXPECT_EQ(lines[2].rfind(kExportTimeLabel, 0), 0u) << lines[2];
    EXPECT_GT(lines[2].size(), std::string(kExportTimeLabel).size() + 2) << "the time is missing: " << lines[2];
    EXPECT_EQ(lines[3], "");
    const std::vector<std::string> rest(lines.begin() + 4, lines.end());
    EXPECT_EQ(rest, (std::vector<std::string>{
                        std::string("soundpath=") + kSoundPath, "tishi=90", "shutapp=1", "TaskNum=2", "kaiji=0",
                        "rejian=0", "buzuo=0", "banben=0", "A1=" + kFirst[0], "B1=" + kFirst[1], "C1=" + kFirst[2], "D1=" + kFirst[3],
                        "A2=" + kSecond[0], "B2=" + kSecond[1], "C2=" + kSecond[2], "D2=" + kSecond[3]}));
    EXPECT_EQ(Dword(L"TaskNum"), 2u) << "the export changed the store";

    // Changes: a third task through the editor, and other texts and options
    // written to the store behind the window's back.
    HWND editor = OpenEditor(settings_, "添加(&A)");
    ASSERT_NE(editor, nullptr);
    Click(GetDlgItem(editor, kDailyOption));
    ChooseTaskType(editor, 0);
    ASSERT_TRUE(SetText(GetDlgItem(editor, kAttributeBox), Wide("第三个任务")));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    ASSERT_EQ(Dword(L"TaskNum"), 3u);
    ASSERT_EQ(ListRows().size(), 3u);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"C1", Wide("改过的提醒")));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"tishi", 30));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kStore, L"soundpath", L""));

    // 是: the file's two tasks and options in place of the present ones.
    Import(exported, IDYES);
    EXPECT_EQ(StoredRecord(1), Record(kFirst[0], kFirst[1], kFirst[2], kFirst[3]));
    EXPECT_EQ(StoredRecord(2), Record(kSecond[0], kSecond[1], kSecond[2], kSecond[3]));
    EXPECT_EQ(StoredRecord(3), StoredTexts(4)) << "the third task outlived the replacement";
    EXPECT_EQ(Dword(L"TaskNum"), 2u);
    EXPECT_EQ(Dword(L"tishi"), 90u);
    EXPECT_EQ(Dword(L"shutapp"), 1u);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kStore, L"soundpath"), Wide(kSoundPath));
    EXPECT_EQ(ListRows(), (Rows{RowOf(1, kFirst), RowOf(2, kSecond)}));

    // 否: the file's tasks after the present ones.
    Import(exported, IDNO);
    EXPECT_EQ(Dword(L"TaskNum"), 4u);
    EXPECT_EQ(StoredRecord(1), Record(kFirst[0], kFirst[1], kFirst[2], kFirst[3]));
    EXPECT_EQ(StoredRecord(2), Record(kSecond[0], kSecond[1], kSecond[2], kSecond[3]));
    EXPECT_EQ(StoredRecord(3), Record(kFirst[0], kFirst[1], kFirst[2], kFirst[3]));
    EXPECT_EQ(StoredRecord(4), Record(kSecond[0], kSecond[1], kSecond[2], kSecond[3]));
    EXPECT_EQ(StoredRecord(5), StoredTexts(4));
    EXPECT_EQ(ListRows(), (Rows{RowOf(1, kFirst), RowOf(2, kSecond), RowOf(3, kFirst), RowOf(4, kSecond)}));

    // The window's count followed the import: a further export holds all four.
    const std::wstring again = TempFolder() + Wide("再次导出.txt");
    Export(again);
    const std::vector<std::string> second = Lines(FileBytes(again).value_or(""));
    ASSERT_EQ(second.size(), 28u);
    EXPECT_EQ(second[7], "TaskNum=4");
    EXPECT_EQ(second[24], "A4=" + kSecond[0]);
}

TEST_F(ExportImport, OkAfterAnImportKeepsTheImportedOptions) {
    const std::wstring exported = TempFolder() + L"options.txt";
    Export(exported);  // tishi=90, shutapp=1
    ASSERT_TRUE(SetText(GetDlgItem(settings_, kMinutesEdit), L"0.5"));
    Click(GetDlgItem(settings_, kShutappBox));
    ASSERT_TRUE(PressToClose(settings_, Button(settings_, "确定(&O)")));
    ASSERT_EQ(Dword(L"tishi"), 30u);
    ASSERT_EQ(Dword(L"shutapp"), 0u);
    settings_ = OpenSettings(main_);
    ASSERT_NE(settings_, nullptr);
    Import(exported, IDYES);
    EXPECT_EQ(Text(GetDlgItem(settings_, kMinutesEdit)), L"1.5");
    ASSERT_TRUE(PressToClose(settings_, Button(settings_, "确定(&O)")));
    EXPECT_EQ(Dword(L"tishi"), 90u);
    EXPECT_EQ(Dword(L"shutapp"), 1u);
}

TEST_F(ExportImport, AFileWithoutSettingsIsNamedInAFailureAndAsksNothing) {
    const std::string name = "不是设置.txt";
    const std::wstring path = TempFolder() + Wide(name);
    // Near misses of the keys: none of them counts.
    ASSERT_TRUE(WriteBytes(path, "随便写的文字\r\nTaskNum =2\r\n tishi=30\r\nA1 =每天1时0分\r\nsound=1\r\n"));
    const StoreSnapshot before = Snapshot();
    ASSERT_EQ(before.count(L"A1"), 1u);

    HWND dialog = OpenFileDialogWith("导入(&I)", kImportDialogTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, path));
    HWND failure = nullptr;
    bool asked = false;
    ASSERT_TRUE(WaitUntil([&] {
        asked = asked || !TopWindows(L"#32770", Wide(kImportQuestionTitle), pid()).empty();
        const std::vector<HWND> found = TopWindows(L"#32770", Wide(kFileFailureTitle), pid());
        failure = found.empty() ? nullptr : found.front();
        return failure != nullptr;
    }, kDialogTimeout)) << "no failure box";
    EXPECT_FALSE(asked) << "the question came for a file without settings";
    EXPECT_TRUE(HasText(failure, Wide(name + kNotSettingsFileSuffix))) << AllTexts(failure);
    ASSERT_TRUE(PressToClose(failure, GetDlgItem(failure, IDOK)));

    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(ListRows(), (Rows{RowOf(1, kFirst), RowOf(2, kSecond)}));
    EXPECT_TRUE(TopWindows(L"#32770", Wide(kImportQuestionTitle), pid()).empty());
}

TEST_F(ExportImport, CancellingTheOpenDialogChangesNothing) {
    const StoreSnapshot before = Snapshot();
    HWND dialog = OpenFileDialogWith("导入(&I)", kImportDialogTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressToClose(dialog, GetDlgItem(dialog, IDCANCEL)));

    // Nothing follows: neither the question nor a failure.
    auto anyBox = [&] {
        return !TopWindows(L"#32770", Wide(kImportQuestionTitle), pid()).empty() ||
               !TopWindows(L"#32770", Wide(kFileFailureTitle), pid()).empty();
    };
    EXPECT_FALSE(WaitUntil(anyBox, 2000));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(ListRows(), (Rows{RowOf(1, kFirst), RowOf(2, kSecond)}));
    // The window is still at work: a further export writes the unchanged store.
    const std::wstring path = TempFolder() + Wide("取消之后.txt");
    Export(path);
    const std::vector<std::string> lines = Lines(FileBytes(path).value_or(""));
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[7], "TaskNum=2");
    EXPECT_EQ(lines[12], "A1=" + kFirst[0]);
}

// The program runs elevated: a folder a user browsed to must not become its
// current folder, where programs started by a bare name are looked for.
TEST(FileDialogs, LeaveTheCurrentFolderAlone) {
    const std::wstring chosen = TempFolder() + L"chosen";
    ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr) && WriteBytes(chosen + L"\\a.txt", "x"));
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    for (const bool save : {true, false}) {
        std::thread dialog([save] {
            if (save) SaveFileDialog(nullptr, "save", "*.txt|*.txt");
            if (!save) OpenFileDialog(nullptr, "open", "", "", nullptr);
        });
        HWND window = WaitForWindow(L"#32770", save ? L"save" : L"open", kDialogTimeout, GetCurrentProcessId());
        HWND name = window ? GetDlgItem(window, kFileNameBox) : nullptr;
        // Into the folder first, as a user browses, then the file there.
        if (name && SetText(name, chosen)) PostClick(GetDlgItem(window, IDOK));
        PumpMessages(500);
        const bool chose = name && SetText(name, L"a.txt") && PressToClose(window, GetDlgItem(window, IDOK));
        chose ? dialog.join() : dialog.detach();
        ASSERT_TRUE(chose) << "the dialog did not take the file";
        GetCurrentDirectoryW(MAX_PATH, after);
        EXPECT_STREQ(after, before) << (save ? "save" : "open");
        SetCurrentDirectoryW(before);
    }
}

}  // namespace
