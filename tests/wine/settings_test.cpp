// The settings window and the task editor of the running program, driven
// through their real controls, against the store of the test's own prefix.
#include "app/main_window.h"
#include "app/shell_texts.h"
#include "platform/text_win32.h"
#include "store/schedule_text.h"
#include "store/task_texts.h"
#include "tests/wine/program_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace driver;

using Rows = std::vector<std::vector<std::wstring>>;
using Records = std::vector<std::vector<std::string>>;

// The program started on `records` with its settings window open.
class Settings : public FreshPrefix {
protected:
    void Open(const Records& records = {}) {
        ASSERT_TRUE(records.empty() || PutRecords(records));
        program_ = std::make_unique<Process>(ProgramPath());
        main_ = StartAndWait(*program_);
        ASSERT_NE(main_, nullptr);
        settings_ = OpenSettings(main_);
        ASSERT_NE(settings_, nullptr);
        list_ = GetDlgItem(settings_, kTaskList);
        ASSERT_NE(list_, nullptr);
    }

    Rows ListRows() const { return ListViewTexts(list_); }
    DWORD pid() const { return program_->id(); }
    std::optional<DWORD> TaskNum() const { return ReadDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum"); }

    std::unique_ptr<Process> program_;
    HWND main_ = nullptr, settings_ = nullptr, list_ = nullptr;
};

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

// The editor's focus, read as another program sees it: never an automatic
// radio button that is not ticked, for on Windows it would tick itself.
HWND EditorFocus(HWND editor) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &info)) return nullptr;
    wchar_t cls[16] = {};
    GetClassNameW(info.hwndFocus, cls, 16);
    const bool radio = _wcsicmp(cls, L"Button") == 0 &&
                       (GetWindowLongW(info.hwndFocus, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    EXPECT_FALSE(radio && !Checked(info.hwndFocus)) << "the focus ticks an option";
    EXPECT_EQ(GetAncestor(info.hwndFocus, GA_ROOT), editor);
    return info.hwndFocus;
}

const std::vector<std::string> kDailyOld = {DailyText(7, 5), "提醒", "旧的提醒", "禁用"};
const std::vector<std::string> kWeekly = {WeeklyText("3", 8, 0), "提醒", "第二个任务", "启用"};

std::vector<std::wstring> RowOf(int number, const std::vector<std::string>& record) {
    return Texts({std::to_string(number), record[0], record[1], record[2], record[3]});
}

TEST_F(Settings, OpensOnceFromTheTrayAndAddsADailyReminderThroughTheEditor) {
    Open();
    EXPECT_EQ(Text(settings_), Wide("设置"));
    EXPECT_EQ(ClientSize(settings_).cx, 541);
    EXPECT_EQ(ClientSize(settings_).cy, 498);
    EXPECT_EQ(ListRows(), Rows{});
    // A second 设置 brings the open window forward. The switch posted after
    // it shows in the tip once both commands have been handled.
    PostMessageW(main_, WM_COMMAND, kCmdSettings, 0);
    PostMessageW(main_, WM_COMMAND, kCmdMonitor, 0);
    ASSERT_TRUE(WaitUntil([] { return TrayTips() == std::vector<std::wstring>{Wide(kTipDisabled)}; }, 10000));
    EXPECT_EQ(TopWindows(kSettingsClass, L"", pid()).size(), 1u);

    HWND editor = OpenEditor(settings_, "添加(&A)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), Wide("任务"));
    EXPECT_EQ(ClientSize(editor).cx, 420);
    EXPECT_EQ(ClientSize(editor).cy, 383);
    Click(GetDlgItem(editor, kDailyOption));
    ASSERT_TRUE(SetPickerClock(GetDlgItem(editor, kDailyPicker), 21, 47));
    ChooseTaskType(editor, 0);
    HWND attribute = GetDlgItem(editor, kAttributeBox);
    EXPECT_EQ(Text(attribute), Wide("下班时间到。")) << "choosing 提醒 proposes the first reminder text";
    ASSERT_TRUE(SetText(attribute, Wide("该喝水了")));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));

    EXPECT_EQ(StoredRecord(1), Record("每天21时47分", "提醒", "该喝水了", "启用"));
    EXPECT_EQ(TaskNum(), 1u);
    EXPECT_EQ(ListRows(), Rows{Texts({"1", "每天21时47分", "提醒", "该喝水了", "启用"})});
}

TEST_F(Settings, ModifyLoadsTheTaskRewritesItInPlaceKeepingItsStateAndMovesItsRowToTheEnd) {
    Open({kDailyOld, kWeekly});
    ASSERT_EQ(ListRows(), (Rows{RowOf(1, kDailyOld), RowOf(2, kWeekly)}));
    ASSERT_TRUE(SelectListRow(list_, 0));
    HWND editor = OpenEditor(settings_, "修改(&M)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(EditorFocus(editor), GetDlgItem(editor, kDailyOption));
    for (int option = kFirstScheduleOption; option < kFirstScheduleOption + 8; ++option)
        EXPECT_EQ(Checked(GetDlgItem(editor, option)), option == kDailyOption) << "option " << option;
    std::optional<SYSTEMTIME> daily = PickerTime(GetDlgItem(editor, kDailyPicker));
    ASSERT_TRUE(daily.has_value());
    EXPECT_EQ(daily->wHour, 7);
    EXPECT_EQ(daily->wMinute, 5);
    EXPECT_EQ(Send(GetDlgItem(editor, kTypeList), CB_GETCURSEL), 0);
    EXPECT_EQ(Text(GetDlgItem(editor, kAttributeBox)), Wide("旧的提醒"));

    ASSERT_TRUE(SetText(GetDlgItem(editor, kAttributeBox), Wide("新的提醒")));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    const std::vector<std::string> rewritten = {DailyText(7, 5), "提醒", "新的提醒", "禁用"};
    EXPECT_EQ(StoredRecord(1), Record(rewritten[0], rewritten[1], rewritten[2], rewritten[3]));
    EXPECT_EQ(StoredRecord(2), Record(kWeekly[0], kWeekly[1], kWeekly[2], kWeekly[3]));
    EXPECT_EQ(StoredRecord(3), StoredTexts(4));
    EXPECT_EQ(TaskNum(), 2u);
    EXPECT_EQ(ListRows(), (Rows{RowOf(2, kWeekly), RowOf(1, rewritten)}));
}

// The rows of the loaded task's type show with its texts, and OK with
// nothing changed writes back the same record.
TEST_F(Settings, ModifyShowsTheRowsOfABackupAndOfAHibernateTaskAndWritesThemBackUnchanged) {
    const std::vector<std::string> backup = {WeeklyText("5", 17, 30), "备份文件夹",
                                             BackupText("D:\\项目\\文档", "E:\\备份\\文档", true), "启用"};
    const std::vector<std::string> hibernate = {DailyText(23, 0), "休眠计算机", "第2天7时30分唤醒", "禁用"};
    Open({backup, hibernate});
    auto shown = [](HWND editor, int id) { return IsWindowVisible(GetDlgItem(editor, id)) != FALSE; };

    ASSERT_TRUE(SelectListRow(list_, 0));
    HWND editor = OpenEditor(settings_, "修改(&M)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(GetDlgItem(editor, kAttributeBox)), Wide("D:\\项目\\文档"));
    EXPECT_EQ(Text(GetDlgItem(editor, kTargetBox)), Wide("E:\\备份\\文档"));
    EXPECT_TRUE(Checked(GetDlgItem(editor, kOverwriteBox)));
    EXPECT_TRUE(shown(editor, kTargetBox));
    EXPECT_TRUE(shown(editor, kOverwriteBox));
    EXPECT_FALSE(shown(editor, kWakePicker));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    EXPECT_EQ(StoredRecord(1), Record(backup[0], backup[1], backup[2], backup[3]));

    // The backup task's row went to the end: the hibernate task is first now.
    ASSERT_TRUE(SelectListRow(list_, 0));
    editor = OpenEditor(settings_, "修改(&M)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(GetDlgItem(editor, kAttributeBox)), Wide("第2天"));
    std::optional<SYSTEMTIME> wake = PickerTime(GetDlgItem(editor, kWakePicker));
    ASSERT_TRUE(wake.has_value());
    EXPECT_EQ(wake->wHour, 7);
    EXPECT_EQ(wake->wMinute, 30);
    EXPECT_TRUE(shown(editor, kWakePicker));
    EXPECT_FALSE(shown(editor, kTargetBox));
    EXPECT_FALSE(shown(editor, kOverwriteBox));
    EXPECT_FALSE(IsWindowVisible(Button(editor, "浏览(&S)"))) << "the wake time takes the place of 浏览(&S)";
    ASSERT_NE(GetDlgItem(editor, kWakeHint), nullptr);
    EXPECT_FALSE(shown(editor, kWakeHint)) << "Wine's power plan has no wake timer setting to read: no hint";
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    EXPECT_EQ(StoredRecord(2), Record(hibernate[0], hibernate[1], hibernate[2], hibernate[3]));
    EXPECT_EQ(TaskNum(), 2u);
}

TEST_F(Settings, AModificationRewritesTheTaskItWasOpenedOnWhicheverRowIsSelectedAtOk) {
    Open({kDailyOld, kWeekly});
    ASSERT_TRUE(SelectListRow(list_, 0));
    HWND editor = OpenEditor(settings_, "修改(&M)");
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(SelectListRow(list_, 1));
    ASSERT_EQ(Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

    ASSERT_TRUE(SetText(GetDlgItem(editor, kAttributeBox), Wide("新的提醒")));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    EXPECT_EQ(StoredRecord(1), Record(kDailyOld[0], kDailyOld[1], "新的提醒", kDailyOld[3]));
    EXPECT_EQ(StoredRecord(2), Record(kWeekly[0], kWeekly[1], kWeekly[2], kWeekly[3]));
    EXPECT_EQ(TaskNum(), 2u);
    EXPECT_EQ(ListRows(), (Rows{RowOf(2, kWeekly), RowOf(1, {kDailyOld[0], kDailyOld[1], "新的提醒", kDailyOld[3]})}));
}

TEST_F(Settings, DeleteRenumbersTheRowsAndTheStore) {
    const std::vector<std::string> third = {IntervalText("30", 9, 0), "打开文件", "C:\\第三个.txt", "禁用"};
    Open({kDailyOld, kWeekly, third});
    ASSERT_TRUE(SelectListRow(list_, 1));
    Click(Button(settings_, "删除(&D)"));

    EXPECT_EQ(ListRows(), (Rows{RowOf(1, kDailyOld), RowOf(2, third)}));
    EXPECT_EQ(StoredRecord(1), Record(kDailyOld[0], kDailyOld[1], kDailyOld[2], kDailyOld[3]));
    EXPECT_EQ(StoredRecord(2), Record(third[0], third[1], third[2], third[3]));
    EXPECT_EQ(StoredRecord(3), StoredTexts(4));
    EXPECT_EQ(TaskNum(), 2u);
}

// Clicks a row's time cell as the mouse does and waits for the enable box
// to show over its state cell; returns the box.
HWND ClickRowForTheEnableBox(HWND list, int row) {
    std::optional<RECT> time = ListCellRect(list, row, 1);
    std::optional<RECT> state = ListCellRect(list, row, 4);
    if (!time || !state) {
        ADD_FAILURE() << "row " << row << " has no cells";
        return nullptr;
    }
    PostClickAt(list, {(time->left + time->right) / 2, (time->top + time->bottom) / 2});
    HWND box = GetDlgItem(list, kEnableBox);
    RECT shown{};
    const bool over = WaitUntil([&] {
        GetWindowRect(box, &shown);
        MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&shown), 2);
        return IsWindowVisible(box) && shown.top == state->top;
    }, 5000);
    EXPECT_TRUE(over) << "the box is not over row " << row;
    EXPECT_EQ(shown.left, state->left);
    EXPECT_EQ(shown.right, state->right);
    return box;
}

void Choose(HWND list, HWND box, int item) {
    Send(box, CB_SETCURSEL, static_cast<WPARAM>(item));
    Send(list, WM_COMMAND, MAKEWPARAM(kEnableBox, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

TEST_F(Settings, TheEnableBoxShowsTheClickedTasksStateAndWritesAChoiceAtOnce) {
    const std::vector<std::string> third = {IntervalText("30", 9, 0), "提醒", "第三个任务", "启用"};
    Open({kDailyOld, kWeekly, third});
    auto stateOf = [](int n) { return ReadString(HKEY_LOCAL_MACHINE, kStore, L"D" + std::to_wstring(n)); };

    HWND box = ClickRowForTheEnableBox(list_, 1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Send(box, CB_GETCURSEL), 0) << "task 2 is enabled";
    Choose(list_, box, 1);
    EXPECT_EQ(stateOf(2), Wide("禁用"));
    EXPECT_EQ(ListRows().at(1).at(4), Wide("禁用"));
    EXPECT_EQ(stateOf(1), Wide("禁用"));
    EXPECT_EQ(stateOf(3), Wide("启用"));

    // Each click shows the state of its own task, whatever the box showed before.
    ASSERT_EQ(ClickRowForTheEnableBox(list_, 2), box);
    EXPECT_EQ(Send(box, CB_GETCURSEL), 0) << "task 3 is enabled";
    ASSERT_EQ(ClickRowForTheEnableBox(list_, 0), box);
    EXPECT_EQ(Send(box, CB_GETCURSEL), 1) << "task 1 is disabled";
    Choose(list_, box, 0);
    EXPECT_EQ(stateOf(1), Wide("启用"));
    EXPECT_EQ(ListRows().at(0).at(4), Wide("启用"));
    EXPECT_EQ(stateOf(2), Wide("禁用"));
    EXPECT_EQ(stateOf(3), Wide("启用"));

    // Written at once: cancelling the window takes nothing back.
    ASSERT_TRUE(PressToClose(settings_, GetDlgItem(settings_, IDCANCEL)));
    EXPECT_EQ(stateOf(1), Wide("启用"));
    EXPECT_EQ(stateOf(2), Wide("禁用"));
}

TEST_F(Settings, OkStoresTheCountdownMinutesAsSecondsAndEnterCancels) {
    Open();
    HWND minutes = GetDlgItem(settings_, kMinutesEdit);
    EXPECT_EQ(Text(minutes), L"1") << "the default 60 s";
    ASSERT_TRUE(SetText(minutes, L"1.5"));
    ASSERT_TRUE(PressToClose(settings_, Button(settings_, "确定(&O)")));
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi"), 90u);

    settings_ = OpenSettings(main_);
    ASSERT_NE(settings_, nullptr);
    minutes = GetDlgItem(settings_, kMinutesEdit);
    EXPECT_EQ(Text(minutes), L"1.5");

    // 开机启动 registers the logon task and writes the value quoted; 显示开机时间
    // shows what OK stored for the next start. Clearing the first removes both.
    const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const wchar_t taskFile[] = L"C:\\windows\\system32\\Tasks\\Tempiro";
    for (bool on : {true, false}) {
        HWND autostart = Button(settings_, "开机启动Tempiro(&S)");
        EXPECT_EQ(Checked(autostart), !on);
        EXPECT_EQ(Checked(Button(settings_, "显示开机时间(&T)")), !on);
        Click(autostart);
        if (on) Click(Button(settings_, "显示开机时间(&T)"));
        ASSERT_TRUE(PressToClose(settings_, Button(settings_, "确定(&O)")));
        EXPECT_EQ(GetFileAttributesW(taskFile) != INVALID_FILE_ATTRIBUTES, on);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, L"Horlane"),
                  on ? std::optional(L"\"" + ProgramPath() + L"\"") : std::nullopt);
        settings_ = OpenSettings(main_);
        ASSERT_NE(settings_, nullptr);
    }
    minutes = GetDlgItem(settings_, kMinutesEdit);
    ASSERT_TRUE(SetText(minutes, L"3"));
    // Enter in the minutes box, as typed there: the window's default button is 取消(&C).
    PostMessageW(minutes, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings_); }, 5000)) << "Enter left the window open";
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kStore, L"tishi"), 90u);
}

TEST_F(Settings, OkWithNoScheduleTickedAsksForATimeAndWritesNothing) {
    Open();
    HWND editor = OpenEditor(settings_, "添加(&A)");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(EditorFocus(editor), GetDlgItem(editor, kTypeList));
    ChooseTaskType(editor, 0);
    ASSERT_TRUE(SetText(GetDlgItem(editor, kAttributeBox), Wide("没有时间的提醒")));
    PostClick(GetDlgItem(editor, IDOK));
    HWND notice = WaitForWindow(L"#32770", Wide("提示"), 5000, pid());
    ASSERT_NE(notice, nullptr);
    std::vector<std::wstring> texts = ChildTexts(notice);
    EXPECT_NE(std::find(texts.begin(), texts.end(), Wide("请选择时间")), texts.end());
    ASSERT_TRUE(PressToClose(notice, GetDlgItem(notice, IDOK)));
    EXPECT_TRUE(IsWindow(editor)) << "the editor stays for the time to be chosen";
    EXPECT_EQ(TaskNum(), 0u);
    EXPECT_EQ(StoredRecord(1), StoredTexts(4));
    EXPECT_EQ(ListRows(), Rows{});

    // With a time ticked the same OK stores the task.
    Click(GetDlgItem(editor, kDailyOption));
    ASSERT_TRUE(PressToClose(editor, GetDlgItem(editor, IDOK)));
    EXPECT_EQ(StoredRecord(1), Record("每天0时0分", "提醒", "没有时间的提醒", "启用"));
    EXPECT_EQ(TaskNum(), 1u);
}

TEST_F(Settings, TheTipOfATimeCellAndTheEditorTellWhenATaskRunsNext) {
    Open({{IdleText("30"), "提醒", "空闲时", "启用"}, {AtBootText("0", "0"), "提醒", "开机时", "启用"}});
    // The mouse rests on a cell: the text of the tip that shows, if one does.
    const auto tipOn = [&](int row, int column) {
        const std::optional<RECT> cell = ListCellRect(list_, row, column);
        POINT point{cell ? (cell->left + cell->right) / 2 : 0, cell ? (cell->top + cell->bottom) / 2 : 0};
        ClientToScreen(list_, &point);
        SetCursorPos(point.x, point.y);
        PumpMessages(300);
        SetCursorPos(point.x + 1, point.y);
        std::wstring shown;
        WaitUntil([&] {
            for (HWND tip : TopWindows(L"tooltips_class32", L"", pid()))
                if (IsWindowVisible(tip)) shown = Text(tip);
            return !shown.empty();
        }, 3000);
        return shown;
    };
    EXPECT_EQ(tipOn(0, 1), Wide("空闲满30分钟时执行"));
    EXPECT_EQ(tipOn(1, 1), Wide("开机后0时0分执行（本次开机已过）"));
    EXPECT_EQ(tipOn(1, 2), L"") << "only the 时间 cell has the tip";

    HWND editor = OpenEditor(settings_, "添加(&A)");
    ASSERT_NE(editor, nullptr);
    HWND label = GetDlgItem(editor, kNextRunLabel), picker = GetDlgItem(editor, kDailyPicker);
    EXPECT_EQ(Text(label), L"") << "no option ticked";
    // Daily two hours on: today, or tomorrow when that is past midnight.
    SYSTEMTIME day;
    GetLocalTime(&day);
    const WORD hour = (day.wHour + 2) % 24;
    if (hour < day.wHour) {
        FILETIME time;
        SystemTimeToFileTime(&day, &time);
        const ULONGLONG tomorrow = (ULONGLONG{time.dwHighDateTime} << 32 | time.dwLowDateTime) + 864000000000ull;
        time = {static_cast<DWORD>(tomorrow), static_cast<DWORD>(tomorrow >> 32)};
        FileTimeToSystemTime(&time, &day);
    }
    const char* weekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
    std::string next = "下次执行：";
    next += std::to_string(day.wYear) + "年" + std::to_string(day.wMonth) + "月" + std::to_string(day.wDay) + "日 星期" +
            weekdays[day.wDayOfWeek] + " " + std::to_string(hour);
    ASSERT_TRUE(SetPickerClock(picker, hour, 5));
    Click(GetDlgItem(editor, kDailyOption));
    EXPECT_EQ(Text(label), Wide(next + ":05"));
    // A click past the text selects the minutes, one up: the picker tells the window.
    PostClickAt(picker, {38, 10});
    PostMessageW(picker, WM_KEYDOWN, VK_UP, 0);
    WaitUntil([&] { return Text(label) == Wide(next + ":06"); }, 5000);
    EXPECT_EQ(Text(label), Wide(next + ":06"));
    ASSERT_TRUE(SetText(GetDlgItem(editor, kIdleEdit), L"30"));
    Click(GetDlgItem(editor, kFirstScheduleOption));
    EXPECT_EQ(Text(label), Wide("空闲满30分钟时执行"));
}

// The tick rests while the settings window is open; a reminder due every
// minute shows whether it ran.
class SettingsTick : public ::testing::Test {
protected:
    void SetUp() override {
        PutRecord(1, "每隔1分开始0时0分", "提醒", "每分钟的提醒", "启用");
        ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kStore, L"TaskNum", 1));
        program_ = std::make_unique<Process>(ProgramPath());
        main_ = StartAndWait(*program_);
        ASSERT_NE(main_, nullptr);
    }
    size_t Reminders() const { return RemindersSaying(program_->id(), "每分钟的提醒"); }

    std::unique_ptr<Process> program_;
    HWND main_ = nullptr;
};

// The first tick comes six seconds after start, one every six seconds after.
constexpr DWORD kMoreThanATick = 8000;

TEST_F(SettingsTick, RestsWhileTheWindowIsOpenAndRunsAgainOnceItCloses) {
    HWND settings = OpenSettings(main_);
    ASSERT_NE(settings, nullptr);
    ASSERT_EQ(Reminders(), 0u) << "the first tick came before the window opened";
    EXPECT_FALSE(WaitUntil([&] { return Reminders() != 0; }, kMoreThanATick)) << "the tick ran while the window was open";

    ASSERT_TRUE(PressToClose(settings, GetDlgItem(settings, IDCANCEL)));
    EXPECT_TRUE(WaitUntil([&] { return Reminders() != 0; }, kMoreThanATick + 2000)) << "closing did not restart the tick";
    EXPECT_EQ(Reminders(), 1u);
}

TEST_F(SettingsTick, ClosingTheWindowLeavesASwitchedOffTickOff) {
    PostMessageW(main_, WM_COMMAND, kCmdMonitor, 0);
    HWND settings = OpenSettings(main_);
    ASSERT_NE(settings, nullptr);
    ASSERT_EQ(Reminders(), 0u) << "the first tick came before monitoring was switched off";
    ASSERT_TRUE(PressToClose(settings, GetDlgItem(settings, IDCANCEL)));
    EXPECT_FALSE(WaitUntil([&] { return Reminders() != 0; }, kMoreThanATick)) << "closing the window started the tick";

    PostMessageW(main_, WM_COMMAND, kCmdMonitor, 0);
    EXPECT_TRUE(WaitUntil([&] { return Reminders() != 0; }, kMoreThanATick + 2000));
    EXPECT_EQ(Reminders(), 1u);
}

}  // namespace
