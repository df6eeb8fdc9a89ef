// The run log's files on disk: "运行记录.txt" in the program's folder of the
// machine's common application data (%ProgramData%\Tempiro), and the older
// "运行记录.old.txt" beside it. The program runs elevated, and that folder is
// one other users could make or shape: it is made with an access list of its
// own (full control for SYSTEM and Administrators, reading for Users, nothing
// inherited), opened once and held, and every file in it is opened, measured
// and renamed relative to that handle. A folder that is a link, is owned by
// another account, or whose rights let others change it (and cannot be made
// right by its owner) is not used at all; nor is a file that is a link or has
// a second name (a hard link to a file elsewhere).
#pragma once

#include "platform/log_file.h"

#include <windows.h>

#include <string>

// %ProgramData%\Tempiro, from the known folder, or from the environment
// where that cannot be asked; empty when neither names one.
std::wstring RunLogFolder();

class Win32LogFile : public LogFile {
public:
    // An empty folder names no file: nothing is ever written. The folder is
    // made and judged here, once.
    explicit Win32LogFile(const std::wstring& folder);
    ~Win32LogFile() override;
    Win32LogFile(const Win32LogFile&) = delete;
    Win32LogFile& operator=(const Win32LogFile&) = delete;
    const std::wstring& Path() const { return path_; }
    const std::wstring& Folder() const { return folder_; }
    // False when the folder was refused: no line is written anywhere.
    bool Usable() const { return folderHandle_ != INVALID_HANDLE_VALUE; }

    std::string Encode(const std::string& gbk) override;  // code page 936 to UTF-16 to UTF-8
    std::optional<std::uint64_t> Size() override;
    bool Append(const std::string& bytes) override;
    bool Rotate() override;

private:
    HANDLE OpenCurrent(ACCESS_MASK access, ULONG disposition);

    std::wstring folder_, path_;
    HANDLE folderHandle_ = INVALID_HANDLE_VALUE;
};
