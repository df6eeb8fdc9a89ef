// An in-memory file system for the native tests and benchmarks. Paths compare
// exactly.
#pragma once

#include "platform/text_files.h"

#include <map>
#include <string>

class FakeTextFiles : public TextFiles {
public:
    std::optional<std::string> ReadWholeFile(const std::string& path) override;
    CreateResult CreateNewFile(const std::string& path, const std::string& bytes) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;

    std::map<std::string, std::string> files;  // path -> content

    // Failure injection: reads fail; creating fails; a write stops after this
    // many bytes (-1: never), leaving them in the new file; renaming fails.
    bool denyRead = false;
    bool denyCreate = false;
    long writeLimit = -1;
    bool denyMove = false;
};
