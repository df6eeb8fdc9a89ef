#include "windows/settings_window_win32.h"

#include "platform/controls_win32.h"
#include "platform/text_files_win32.h"
#include "platform/text_win32.h"
#include "platform/window_win32.h"
#include "store/options.h"
#include "store/settings_file.h"
#include "store/short_date.h"
#include "store/task_texts.h"
#include "store/gbk.h"
#include "windows/editor_model.h"
#include "windows/editor_window_win32.h"
#include "windows/settings_model.h"

#include <commctrl.h>

namespace {

enum ControlId : int {
    kListView1 = 201,
    kComboBox1,  // the enable box, a child of the list
    kButton3,    // 浏览
    kButton4,    // 添加(&A)
    kButton5,    // 修改(&M)
    kButton6,    // 删除(&D)
    kButton7,    // 导入(&I)
    kButton8,    // 导出(&O)
    kCheckBox1,  // kaiji
    kCheckBox2,  // autostart
    kCheckBox3,  // rejian
    kCheckBox5,  // shutapp
    kEdit5,      // countdown minutes
    kEdit8,      // sound file
    kButton1,    // 确定(&O)
    kButton9,    // 运行记录(&L)
    kCheckBox6,  // buzuo
    kEdit9,      // banben
    kButton2 = IDCANCEL,  // 取消(&C), the default button
};

constexpr wchar_t kClassName[] = L"TempiroSettings";
constexpr int kTimeColumn = 1, kStateColumn = 4;
constexpr size_t kCellCharacters = 4095;  // of a list cell
constexpr char kSoundFilter[] = "wav文件(*.wav)|*.wav|任何文件(*.*)|*.*";
constexpr char kErrorTitle[] = "错误";
constexpr char kChooseTaskToModify[] = "请选择要修改的任务";
constexpr char kChooseTaskToDelete[] = "请选择要删除的任务";

// The box that shows each option of the window, and how it shows it.
enum class OptionBox { Check, Minutes, Text, Count };
struct OptionControl {
    const char* option;  // a name of the option table
    int control;
    OptionBox box;
};
constexpr OptionControl kOptionControls[] = {
    {kTishiValue, kEdit5, OptionBox::Minutes}, {kShutappValue, kCheckBox5, OptionBox::Check},
    {kKaijiValue, kCheckBox1, OptionBox::Check}, {kSoundpathValue, kEdit8, OptionBox::Text},
    {kRejianValue, kCheckBox3, OptionBox::Check}, {kBuzuoValue, kCheckBox6, OptionBox::Check},
    {kBanbenValue, kEdit9, OptionBox::Count},
};

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// The window from the top, in tab order. The two options beyond the
// described ones stand in the room the described controls leave: right of
// the countdown length, and left of OK and Cancel.
constexpr ControlSpec kLayout[] = {
    {WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, {8, 8, 525, 296},
     kListView1},
    {L"BUTTON", "添加(&A)", kButton, {8, 312, 75, 25}, kButton4},
    {L"BUTTON", "修改(&M)", kButton, {90, 312, 75, 25}, kButton5},
    {L"BUTTON", "删除(&D)", kButton, {172, 312, 75, 25}, kButton6},
    {L"BUTTON", "运行记录(&L)", kButton, {262, 312, 100, 25}, kButton9},
    {L"BUTTON", "导入(&I)", kButton, {376, 312, 75, 25}, kButton7},
    {L"BUTTON", "导出(&O)", kButton, {458, 312, 75, 25}, kButton8},
    {L"BUTTON", "开机启动Tempiro(&S)", kCheck, {16, 350, 200, 20}, kCheckBox2},
    {L"BUTTON", "待机前关闭所有程序(&P)", kCheck, {260, 350, 220, 20}, kCheckBox5},
    {L"BUTTON", "显示开机时间(&T)", kCheck, {16, 376, 200, 20}, kCheckBox1},
    {L"BUTTON", "热键加Ctrl(&R)", kCheck, {260, 376, 220, 20}, kCheckBox3},
    {L"STATIC", "关机前等待:", SS_LEFT, {16, 409, 74, 14}, -1},
    {L"EDIT", "", kEdit, {92, 406, 44, 20}, kEdit5},
    {L"STATIC", "分钟", SS_LEFT, {140, 409, 40, 14}, -1},
    {L"STATIC", "每个文件保留版本数:", SS_LEFT, {260, 409, 124, 14}, -1},
    {L"EDIT", "", kEdit, {386, 406, 44, 20}, kEdit9},
    {L"STATIC", "（0为全部）", SS_LEFT, {434, 409, 96, 14}, -1},
    {L"STATIC", "关机前声音:", SS_LEFT, {16, 437, 74, 14}, -1},
    {L"EDIT", "", kEdit, {92, 434, 356, 20}, kEdit8},
    {L"BUTTON", "浏览", kButton, {456, 433, 75, 23}, kButton3},
    {L"BUTTON", "错过的任务补做一次(&B)", kCheck, {16, 467, 240, 20}, kCheckBox6},
    {L"BUTTON", "确定(&O)", kButton, {372, 464, 75, 25}, kButton1},
    {L"BUTTON", "取消(&C)", BS_DEFPUSHBUTTON | WS_TABSTOP, {456, 464, 75, 25}, kButton2},
};

constexpr std::pair<int, const char*> kHints[] = {
    {kCheckBox5, "待机休眠前关闭应用程序"},
    {kCheckBox3, "是否在热键F9、F10、F11前加Ctrl键，使用该键防止软件热键冲突。"},
    {kEdit9, "保留版本的备份每个文件最多保留几个版本，更早的版本从备份目标中删除；0为全部保留。"},
    {kButton3, "设置关机前声音提示的音频文件，仅支持wav文件。"},
    {kCheckBox6, "电脑关机、睡眠或本程序未运行时错过的提醒、打开、关闭程序、清理和备份任务，在启动或唤醒后补做一次；电源任务、拨号和网卡任务从不补做。"},
    {kButton1, "仅对本机设置"},
    {kButton2, "取消本次操作"},
};

const OptionSpec& OptionNamed(std::string_view name) {
    const OptionSpec* spec = kOptionTable;
    while (spec->name != name) ++spec;  // every box names a row
    return *spec;
}

// Process-wide, as the program keeps them between windows.
bool g_sortAscending = false;
DWORD g_soundFilterIndex = 1;  // the open dialog's filter entry, shared by the sound browse and the import
EditTargets g_editTargets;
std::string g_lastSettingsFolder;  // of the last export or import: the import dialog opens there

class SettingsWindow;
SettingsWindow* g_open = nullptr;

// A window's drawing held while it lives; afterwards the window is drawn
// whole, however the work in between ended.
class DrawingHeld {
public:
    explicit DrawingHeld(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~DrawingHeld() {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    DrawingHeld(const DrawingHeld&) = delete;
    DrawingHeld& operator=(const DrawingHeld&) = delete;

private:
    HWND window_;
};

void ShowError(HWND owner, const std::string& text) {
    MessageBoxW(owner, Wide(text).c_str(), Wide(kErrorTitle).c_str(), MB_OK | MB_ICONERROR);
}

// The enable box is a child of the list; its notifications reach the window.
// The list's procedure is replaced rather than subclassed with
// SetWindowSubclass: under Wine every message through such a subclass asks
// wineserver for the window property that holds it, which made each message
// to the list cost about 130 us, and filling a list of 2,500 tasks over 1.5 s.
WNDPROC g_listViewProc = nullptr;  // the list-view class's own

void ListMouse(UINT msg, WPARAM wParam, LPARAM lParam);
bool TimeTipText(NMHDR& header);

LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) return SendMessageW(GetParent(list), msg, wParam, lParam);
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ListMouse(msg, wParam, lParam);
    if (msg == WM_NOTIFY && TimeTipText(*reinterpret_cast<NMHDR*>(lParam))) return 0;
    return CallWindowProcW(g_listViewProc, list, msg, wParam, lParam);
}

class SettingsWindow : public Window {
public:
    explicit SettingsWindow(const SettingsContext& context) : context_(context) {}

    bool Create() {
        if (!CreateWindowFor(kClassName, Wide("设置"), WS_CAPTION | WS_SYSMENU, 0, 541, 498, nullptr)) return false;
        hints_.Attach(hwnd_);
        CreateControls();
        FillTaskList();
        FillOptions();
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetFocus(List());
        return true;
    }

    // An editor's OK: the replaced row goes, the stored task comes at the end.
    void TaskSaved(const TaskRow& row, int replaced) {
        HideEnableBox();
        if (replaced > 0) {
            const int index = RowOf(replaced);
            if (index >= 0) ListView_DeleteItem(List(), index);
        }
        AppendRow(row);
    }

    // After an import: the tasks and options it stored, in the list and the
    // option controls; after a replacing one, an open "修改" editor adds a
    // new task.
    void ShowImported(bool replaced) {
        if (replaced) g_editTargets.AllReplaced();
        HideEnableBox();
        FillTaskList();
        FillOptions();
    }

    // The mouse over the list: the tip of a "时间" cell tells when its task
    // comes due next, worked out when the tip shows. One tool follows the row
    // under the mouse, covering its "时间" cell.
    void ListMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_MOUSEMOVE) {
            LVHITTESTINFO hit{};
            hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (const int row = ListView_SubItemHitTest(List(), &hit); row != tipRow_) PlaceTimeTip(row);
        }
        MSG relayed{List(), msg, wParam, lParam, 0, {}};
        SendMessageW(timeTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }

    bool TimeTipText(NMHDR& header) {
        if (header.hwndFrom != timeTip_ || header.code != TTN_GETDISPINFOW || tipRow_ < 0) return false;
        tipText_ = Wide(NextRunText(Cell(tipRow_, kTimeColumn), ShortDateFormat(context_.clock->ShortDatePicture()),
                                    context_.clock->Now(), context_.clock->UptimeMilliseconds()));
        reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = tipText_.data();
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case DM_GETDEFID:
            return MAKELRESULT(kButton2, DC_HASDEFID);  // Enter cancels
        case WM_DESTROY:
            g_open = nullptr;
            if (context_.closed) context_.closed();
            return 0;
        }
        return Window::HandleMessage(msg, wParam, lParam);
    }

    void OnCommand(int id, int code) override {
        switch (id) {
        case kComboBox1:
            if (code == CBN_SELCHANGE) ComboBox1Change();
            break;
        case kButton4: Button4Click(); break;
        case kButton5: Button5Click(); break;
        case kButton6: Button6Click(); break;
        case kButton1: Button1Click(); break;
        case kButton2: DestroyWindow(hwnd_); break;
        case kButton3: Button3Click(); break;
        case kButton7: Button7Click(); break;
        case kButton8: Button8Click(); break;
        case kButton9:
            if (context_.openRunLog) context_.openRunLog();
            break;
        default: break;
        }
    }

    LRESULT OnNotify(const NMHDR& header) override {
        if (header.idFrom != kListView1) return 0;
        switch (header.code) {
        case NM_CLICK: ListView1Click(); break;
        case LVN_COLUMNCLICK: ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); break;
        case LVN_BEGINSCROLL: HideEnableBox(); break;
        default: break;
        }
        return 0;
    }

    void OnFinalMessage() override { delete this; }

private:
    HWND List() const { return list_; }  // asked for every row: under Wine, GetDlgItem asks wineserver
    HWND EnableBox() const { return GetDlgItem(List(), kComboBox1); }
    TaskStore& Store() const { return *context_.state->store; }

    // What the layout does not say: the list's columns, its enable box and
    // time tip, the typing filters and the hints.
    void CreateControls() {
        AddControls(hwnd_, kLayout);
        HWND list = list_ = Item(kListView1);
        ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        const std::pair<const char*, int> columns[] = {{"序号", 40}, {"时间", 140}, {"任务", 90}, {"任务属性", 180},
                                                       {"是否启用", 70}};
        int index = 0;
        for (const auto& [title, width] : columns) {
            std::wstring text = Wide(title);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text.data();
            column.cx = Scale(width);
            ListView_InsertColumn(list, index++, &column);
        }
        HWND box = AddControl(list, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0, 70, 120, kComboBox1,
                              ProgramFont(kProgramFontHeight, Dpi()));
        SetComboItems(box, {kStateEnabled, kStateDisabled});
        ShowWindow(box, SW_HIDE);
        g_listViewProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
        timeTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                                   0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = list;
        tool.uId = 1;
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(timeTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        FilterTyping(Item(kEdit5), MinutesKeyAllowed);
        FilterTyping(Item(kEdit9), DigitKeyAllowed);
        for (const auto& [id, hint] : kHints) hints_.Set(Item(id), hint);
    }

    // The list from the store, in place of what it showed: every task with a
    // schedule text. A record with a value of the wrong type is left out, as
    // the tick leaves it. The list is drawn once, when it is full: drawing
    // and scrolling it after every row cost about 10 ms a row on screen
    // under Wine, and grew with the rows while it was hidden.
    void FillTaskList() {
        HWND list = List();
        const DrawingHeld held(list);
        ListView_DeleteAllItems(list);
        TaskStore::Reader reader(Store());
        const int last = reader.bound();
        ListView_SetItemCount(list, last);  // room for every row at once
        for (int n = 1; n <= last; ++n) {
            try {
                TaskRecord record = reader.Record(n);
                if (record.schedule.empty()) continue;
                AppendRow({n, std::move(record.schedule), std::move(record.type), std::move(record.attribute),
                           std::move(record.state)});
            } catch (const StoreError&) {
            }
        }
    }

    // The options as the program holds them, which start-up read or kept at
    // their defaults, and the autostart entry. An option read at start alone
    // shows what is stored for the next start, which OK wrote.
    void FillOptions() {
        const StoreOptions& options = context_.state->options;
        for (const OptionControl& shown : kOptionControls) {
            const OptionSpec& spec = OptionNamed(shown.option);
            switch (shown.box) {
            case OptionBox::Check:
                SetChecked(Item(shown.control),
                           (spec.readAtStartOnly ? StoredForNextStart(spec) : options.*spec.integer) != 0);
                break;
            case OptionBox::Minutes: SetControlText(Item(shown.control), MinutesText(options.*spec.integer)); break;
            case OptionBox::Text: SetControlText(Item(shown.control), options.*spec.text); break;
            case OptionBox::Count:
                SetControlText(Item(shown.control), std::to_string(std::max(options.*spec.integer, 0)));
                break;
            }
        }
        bool autostart = false;
        try {
            RegistryAccessor registry = Store().Accessor();
            autostart = AutostartEnabled(registry, context_.autostart.exePath);
        } catch (const StoreError&) {
            // an entry of the wrong type is not this program's
        }
        SetChecked(Item(kCheckBox2), autostart);
    }

    std::int32_t StoredForNextStart(const OptionSpec& spec) {
        const std::int32_t loaded = context_.state->options.*spec.integer;
        TaskStore::Reader reader(Store());
        RegistryAccessor& registry = reader.registry();
        try {
            return registry.HasKey() && registry.ValueExists(spec.name) ? registry.ReadInteger(spec.name) : loaded;
        } catch (const StoreError&) {
            return loaded;
        }
    }

    // A cell holds at most kCellCharacters, all that Cell reads back (the
    // list draws fewer); a GBK character is at most two bytes, so twice as
    // many bytes always hold them.
    void SetCell(int index, int column, const std::string& text) {
        std::wstring wide = Wide(text.size() > 2 * kCellCharacters ? text.substr(0, 2 * kCellCharacters) : text);
        if (wide.size() > kCellCharacters) wide.resize(kCellCharacters);
        ListView_SetItemText(List(), index, column, wide.data());
    }

    std::string Cell(int index, int column) const {
        wchar_t text[kCellCharacters + 1] = {};
        ListView_GetItemText(List(), index, column, text, kCellCharacters + 1);
        return Narrow(text);
    }

    // A row carries its task number in its lParam, and shows it in "序号".
    void AppendRow(const TaskRow& row) {
        std::wstring caption = std::to_wstring(row.number);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(List());
        item.pszText = caption.data();
        item.lParam = row.number;
        const int index = ListView_InsertItem(List(), &item);
        const std::string* texts[] = {&row.a, &row.b, &row.c, &row.d};
        for (int column = 1; column <= 4; ++column) SetCell(index, column, *texts[column - 1]);
    }

    int NumberAt(int index) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        return ListView_GetItem(List(), &item) ? static_cast<int>(item.lParam) : 0;
    }

    void Renumber(int index, int number) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = number;
        ListView_SetItem(List(), &item);
        SetCell(index, 0, std::to_string(number));
    }

    int RowOf(int number) const {
        LVFINDINFOW find{};
        find.flags = LVFI_PARAM;
        find.lParam = number;
        return ListView_FindItem(List(), -1, &find);
    }

    int Selected() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }

    // Before the rows change or move; the time tip follows the mouse anew too.
    void HideEnableBox() {
        ShowWindow(EnableBox(), SW_HIDE);
        PlaceTimeTip(-1);
    }

    // The tip's tool to the "时间" cell of `row`, or to nothing (row -1).
    // Switching the tip off and on again lets it show anew for that cell.
    void PlaceTimeTip(int row) {
        tipRow_ = row;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = List();
        tool.uId = 1;
        if (row >= 0) ListView_GetSubItemRect(List(), row, kTimeColumn, LVIR_BOUNDS, &tool.rect);
        SendMessageW(timeTip_, TTM_ACTIVATE, FALSE, 0);
        SendMessageW(timeTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(timeTip_, TTM_ACTIVATE, TRUE, 0);
    }

    void ListView1Click() {
        const int index = Selected();
        if (index < 0) {
            HideEnableBox();
            return;
        }
        clickedTask_ = NumberAt(index);
        RECT cell{};
        cell.top = kStateColumn;
        cell.left = LVIR_BOUNDS;
        SendMessageW(List(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
        SetWindowPos(EnableBox(), HWND_TOP, cell.left, cell.top, cell.right - cell.left, Scale(120), SWP_SHOWWINDOW);
        std::string state;
        state = Store().Read(clickedTask_).state;
        if (state == kStateEnabled) SendMessageW(EnableBox(), CB_SETCURSEL, 0, 0);
        if (state == kStateDisabled) SendMessageW(EnableBox(), CB_SETCURSEL, 1, 0);
    }

    void ComboBox1Change() {
        const std::string state = ControlText(EnableBox());
        if (state != kStateEnabled && state != kStateDisabled) return;
        Store().SetState(clickedTask_, state);
        const int index = RowOf(clickedTask_);
        if (index >= 0) SetCell(index, kStateColumn, state);
    }

    struct SortContext {
        SettingsWindow* window;
        int column;
    };
    static int CALLBACK CompareRows(LPARAM left, LPARAM right, LPARAM param) {
        const auto* sort = reinterpret_cast<const SortContext*>(param);
        return CompareTaskRows(sort->column, sort->window->Cell(static_cast<int>(left), sort->column),
                               sort->window->Cell(static_cast<int>(right), sort->column), g_sortAscending);
    }

    void ListView1ColumnClick(int column) {
        HideEnableBox();
        SortContext sort{this, column};
        ListView_SortItemsEx(List(), CompareRows, reinterpret_cast<LPARAM>(&sort));
        g_sortAscending = !g_sortAscending;
    }

    EditorContext EditorFor() const {
        EditorContext editor;
        editor.state = context_.state;
        editor.clock = context_.clock;
        editor.osMajorVersion = context_.osMajorVersion;
        editor.power = context_.power;
        if (RunLog* log = context_.runLog) editor.wakeHintAtOk = [log](const std::string& hint) { log->Note({hint}); };
        // The settings window may be gone when the editor's OK comes.
        editor.saved = [](const TaskRow& row, int replaced) {
            if (g_open) g_open->TaskSaved(row, replaced);
        };
        return editor;
    }

    void Button4Click() { OpenTaskEditor(EditorFor(), nullptr, nullptr); }

    void Button5Click() {
        const int index = Selected();
        if (index < 0) {
            ShowError(hwnd_, kChooseTaskToModify);
            return;
        }
        const int number = NumberAt(index);
        const TaskRecord record = Store().Read(number);
        LoadedTask loaded = LoadTask(record.schedule, record.type, record.attribute,
                                     ShortDateFormat(context_.clock->ShortDatePicture()), context_.clock->Now());
        OpenTaskEditor(EditorFor(), g_editTargets.Track(number), &loaded);
    }

    void Button6Click() {
        const int index = Selected();
        if (index < 0) {
            ShowError(hwnd_, kChooseTaskToDelete);
            return;
        }
        const int number = NumberAt(index);
        HideEnableBox();
        if (!Store().Delete(number)) return;
        g_editTargets.Deleted(number);
        ListView_DeleteItem(List(), index);
        for (int i = 0; i < ListView_GetItemCount(List()); ++i) {
            const int shown = NumberAt(i);
            if (shown > number) Renumber(i, shown - 1);
        }
    }

    void Button1Click() {
        SettingsChoice choice;
        for (const OptionControl& shown : kOptionControls) {
            const OptionSpec& spec = OptionNamed(shown.option);
            const HWND control = Item(shown.control);
            switch (shown.box) {
            case OptionBox::Check: choice.options.*spec.integer = IsChecked(control) ? 1 : 0; break;
            case OptionBox::Minutes: choice.options.*spec.integer = SecondsFromMinutesText(ControlText(control)); break;
            case OptionBox::Text: choice.options.*spec.text = ControlText(control); break;
            case OptionBox::Count: choice.options.*spec.integer = VersionsKeptFromText(ControlText(control)); break;
            }
        }
        choice.autostart = IsChecked(Item(kCheckBox2));
        Store().SaveOptions(choice);
        RegistryAccessor registry = Store().Accessor();
        // A logon task that could not be registered is said, and the window
        // stays: the box must not stand ticked over a task that is not there.
        if (std::optional<std::string> failed =
                ApplyAutostart(registry, *context_.logonTasks, choice.autostart, context_.autostart)) {
            if (context_.runLog) context_.runLog->Note({*failed, true});
            ShowErrorBox(hwnd_, *failed);
            return;
        }
        DestroyWindow(hwnd_);
    }

    void Button3Click() {
        std::string folder = context_.exePath.substr(0, context_.exePath.size() - FileNamePart(context_.exePath).size());
        std::string file = OpenFileDialog(hwnd_, "选择声音提示文件", folder, kSoundFilter, &g_soundFilterIndex);
        if (!file.empty()) SetControlText(Item(kEdit8), file);
    }

    // The file failures are plain boxes; a store error shows as the program shows errors.
    void Show(const SettingsFileMessage& message) {
        if (message.kind == MessageKind::FileFailure)
            MessageBoxW(hwnd_, Wide(message.text).c_str(), Wide(kFileFailureTitle).c_str(), MB_OK);
        else if (message.kind == MessageKind::StoreError)
            ShowErrorBox(hwnd_, message.text);
    }

    // 导出(&O): the whole configuration to a text file.
    void Button8Click() {
        std::optional<std::string> path = SaveFileDialog(hwnd_, kExportDialogTitle, kExportDialogFilter);
        const ExportTime when = ExportTimeNow(*context_.clock);
        if (path && !path->empty()) g_lastSettingsFolder = FolderOf(*path);
        Show(ExportSettings(Store(), Files(), Store().options(), path, when).message);
    }

    // 导入(&I): a settings file back into the store, replacing or appending.
    // The options the import wrote show in their controls, so that OK keeps
    // them; after a replacing import, an open "修改" editor adds a new task.
    void Button7Click() {
        g_soundFilterIndex = kImportDialogFilterIndex;
        std::string chosen = OpenFileDialog(hwnd_, kImportDialogTitle, g_lastSettingsFolder, kSoundFilter, &g_soundFilterIndex);
        std::optional<std::string> path;
        if (!chosen.empty()) {
            path = chosen;
            g_lastSettingsFolder = FolderOf(chosen);
        }
        ImportAnswer answer = ImportAnswer::Cancel;
        auto ask = [this, &answer] {
            switch (MessageBoxW(hwnd_, Wide(kImportQuestion).c_str(), Wide(kImportQuestionTitle).c_str(), MB_YESNOCANCEL)) {
            case IDYES: return answer = ImportAnswer::Replace;
            case IDNO: return answer = ImportAnswer::Append;
            default: return answer = ImportAnswer::Cancel;
            }
        };
        ImportOutcome outcome = ImportSettings(Store(), Files(), path, ask);
        if (context_.runLog && path) {
            if (std::optional<Outcome> note =
                    ImportNote(*path, outcome.status, answer == ImportAnswer::Replace, outcome.message.text))
                context_.runLog->Note(*note);
        }
        if (outcome.storeChanged()) ShowImported(answer == ImportAnswer::Replace);
        Show(outcome.message);
    }

    static std::string FolderOf(const std::string& path) { return path.substr(0, path.size() - FileNamePart(path).size()); }

    static TextFiles& Files() {
        static Win32TextFiles files;
        return files;
    }

    SettingsContext context_;
    HWND list_ = nullptr;
    HWND timeTip_ = nullptr;
    int tipRow_ = -1;      // whose "时间" cell the tip's tool covers
    std::wstring tipText_;  // what the tip shows
    Hints hints_;
    int clickedTask_ = 0;
};

void ListMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_open) g_open->ListMouse(msg, wParam, lParam);
}
bool TimeTipText(NMHDR& header) { return g_open && g_open->TimeTipText(header); }

}  // namespace

void ShowSettingsWindow(const SettingsContext& context) {
    if (g_open) {
        ShowWindow(g_open->hwnd(), SW_SHOWNORMAL);
        SetForegroundWindow(g_open->hwnd());
        return;
    }
    // Whatever fails, either the window is on screen or its hold on the tick
    // is released.
    auto* window = new SettingsWindow(context);
    g_open = window;
    bool created = false;
    try {
        created = window->Create();
    } catch (...) {
        if (window->hwnd()) {
            DestroyWindow(window->hwnd());  // its end releases the hold and frees it
        } else {
            g_open = nullptr;
            delete window;
            if (context.closed) context.closed();
        }
        throw;
    }
    if (!created) {
        g_open = nullptr;
        delete window;
        if (context.closed) context.closed();
    }
}

bool SettingsWindowOpen() { return g_open != nullptr; }

void SettingsImported(bool replaced) {
    if (g_open)
        g_open->ShowImported(replaced);
    else if (replaced)
        g_editTargets.AllReplaced();
}

ExportTime ExportTimeNow(Clock& clock) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t time[80] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80);
    return {ShortDateFormat(clock.ShortDatePicture()).Format(now.wYear, now.wMonth, now.wDay), Narrow(time)};
}
