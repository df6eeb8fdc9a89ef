// The junk cleaning on Windows: the temporary folders through handles that
// hold them, and the program's "/clean" mode.
#pragma once

#include "actions/junk_cleaner.h"
#include "platform/file_system.h"

#include <windows.h>

#include <vector>

// Each held folder is open without FILE_SHARE_DELETE, which is what keeps it
// from being renamed or removed while it is held. A root reaches the system as
// a "\\?\" path, so a name ending in a dot or a blank means itself; every
// entry below it is opened by name relative to its held folder's handle.
class Win32JunkFolders : public JunkFolders {
public:
    Win32JunkFolders() = default;
    Win32JunkFolders(const Win32JunkFolders&) = delete;
    Win32JunkFolders& operator=(const Win32JunkFolders&) = delete;
    ~Win32JunkFolders() override;

    std::wstring UserTemp() override;
    std::wstring WindowsTemp() override;
    Opened HoldRoot(const std::wstring& path) override;
    Opened HoldChild(const std::wstring& name) override;
    std::vector<Entry> ListHeld() override;
    bool HeldIntact() override;
    void Release() override;
    bool RemoveFile(const std::wstring& name) override;

private:
    struct Held {
        HANDLE handle;
        HandleFacts facts;
    };
    Opened Keep(HANDLE folder, const std::wstring* name);

    std::vector<Held> held_;
};

// The "/clean" mode: cleans, and writes the list to standard output, as
// UTF-8 with a byte-order mark so that every name reads right whatever the
// system's code page (to a console, as text). The process's exit code: the
// number of files removed, which the batch hands on as its own.
int RunJunkCleaning();
