// What the task editor's controls show and how their contents become a task:
// the type-dependent label, proposals and visibility, composing A and C,
// loading a stored task back, the typing filters and the folder proposals.
#pragma once

#include "platform/system_calls.h"
#include "store/schedule_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// The controls that depend on the task type.
struct TypeView {
    std::string label;               // Label6
    std::vector<std::string> items;  // ComboBox6's proposals
    std::string text;                // ComboBox6's text
    std::string hint;                // ComboBox6's hint
    bool wakeTime = false;           // DateTimePicker8 shown instead of "浏览(&S)"
    bool backup = false;             // the target row and "备份时覆盖(&F)" shown
};

inline constexpr const char* kNoWakeChoices[] = {kNoWake, "第1天", "第2天", "第3天", "第4天",
                                                  "第5天", "第6天", "第7天", "第8天", "第9天"};

// What choosing a type in ComboBox5 shows; index -1 is no type.
TypeView TypeViewFor(int typeIndex, unsigned osMajorVersion);

// The schedule rows of the editor.
struct EditorSchedule {
    ScheduleKind kind = ScheduleKind::None;  // the ticked option
    std::string idleMinutes;                 // Edit1
    ShortDateFormat::Date onceDate{2000, 1, 1};
    TimeOfDay onceTime, daily, weekly, monthly, yearly, anchor;
    std::string weekday = "1";   // ComboBox1
    std::string monthDay = "1";  // ComboBox2
    std::string month = "1";     // ComboBox3
    std::string yearDay = "1";   // ComboBox4
    std::string bootHours, bootMinutes;  // Edit3, Edit4
    std::string intervalMinutes;         // Edit2
};

// The schedule options from the top: 空闲, 一次 ... 每隔.
inline constexpr ScheduleKind kScheduleRows[] = {ScheduleKind::Idle,    ScheduleKind::Once,    ScheduleKind::Daily,
                                                 ScheduleKind::Weekly,  ScheduleKind::Monthly, ScheduleKind::Yearly,
                                                 ScheduleKind::AtBoot,  ScheduleKind::Interval};

// The option row that takes the editor's first focus: the ticked one. None
// when no option is ticked: the focus then goes to the type list, for on
// Windows an automatic radio button that gets the focus ticks itself.
std::optional<int> FirstFocusRow(ScheduleKind ticked);

// A of the ticked option. Empty boot boxes become "0" in the editor too.
std::string ComposeSchedule(EditorSchedule& schedule, const ShortDateFormat& format);

// The type and attribute rows of the editor.
struct EditorAttribute {
    int typeIndex = -1;     // ComboBox5
    std::string text;       // ComboBox6
    std::string target;     // ComboBox7
    bool overwrite = false;  // CheckBox1
    TimeOfDay wake;          // DateTimePicker8
    bool operator==(const EditorAttribute&) const = default;
};

std::string TypeNameAt(int typeIndex);  // B; empty for no type
std::string ComposeAttribute(const EditorAttribute& attribute);

// A stored task read back into the editor. A field that does not convert
// leaves its control as it was: loading never stops half-way. An unknown B
// loads as a reminder; of the proposals only the wake choices come along.
EditorSchedule LoadSchedule(const std::string& a, const ShortDateFormat& format, const LocalTime& now);
struct LoadedAttribute {
    EditorAttribute attribute;
    TypeView view;
};
LoadedAttribute LoadAttribute(const std::string& b, const std::string& c);
struct LoadedTask {
    EditorSchedule schedule;
    EditorAttribute attribute;
    TypeView view;
};
LoadedTask LoadTask(const std::string& a, const std::string& b, const std::string& c, const ShortDateFormat& format,
                    const LocalTime& now);

// The hint beside the wake choice, for a hibernation that wakes (any choice
// but "不唤醒") while the power plan forbids wake timers on mains power or on
// battery; empty otherwise, also where the setting is unknown.
std::string WakeTimerHint(int typeIndex, const std::string& wakeChoice, const WakeTimerSetting& setting);

// Edit1 to Edit4 take digits and backspace.
bool DigitKeyAllowed(unsigned character);

// When A comes due next, as the editor shows it under the schedule rows and
// the task list as the tip of a "时间" cell: "下次执行：2026年12月31日 星期四 23:59"
// (hours without a leading zero, as in "8:05"), "空闲满30分钟时执行",
// "开机后0时5分执行（本次开机已过）", or nothing for a schedule never due.
std::string NextRunText(const std::string& a, const ShortDateFormat& format, const LocalTime& now,
                        std::uint64_t uptimeMilliseconds);

// "已开机时间:" with hours, minutes and seconds since the system started.
std::string UptimeText(std::uint64_t milliseconds);

// The target "浏览(&D)" proposes for a folder backup: the chosen folder plus
// the last component of the source; the chosen folder alone when the source
// has no "\".
std::string ProposeFolderTarget(const std::string& source, const std::string& chosenFolder);
