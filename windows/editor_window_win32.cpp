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
constexpr wchar_t kFontFace[] = L"宋体";
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

class EditorWindow : public Window {
public:
    EditorWindow(const EditorContext& context, std::shared_ptr<int> target)
        : context_(context), target_(std::move(target)) {}

    bool Create(const LoadedTask* loaded) {
        if (!CreateWindowFor(kClassName, Wide("任务"), WS_CAPTION | WS_SYSMENU, 0, 420, 383, nullptr,
                             LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")))
            return false;
        font_ = SharedFont(kFontFace, 13, Dpi());
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
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
        switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.code == DTN_DATETIMECHANGE && header.idFrom >= kDateTimePicker1 &&
                header.idFrom <= kDateTimePicker7)
                ShowNextRun();
            break;
        }
        case kShowNextRun:
            ShowNextRun();
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    // A closed editor is released with its window.
    void OnFinalMessage() override { delete this; }

private:
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    HWND Add(const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id) {
        return AddControl(hwnd_, cls, Wide(text), style, x, y, w, h, id, font_);
    }
    void Label(const std::string& text, int x, int y, int w, int id = -1) {
        Add(L"STATIC", text, SS_LEFT | SS_NOPREFIX, x, y + 3, w, 14, id);
    }
    HWND Combo(int id, int x, int y, int w, DWORD kind, const std::vector<std::string>& items) {
        HWND combo = Add(L"COMBOBOX", "", kind | WS_VSCROLL | WS_TABSTOP, x, y, w, 200, id);
        SetComboItems(combo, items);
        return combo;
    }
    HWND Picker(int id, int x, int y) {
        HWND picker = AddTimePicker(hwnd_, x, y, 64, 21, id, font_);
        if (id <= kDateTimePicker6) hints_.Set(picker, "时：分");
        return picker;
    }
    void Radio(int row, const std::string& text, int y) {
        Add(L"BUTTON", text, BS_AUTORADIOBUTTON | WS_TABSTOP | (row == 0 ? WS_GROUP : 0), 16, y, 52, 20,
            kRadioButton1 + row);
    }

    // The rows of the window from the top, in tab order.
    void CreateControls() {
        const DWORD digits = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
        Radio(0, "空闲", 12);
        FilterTyping(Add(L"EDIT", "", digits, 72, 12, 60, 20, kEdit1), DigitKeyAllowed);
        Label("分钟", 138, 12, 40);
        Radio(1, "一次", 38);
        AddControl(hwnd_, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT, 72, 38, 110, 21,
                   kDateTimePicker1, font_);
        Picker(kDateTimePicker2, 188, 38);
        Radio(2, "每天", 64);
        Picker(kDateTimePicker3, 72, 64);
        Radio(3, "每周", 90);
        Combo(kComboBox1, 72, 90, 50, CBS_DROPDOWN, Numbers(7));
        Label("日", 126, 90, 16);
        Picker(kDateTimePicker4, 144, 90);
        Radio(4, "每月", 116);
        Combo(kComboBox2, 72, 116, 50, CBS_DROPDOWN, Numbers(31));
        Label("日", 126, 116, 16);
        Picker(kDateTimePicker5, 144, 116);
        Radio(5, "每年", 142);
        Combo(kComboBox3, 72, 142, 50, CBS_DROPDOWN, Numbers(12));
        Label("月", 126, 142, 16);
        Combo(kComboBox4, 144, 142, 50, CBS_DROPDOWN, Numbers(31));
        Label("日", 198, 142, 16);
        Picker(kDateTimePicker6, 216, 142);
        Radio(6, "开机", 168);
        FilterTyping(Add(L"EDIT", "", digits, 72, 168, 40, 20, kEdit3), DigitKeyAllowed);
        Label("时", 116, 168, 16);
        FilterTyping(Add(L"EDIT", "", digits, 134, 168, 40, 20, kEdit4), DigitKeyAllowed);
        Label("分", 178, 168, 16);
        Label("", 200, 168, 200, kLabel9);
        Radio(7, "每隔", 194);
        FilterTyping(Add(L"EDIT", "", digits, 72, 194, 50, 20, kEdit2), DigitKeyAllowed);
        Label("分", 126, 194, 16);
        Picker(kDateTimePicker7, 144, 194);
        Label("开始", 212, 194, 40);
        Label("", 72, 214, 336, kNextRunLabel);

        // The labels of these rows are wide enough for "目标文件夹：".
        Add(L"STATIC", "任务类型:", SS_LEFT | WS_GROUP, 16, 235, 80, 14, -1);
        std::vector<std::string> types(kTaskTypeNames, kTaskTypeNames + kTaskTypeCount);
        Combo(kComboBox5, 96, 232, 120, CBS_DROPDOWNLIST, types);
        ShowWindow(Picker(kDateTimePicker8, 222, 232), SW_HIDE);
        ShowWindow(Add(L"BUTTON", "备份时覆盖(&F)", BS_AUTOCHECKBOX | WS_TABSTOP, 290, 233, 120, 20, kCheckBox1), SW_HIDE);
        Label("提醒语:", 16, 262, 80, kLabel6);
        Combo(kComboBox6, 96, 262, 232, CBS_DROPDOWN | CBS_AUTOHSCROLL, {});
        Add(L"BUTTON", "浏览(&S)", BS_PUSHBUTTON | WS_TABSTOP, 334, 261, 74, 23, kButton1);
        Label("目标文件夹：", 16, 292, 80, kLabel13);
        Combo(kComboBox7, 96, 292, 232, CBS_DROPDOWN | CBS_AUTOHSCROLL, {});
        Add(L"BUTTON", "浏览(&D)", BS_PUSHBUTTON | WS_TABSTOP, 334, 291, 74, 23, kButton4);
        ShowTargetRow(false);
        ShowWindow(Add(L"STATIC", "", SS_LEFT | SS_NOPREFIX, 96, 295, 312, 28, kWakeHint), SW_HIDE);
        Add(L"BUTTON", "确定(&O)", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 120, 340, 80, 25, kButton2);
        Add(L"BUTTON", "取消(&C)", BS_PUSHBUTTON | WS_TABSTOP, 220, 340, 80, 25, kButton3);
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

    void OnCommand(int id, int code) {
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
    HFONT font_ = nullptr;
    Hints hints_;
    bool filled_ = false;  // the controls hold their first values
};

}  // namespace

void OpenTaskEditor(const EditorContext& context, std::shared_ptr<int> target, const LoadedTask* loaded) {
    auto* editor = new EditorWindow(context, std::move(target));
    if (!editor->Create(loaded)) delete editor;
}
