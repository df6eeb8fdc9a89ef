// Small helpers for the controls of the program's windows: texts in GBK,
// combo box items, time pickers, hints and typing filters.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& text);

void SetComboItems(HWND combo, const std::vector<std::string>& items);

// A date and time picker's value, and setting it to a time of day or a date.
SYSTEMTIME PickerTime(HWND picker);
void SetPickerTime(HWND picker, int hour, int minute);
void SetPickerDate(HWND picker, int year, int month, int day);

// One tooltip window per owner carries the hints of its controls.
class Hints {
public:
    void Attach(HWND owner);
    void Set(HWND control, const std::string& text);  // empty text removes the hint

private:
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
};

// Discards typed characters for which `allowed` is false. The editing keys
// made with Ctrl (copy, cut, paste, select all) still work.
void FilterTyping(HWND edit, std::function<bool(unsigned)> allowed);

bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);

// The platform's folder chooser (new style, with an edit box and status
// text); empty when cancelled.
std::string BrowseForFolder(HWND owner, const std::string& title);
// A file-open dialog; empty when cancelled. `filter` pairs are separated by
// "|", as "wav文件(*.wav)|*.wav|任何文件(*.*)|*.*"; `filterIndex` is kept
// between uses by the caller.
std::string OpenFileDialog(HWND owner, const std::string& title, const std::string& initialFolder,
                           const std::string& filter, DWORD* filterIndex);
// A file-save dialog that adds no extension and does not ask before
// replacing a file; none when cancelled.
std::optional<std::string> SaveFileDialog(HWND owner, const std::string& title, const std::string& filter);
