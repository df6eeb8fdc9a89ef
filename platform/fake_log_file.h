// The run log's file in memory, for the native tests: the current and the
// older file's bytes, kept as the log hands them over (Encode changes
// nothing), and a switch that makes every operation fail.
#pragma once

#include "platform/log_file.h"

#include <utility>

struct FakeLogFile : LogFile {
    std::optional<std::string> current, older;
    bool broken = false;
    bool rotationFails = false;  // as with a folder planted under the older file's name

    std::string Encode(const std::string& gbk) override { return gbk; }
    std::optional<std::uint64_t> Size() override {
        return broken || !current ? std::nullopt : std::optional<std::uint64_t>(current->size());
    }
    bool Append(const std::string& bytes) override {
        if (broken) return false;
        current = current.value_or("") + bytes;
        return true;
    }
    bool Rotate() override {
        if (broken || rotationFails || !current) return false;
        older = std::exchange(current, std::nullopt);
        return true;
    }
};
