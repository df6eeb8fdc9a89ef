#pragma once

#include "scheduler/task_actions.h"

// The actions of due tasks on Windows.
class Win32TaskActions : public TaskActions {
public:
    void ShowReminder(const std::string& message, const std::string& note) override;
    void OpenTarget(const std::string& target) override;
    void KillProcessByName(const std::string& fileName) override;
    void DialDefault() override;
    void CleanSystemJunk(bool openList) override;
    void SetAdapterState(const std::string& connection, bool enable) override;
    void StartBackup(const std::string& type, const std::string& spec) override;
    void CloseAllPrograms() override;
};
