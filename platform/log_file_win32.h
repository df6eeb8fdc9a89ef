// The run log's files on disk: "运行记录.txt" in the program's folder of the
// machine's common application data (%ProgramData%\Tempiro), and the older
// "运行记录.old.txt" beside it. A folder or file that is a link (a junction,
// a symbolic link) is never written through: the program runs elevated, and
// that folder is one other users may make.
#pragma once

#include "platform/log_file.h"

#include <string>

// %ProgramData%\Tempiro, from the known folder, or from the environment
// where that cannot be asked; empty when neither names one.
std::wstring RunLogFolder();

class Win32LogFile : public LogFile {
public:
    // An empty folder names no file: nothing is ever written.
    explicit Win32LogFile(const std::wstring& folder);
    const std::wstring& Path() const { return path_; }

    std::string Encode(const std::string& gbk) override;  // code page 936 to UTF-16 to UTF-8
    std::optional<std::uint64_t> Size() override;
    bool Append(const std::string& bytes) override;  // makes the folder when missing
    bool Rotate() override;

private:
    bool FolderReady();

    std::wstring folder_, path_, older_;
};
