#include "windows/editor_window_win32.h"

#include "platform/controls_win32.h"
#include "platform/text_win32.h"
#include "platform/window_win32.h"
#include "store/options.h"
#include "store/task_texts.h"

#include <commctrl.h>

namespace {

enum ControlId : int {
    kRadioButton1 = 101,  // 空闲, then 一次 ... 每隔 in the order of ScheduleKind
    kRadioButton8 = kRadioButton1 + 7,
    kEdit1 = 120, kEdit2, kEdit3, kEdit4,
    kDateTimePicker1 = 130, kDateTimePicker2, kDateTimePicker3, kDateTimePicker4, kDateTimePicker5,
    kDateTimePicker6, kDateTimePicker7, kDateTimePicker8,
    kComboBox1 = 140, kComboBox2, kComboBox3, kComboBox4, kComboBox5, kComboBox6, kComboBox7,
    kCheckBox1 = 150,
    kLabel6 = 160, kLabel9, kLabel13,
    kWakeHint,            // below the wake choice, where a backup's target row goes
    kNextRunLabel = 168,  // 下次执行…, under the schedule rows
    kButton1 = 170,       // 浏览(&S)
    kButton4,             // 浏览(&D)
    kButton2 = IDOK,      // 确定(&O)
    kButton3 = IDCANCEL,  // 取消(&C)
};

constexpr wchar_t kClassName[] = L"TempiroEditor";
constexpr char kBackupSourceTitle[] = "选择需要备份的源文件夹。";
constexpr char kOpenFolderTitle[] = "请选择需要定时打开的文件夹。";
constexpr char kBackupTargetTitle[] = "选择要备份到的目标文件夹。";
constexpr char kChooseTime[] = "请选择时间";
constexpr char kNoticeTitle[] = "提示";
constexpr UINT kShowNextRun = WM_APP + 1;  // the next run again, once a chosen combo box item is in its box

// A combo box's chosen item; at CBN_SELCHANGE its edit box still shows the old text.
std::string SelectedItem(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT length = index == CB_ERR ? CB_ERR : SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return ControlText(combo);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

std::vector<std::string> Numbers(int last) {
    std::vector<std::string> items;
    for (int i = 1; i <= last; ++i) items.push_back(std::to_string(i));
    return items;
}

constexpr DWORD kDigits = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kTextCombo = CBS_DROPDOWN | CBS_AUTOHSCROLL;

constexpr ControlSpec Radio(int row, const char* text, int y) {
    const DWORD style = BS_AUTORADIOBUTTON | WS_TABSTOP | (row == 0 ? WS_GROUP : 0);
    return {L"BUTTON", text, style, {16, y, 52, 20}, kRadioButton1 + row};
}
constexpr ControlSpec Label(const char* text, int x, int y, int width, int id = -1) {
    return {L"STATIC", text, SS_LEFT | SS_NOPREFIX, {x, y + 3, width, 14}, id};
}
constexpr ControlSpec Digits(int id, int x, int y, int width) { return {L"EDIT", "", kDigits, {x, y, width, 20}, id}; }
constexpr ControlSpec Combo(int id, int x, int y, int width, DWORD kind = CBS_DROPDOWN) {
    return {L"COMBOBOX", "", kind | WS_VSCROLL | WS_TABSTOP, {x, y, width, 200}, id};
}
constexpr ControlSpec Picker(int id, int x, int y) {
    return {DATETIMEPICK_CLASSW, "", WS_TABSTOP | DTS_UPDOWN | DTS_TIMEFORMAT, {x, y, 64, 21}, id};
}

// The rows of the window from the top, in tab order.
constexpr ControlSpec kLayout[] = {
    Radio(0, "空闲", 12), Digits(kEdit1, 72, 12, 60), Label("分钟", 138, 12, 40),
    Radio(1, "一次", 38), {DATETIMEPICK_CLASSW, "", WS_TABSTOP | DTS_SHORTDATEFORMAT, {72, 38, 110, 21}, kDateTimePicker1},
    Picker(kDateTimePicker2, 188, 38),
    Radio(2, "每天", 64), Picker(kDateTimePicker3, 72, 64),
    Radio(3, "每周", 90), Combo(kComboBox1, 72, 90, 50), Label("日", 126, 90, 16), Picker(kDateTimePicker4, 144, 90),
    Radio(4, "每月", 116), Combo(kComboBox2, 72, 116, 50), Label("日", 126, 116, 16), Picker(kDateTimePicker5, 144, 116),
    Radio(5, "每年", 142), Combo(kComboBox3, 72, 142, 50), Label("月", 126, 142, 16), Combo(kComboBox4, 144, 142, 50),
    Label("日", 198, 142, 16), Picker(kDateTimePicker6, 216, 142),
    Radio(6, "开机", 168), Digits(kEdit3, 72, 168, 40), Label("时", 116, 168, 16), Digits(kEdit4, 134, 168, 40),
    Label("分", 178, 168, 16), Label("", 200, 168, 200, kLabel9),
    Radio(7, "每隔", 194), Digits(kEdit2, 72, 194, 50), Label("分", 126, 194, 16), Picker(kDateTimePicker7, 144, 194),
    Label("开始", 212, 194, 40),
    Label("", 72, 214, 336, kNextRunLabel),
    // The labels of these rows are wide enough for "目标文件夹：".
    {L"STATIC", "任务类型:", SS_LEFT | WS_GROUP, {16, 235, 80, 14}, -1},
    Combo(kComboBox5, 96, 232, 120, CBS_DROPDOWNLIST), Picker(kDateTimePicker8, 222, 232),
    {L"BUTTON", "备份时覆盖(&F)", BS_AUTOCHECKBOX | WS_TABSTOP, {290, 233, 120, 20}, kCheckBox1},
    Label("提醒语:", 16, 262, 80, kLabel6), Combo(kComboBox6, 96, 262, 232, kTextCombo),
    {L"BUTTON", "浏览(&S)", kButton, {334, 261, 74, 23}, kButton1},
    Label("目标文件夹：", 16, 292, 80, kLabel13), Combo(kComboBox7, 96, 292, 232, kTextCombo),
    {L"BUTTON", "浏览(&D)", kButton, {334, 291, 74, 23}, kButton4},
    {L"STATIC", "", SS_LEFT | SS_NOPREFIX, {96, 295, 312, 28}, kWakeHint},
    {L"BUTTON", "确定(&O)", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, {120, 340, 80, 25}, kButton2},
    {L"BUTTON", "取消(&C)", kButton, {220, 340, 80, 25}, kButton3},
};

class EditorWindow : public Window {
public:
    EditorWindow(const EditorContext& context, std::shared_ptr<int> target)
        : context_(context), target_(std::move(target)) {}

    bool Create(const LoadedTask* loaded) {
        if (!CreateWindowFor(kClassName, Wide("任务"), WS_CAPTION | WS_SYSMENU, 0, 420, 383, nullptr)) return false;
        hints_.Attach(hwnd_);
        CreateControls();
        FormCreate();
        StartingValues();
        if (loaded) Load(*loaded);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        const std::optional<int> row = FirstFocusRow(ReadSchedule().kind);
        SetFocus(Item(row ? kRadioButton1 + *row : kComboBox5));
        filled_ = true;
        ShowNextRun();
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kShowNextRun) return Window::HandleMessage(msg, wParam, lParam);
        ShowNextRun();
        return 0;
    }

    LRESULT OnNotify(const NMHDR& header) override {
        if (header.code == DTN_DATETIMECHANGE && header.idFrom >= kDateTimePicker1 && header.idFrom <= kDateTimePicker7)
            ShowNextRun();
        return 0;
    }

    void OnCommand(int id, int code) override {
        switch (id) {
        case kComboBox5:
            if (code == CBN_SELCHANGE) ComboBox5Change();
            break;
        case kComboBox6:
            if (code == CBN_SELCHANGE) ShowWakeHint(SelectedItem(Item(kComboBox6)));
            if (code == CBN_EDITCHANGE) ShowWakeHint(ControlText(Item(kComboBox6)));
            break;
        case kButton1: Button1Click(); break;
        case kButton4: Button4Click(); break;
        case kButton2: Button2Click(); break;
        case kButton3: DestroyWindow(hwnd_); break;
        default: ScheduleChanged(id, code); break;
        }
    }

    // A closed editor is released with its window.
    void OnFinalMessage() override { delete this; }

private:
    // What the layout does not say: the typing filters, the lists of the
    // boxes, the time pickers' format and hints, and the rows shown only
    // for some task types.
    void CreateControls() {
        AddControls(hwnd_, kLayout);
        for (int id : {kEdit1, kEdit2, kEdit3, kEdit4}) FilterTyping(Item(id), DigitKeyAllowed);
        const std::pair<int, std::vector<std::string>> lists[] = {
            {kComboBox1, Numbers(7)}, {kComboBox2, Numbers(31)}, {kComboBox3, Numbers(12)}, {kComboBox4, Numbers(31)},
            {kComboBox5, std::vector<std::string>(kTaskTypeNames, kTaskTypeNames + kTaskTypeCount)}};
        for (const auto& [id, items] : lists) SetComboItems(Item(id), items);
        for (int id = kDateTimePicker2; id <= kDateTimePicker8; ++id) {
            SendMessageW(Item(id), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
            if (id <= kDateTimePicker6) hints_.Set(Item(id), "时：分");
        }
        for (int id : {kDateTimePicker8, kCheckBox1, kWakeHint}) ShowWindow(Item(id), SW_HIDE);
        ShowTargetRow(false);
    }

    void FormCreate() { SetControlText(Item(kLabel9), UptimeText(context_.clock->UptimeMilliseconds())); }

    void StartingValues() {
        const LocalTime now = context_.clock->Now();
        SetPickerDate(Item(kDateTimePicker1), now.year, now.month, now.day);
        for (int id : {kDateTimePicker2, kDateTimePicker7, kDateTimePicker8}) SetPickerTime(Item(id), now.hour, now.minute);
        for (int id = kDateTimePicker3; id <= kDateTimePicker6; ++id) SetPickerTime(Item(id), 0, 0);
        for (int id = kComboBox1; id <= kComboBox4; ++id) SetControlText(Item(id), "1");
    }

    void ShowTargetRow(bool show) {
        for (int id : {kLabel13, kComboBox7, kButton4, kCheckBox1}) ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
    }

    void ApplyView(const TypeView& view) {
        SetControlText(Item(kLabel6), view.label);
        SetComboItems(Item(kComboBox6), view.items);
        SetControlText(Item(kComboBox6), view.text);
        hints_.Set(Item(kComboBox6), view.hint);
        ShowWindow(Item(kButton1), view.wakeTime ? SW_HIDE : SW_SHOW);
        ShowWindow(Item(kDateTimePicker8), view.wakeTime ? SW_SHOW : SW_HIDE);
        ShowTargetRow(view.backup);
        ShowWakeHint(ControlText(Item(kComboBox6)));
    }

    // The power plan is read only for a hibernation.
    std::string WakeHint(int typeIndex, const std::string& choice) const {
        const bool hibernate = typeIndex == static_cast<int>(TaskType::Hibernate);
        return WakeTimerHint(typeIndex, choice,
                             hibernate && context_.power ? context_.power->ReadWakeTimerSetting() : WakeTimerSetting{});
    }

    void ShowWakeHint(const std::string& choice) {
        const std::string hint = WakeHint(TypeIndex(), choice);
        SetControlText(Item(kWakeHint), hint);
        ShowWindow(Item(kWakeHint), hint.empty() ? SW_HIDE : SW_SHOW);
    }

    void Load(const LoadedTask& task) {
        const EditorSchedule& s = task.schedule;
        for (int row = 0; row < 8; ++row) SetChecked(Item(kRadioButton1 + row), kScheduleRows[row] == s.kind);
        SetControlText(Item(kEdit1), s.idleMinutes);
        SetPickerDate(Item(kDateTimePicker1), s.onceDate.year, s.onceDate.month, s.onceDate.day);
        const std::pair<int, TimeOfDay> times[] = {{kDateTimePicker2, s.onceTime}, {kDateTimePicker3, s.daily},
                                                   {kDateTimePicker4, s.weekly},   {kDateTimePicker5, s.monthly},
                                                   {kDateTimePicker6, s.yearly},   {kDateTimePicker7, s.anchor},
                                                   {kDateTimePicker8, task.attribute.wake}};
        for (const auto& [id, time] : times) SetPickerTime(Item(id), time.hour, time.minute);
        SetControlText(Item(kComboBox1), s.weekday);
        SetControlText(Item(kComboBox2), s.monthDay);
        SetControlText(Item(kComboBox3), s.month);
        SetControlText(Item(kComboBox4), s.yearDay);
        SetControlText(Item(kEdit3), s.bootHours);
        SetControlText(Item(kEdit4), s.bootMinutes);
        SetControlText(Item(kEdit2), s.intervalMinutes);
        SendMessageW(Item(kComboBox5), CB_SETCURSEL, static_cast<WPARAM>(task.attribute.typeIndex), 0);
        ApplyView(task.view);
        SetControlText(Item(kComboBox7), task.attribute.target);
        SetChecked(Item(kCheckBox1), task.attribute.overwrite);
    }

    int TypeIndex() const { return static_cast<int>(SendMessageW(Item(kComboBox5), CB_GETCURSEL, 0, 0)); }
    bool TypeIs(TaskType type) const { return TypeIndex() == static_cast<int>(type); }

    TimeOfDay TimeOf(int id) const {
        SYSTEMTIME time = PickerTime(Item(id));
        return {time.wHour, time.wMinute};
    }

    EditorSchedule ReadSchedule() const {
        EditorSchedule s;
        for (int row = 0; row < 8; ++row) {
            if (IsChecked(Item(kRadioButton1 + row))) s.kind = kScheduleRows[row];
        }
        s.idleMinutes = ControlText(Item(kEdit1));
        SYSTEMTIME date = PickerTime(Item(kDateTimePicker1));
        s.onceDate = {date.wYear, date.wMonth, date.wDay};
        s.onceTime = TimeOf(kDateTimePicker2);
        s.daily = TimeOf(kDateTimePicker3);
        s.weekly = TimeOf(kDateTimePicker4);
        s.monthly = TimeOf(kDateTimePicker5);
        s.yearly = TimeOf(kDateTimePicker6);
        s.anchor = TimeOf(kDateTimePicker7);
        s.weekday = ControlText(Item(kComboBox1));
        s.monthDay = ControlText(Item(kComboBox2));
        s.month = ControlText(Item(kComboBox3));
        s.yearDay = ControlText(Item(kComboBox4));
        s.bootHours = ControlText(Item(kEdit3));
        s.bootMinutes = ControlText(Item(kEdit4));
        s.intervalMinutes = ControlText(Item(kEdit2));
        return s;
    }

    EditorAttribute ReadAttribute() const {
        EditorAttribute a;
        a.typeIndex = TypeIndex();
        a.text = ControlText(Item(kComboBox6));
        a.target = ControlText(Item(kComboBox7));
        a.overwrite = IsChecked(Item(kCheckBox1));
        a.wake = TimeOf(kDateTimePicker8);
        return a;
    }

    // A ticked option or a typed or chosen text of the schedule rows. An item
    // chosen from a combo box's list reaches its edit box after the
    // notification, so the label follows once the box has it.
    void ScheduleChanged(int id, int code) {
        const bool combo = id >= kComboBox1 && id <= kComboBox4;
        if ((id >= kRadioButton1 && id <= kRadioButton8 && code == BN_CLICKED) ||
            (id >= kEdit1 && id <= kEdit4 && code == EN_CHANGE) || (combo && code == CBN_EDITCHANGE))
            ShowNextRun();
        if (combo && code == CBN_SELCHANGE) PostMessageW(hwnd_, kShowNextRun, 0, 0);
    }

    // When the schedule the rows compose comes due next.
    void ShowNextRun() {
        if (!filled_) return;
        EditorSchedule schedule = ReadSchedule();
        const ShortDateFormat format(context_.clock->ShortDatePicture());
        SetControlText(Item(kNextRunLabel), NextRunText(ComposeSchedule(schedule, format), format, context_.clock->Now(),
                                                        context_.clock->UptimeMilliseconds()));
    }

    void ComboBox5Change() {
        hints_.Set(Item(kComboBox6), "");
        const TypeView view = TypeViewFor(TypeIndex(), context_.osMajorVersion);
        ApplyView(view);
        if (view.backup) {
            SetControlText(Item(kComboBox6), "");
            SetControlText(Item(kComboBox7), "");
        }
    }

    void Button1Click() {
        const bool backupFolder = TypeIs(TaskType::BackupFolder);
        if (backupFolder || TypeIs(TaskType::OpenFolder)) {
            SetControlText(Item(kComboBox6),
                           BrowseForFolder(hwnd_, backupFolder ? kBackupSourceTitle : kOpenFolderTitle));
            return;
        }
        std::string file = OpenFileDialog(hwnd_, "", "", "", nullptr);
        if (!file.empty()) SetControlText(Item(kComboBox6), file);
    }

    void Button4Click() {
        if (TypeIs(TaskType::BackupFolder)) {
            SetControlText(Item(kComboBox7), ProposeFolderTarget(ControlText(Item(kComboBox6)),
                                                                 BrowseForFolder(hwnd_, kBackupTargetTitle)));
        } else if (TypeIs(TaskType::BackupFile)) {
            SetControlText(Item(kComboBox7), BrowseForFolder(hwnd_, kBackupTargetTitle));
        }
    }

    void Button2Click() {
        EditorSchedule schedule = ReadSchedule();
        if (schedule.kind == ScheduleKind::None) {
            MessageBoxW(hwnd_, Wide(kChooseTime).c_str(), Wide(kNoticeTitle).c_str(), MB_OK | MB_ICONINFORMATION);
            return;
        }
        const std::string a = ComposeSchedule(schedule, ShortDateFormat(context_.clock->ShortDatePicture()));
        SetControlText(Item(kEdit3), schedule.bootHours);
        SetControlText(Item(kEdit4), schedule.bootMinutes);
        const EditorAttribute attribute = ReadAttribute();
        const std::string b = TypeNameAt(attribute.typeIndex);
        const int number = target_ ? *target_ : 0;
        const SavedTask saved = context_.state->store->Save(number, a, b, ComposeAttribute(attribute));
        if (context_.saved) context_.saved({saved.number, a, b, attribute.text, saved.state}, number);
        if (context_.wakeHintAtOk) {
            const std::string hint = WakeHint(attribute.typeIndex, attribute.text);
            if (!hint.empty()) context_.wakeHintAtOk(hint);
        }
        DestroyWindow(hwnd_);
    }

    EditorContext context_;
    std::shared_ptr<int> target_;
    Hints hints_;
    bool filled_ = false;  // the controls hold their first values
};

}  // namespace

void OpenTaskEditor(const EditorContext& context, std::shared_ptr<int> target, const LoadedTask* loaded) {
    auto* editor = new EditorWindow(context, std::move(target));
    if (!editor->Create(loaded)) delete editor;
}
