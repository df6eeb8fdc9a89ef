// The file seam: a whole file read into memory, and a file written so that its
// name never holds a partial content. The program makes the real calls; the
// native tests and benchmarks use an in-memory fake.
#pragma once

#include <optional>
#include <string>

enum class CreateResult { Written, AlreadyExists, Failed };

class TextFiles {
public:
    virtual ~TextFiles() = default;
    // Every byte of the file; none when it cannot be opened or read in full.
    // Paths are GBK.
    virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
    // Creates a file that must not exist yet and writes the bytes into it.
    // Failed covers a file that cannot be created and a write that fails or
    // falls short; the file may then remain, holding part of the bytes.
    virtual CreateResult CreateNewFile(const std::string& path, const std::string& bytes) = 0;
    // Renames a file, replacing one that has the new name.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
};

// Writes the bytes to a new temporary file beside `path` and renames it into
// place: afterwards `path` holds either all of the bytes or what it held
// before, and no temporary file is left. Returns whether the bytes arrived.
bool WriteFileReplacing(TextFiles& files, const std::string& path, const std::string& bytes);
