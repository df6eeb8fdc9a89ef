// The run log's file as the log sees it: one current file that lines are
// appended to, and one older file it is turned into when it has grown too
// big. The bytes are the file's own; Encode makes them from the program's
// GBK text. The program writes the real file; the native tests a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class LogFile {
public:
    virtual ~LogFile() = default;
    // The bytes a GBK text takes in the file (UTF-8 on Windows).
    virtual std::string Encode(const std::string& gbk) = 0;
    // The size of the current file; none when there is none (or it cannot be
    // reached).
    virtual std::optional<std::uint64_t> Size() = 0;
    // Appends the bytes in one write, making the file (and its folder) when
    // missing; false when they did not all arrive.
    virtual bool Append(const std::string& bytes) = 0;
    // The current file becomes the older one, replacing the one there; there
    // is no current file afterwards. False when it stayed as it was.
    virtual bool Rotate() = 0;
};
