// What the Wine tests of the running program share: its store, the task
// records put there, the calls file of the recording flavour, and watching
// the countdown dialog and the reminders.
#pragma once

#include "tests/wine/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace driver {

inline const std::wstring kStore = L"Software\\Qelvora\\Tempiro";
constexpr DWORD kStartTimeout = 20000;

// Starts the program and waits until start-up has loaded the options.
HWND StartAndWait(Process& program);

// Waits for the next moment at most `latestSecond` seconds into a minute and
// returns it, so that a record due in that minute stays due for a check of
// 60 - latestSecond seconds.
SYSTEMTIME EarlyInAMinute(WORD latestSecond);

// Writes task record `n` (A, B, C and D, GBK texts) to the store.
void PutRecord(int n, const std::string& a, const std::string& b, const std::string& c, const std::string& d);
// Writes records 1.. from {A, B, C, D} and sets TaskNum to their count.
[[nodiscard]] bool PutRecords(const std::vector<std::vector<std::string>>& records);
// A, B, C and D of record `n` as stored; a missing value is nullopt.
using StoredTexts = std::vector<std::optional<std::wstring>>;
StoredTexts StoredRecord(int n);
// GBK texts, widened: what a record or a list row is expected to hold.
StoredTexts Record(const std::string& a, const std::string& b, const std::string& c, const std::string& d);
std::vector<std::wstring> Texts(std::initializer_list<std::string> texts);

// The settings window, its task list and the task editor.
inline constexpr wchar_t kSettingsClass[] = L"TempiroSettings";
inline constexpr wchar_t kEditorClass[] = L"TempiroEditor";
inline constexpr int kTaskList = 201, kEnableBox = 202, kMinutesEdit = 213;
inline constexpr int kFirstScheduleOption = 101;  // 空闲, 一次, 每天, ... 每隔 follow
inline constexpr int kDailyOption = 103, kDailyPicker = 132, kWakePicker = 137;
inline constexpr int kTypeList = 144, kAttributeBox = 145, kTargetBox = 146, kOverwriteBox = 150;
inline constexpr int kWakeHint = 163;  // the power plan's wake timer hint
inline constexpr int kIdleEdit = 120, kNextRunLabel = 168;

// Posts the tray command 设置(&S) to the main window and waits for the window.
HWND OpenSettings(HWND main);
// A child of `window` by its GBK text.
HWND Button(HWND window, const std::string& text);
// Presses 添加(&A) or 修改(&M) of the settings window and waits for the new editor.
HWND OpenEditor(HWND settings, const std::string& buttonText);
// Chooses entry `index` of the editor's type list as a user's choice arrives.
void ChooseTaskType(HWND editor, int index);
// Sets the hour and minute of a time picker, today.
bool SetPickerClock(HWND picker, WORD hour, WORD minute);
// Presses a button that closes its window and waits until the window is gone.
bool PressToClose(HWND window, HWND button);

// Makes `type` the only task, enabled and due every minute, with a countdown
// of `tishi` seconds. Refuses (a test failure, and false) any type but the
// hang-up unless the program under test is the recording flavour: the real
// program is never handed a power task.
[[nodiscard]] bool PutTaskDueEveryMinute(const std::string& type, DWORD tishi);

// What a case that shares its entry's prefix with other cases finds,
// whatever the case before it left: no copy of the program at work, no store
// (nor its siblings), no autostart value, no calls file and no run log.
void FreshPrefixState();

// The fixture of such a case.
class FreshPrefix : public ::testing::Test {
protected:
    void SetUp() override { FreshPrefixState(); }
};

// A settings file: a reminder due every minute, and a countdown of 90 seconds.
inline constexpr char kEveryMinuteSettings[] =
    "tishi=90\r\nTaskNum=1\r\nA1=每隔1分开始0时0分\r\nB1=提醒\r\nC1=从文件来的提醒\r\nD1=启用\r\n";

// The whole lines of a text file (CRLF) in %TEMP%; none when it is missing.
std::vector<std::string> TempFileLines(const std::wstring& name);
// The calls the recording flavour wrote to %TEMP%\tempiro-calls.txt, as GBK.
std::vector<std::string> RecordedCalls();

// Reminder windows of `pid` with a text for which `matches` holds.
std::vector<HWND> ReminderWindows(DWORD pid);
template <typename F>
size_t RemindersWith(DWORD pid, F matches) {
    size_t count = 0;
    for (HWND w : ReminderWindows(pid)) {
        std::vector<std::wstring> texts = ChildTexts(w);
        if (std::any_of(texts.begin(), texts.end(), matches)) ++count;
    }
    return count;
}
// Reminder windows of `pid` whose message is `message`.
size_t RemindersSaying(DWORD pid, const std::string& message);

// The main window of `pid` once it shows as the countdown dialog (the first
// tick comes six seconds after start), or nullptr.
HWND WaitForCountdown(DWORD pid, DWORD timeoutMs = 20000);

// What a countdown dialog showed until it hid.
struct CountdownWatch {
    bool hid = false;
    std::vector<int> remaining;        // each new "<n> 秒" of its second label; -1 for any other text
    size_t remindersWhileShown = 0;    // reminder windows of its process seen while it still showed
};
CountdownWatch WatchCountdown(HWND dialog, DWORD timeoutMs = 10000);

}  // namespace driver
