#pragma once

#include "platform/text_files.h"

// The real files. Paths are GBK and reach Windows as UTF-16.
class Win32TextFiles : public TextFiles {
public:
    std::optional<std::string> ReadWholeFile(const std::string& path) override;
    CreateResult CreateNewFile(const std::string& path, const std::string& bytes) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
};
