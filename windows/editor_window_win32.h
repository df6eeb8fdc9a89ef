// The task editor "任务": one task's schedule, type and attribute.
#pragma once

#include "platform/clock.h"
#include "platform/system_calls.h"
#include "scheduler/program_state.h"
#include "windows/editor_model.h"
#include "windows/settings_model.h"

#include <functional>
#include <memory>

struct EditorContext {
    ProgramState* state = nullptr;
    Clock* clock = nullptr;
    unsigned osMajorVersion = 0;
    // Reads the power plan's wake timer setting; none reads it as unknown.
    PowerSystem* power = nullptr;
    // At OK, the wake hint of the stored task, read afresh, when there is one.
    std::function<void(const std::string& hint)> wakeHintAtOk;
    // After OK has stored the task: the row to show, and the number of the
    // row it replaces (0 for a new task).
    std::function<void(const TaskRow& row, int replaced)> saved;
};

// Opens a new editor, modeless. `target` is the task an editor opened by
// "修改(&M)" rewrites (followed through deletions; 0 once deleted), null for
// a new task; `loaded` fills the controls from that task.
void OpenTaskEditor(const EditorContext& context, std::shared_ptr<int> target, const LoadedTask* loaded);
