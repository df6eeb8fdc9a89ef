// The settings window's logic: sorting the task list, the countdown length in
// minutes, and following the task an open editor will rewrite.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One row of the task list: the task number and its four texts.
struct TaskRow {
    int number = 0;
    std::string a, b, c, d;
};

// The list's sort: column 0 ("序号") by number, a text that is no number
// counting as 0; the others by GBK bytes with a to z taken as A to Z, a
// prefix first. Negative, zero or positive as for strcmp, already turned
// round when the sort is descending.
int CompareTaskRows(int column, const std::string& left, const std::string& right, bool ascending);

// The stored seconds as the minutes the window shows: 60 is "1", 90 "1.5",
// 100 "1.66666666666667".
std::string MinutesText(std::int32_t seconds);
// The countdown length's box takes digits, the point and backspace.
bool MinutesKeyAllowed(unsigned character);
// Minutes typed with a decimal point back into seconds, rounded half to
// even; an empty box is 60. Throws ConversionError
// "'<text>' is not a valid floating point value".
std::int32_t SecondsFromMinutesText(const std::string& text);

// The versions kept of each file: digits, an empty box being 0 (all).
// Throws ConversionError "'<text>' is not a valid integer value"; a count
// below 0 is 0.
std::int32_t VersionsKeptFromText(const std::string& text);

// The tasks that editors opened by "修改(&M)" will rewrite, followed through
// deletions: a task deleted meanwhile is stored as a new one (number 0).
class EditTargets {
public:
    std::shared_ptr<int> Track(int number);
    void Deleted(int number);
    // An import that replaced every task: no editor's task is left.
    void AllReplaced();

private:
    std::vector<std::weak_ptr<int>> targets_;
};
