// What a due task sets off. Each of these is carried out by the actions
// modules on Windows; the tick only calls them.
#pragma once

#include <string>

class TaskActions {
public:
    virtual ~TaskActions() = default;
    virtual void ShowReminder(const std::string& message, const std::string& note) = 0;
    virtual void OpenTarget(const std::string& target) = 0;
    virtual void KillProcessByName(const std::string& fileName) = 0;
    virtual void DialDefault() = 0;
    virtual void CleanSystemJunk(bool openList) = 0;  // returns when the cleaning has finished
    virtual void SetAdapterState(const std::string& connection, bool enable) = 0;
    virtual void StartBackup(const std::string& type, const std::string& spec) = 0;  // does not wait
    virtual void CloseAllPrograms() = 0;
};

// The countdown dialog that stands before a power action.
class CountdownFace {
public:
    virtual ~CountdownFace() = default;
    virtual void MyChangeCaption(const std::string& word) = 0;
    virtual void Show() = 0;
    virtual void PlayWarningSound(const std::string& soundPath) = 0;  // loops until the countdown ends it
};
