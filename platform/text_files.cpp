#include "platform/text_files.h"

namespace {
// Names already taken beside the target (a leftover of a crash, or a user's
// own file) are passed over, up to this many.
constexpr int kTemporaryNameTries = 100;
}  // namespace

bool WriteFileReplacing(TextFiles& files, const std::string& path, const std::string& bytes) {
    for (int i = 0; i < kTemporaryNameTries; ++i) {
        const std::string temporary = path + "~" + (i ? std::to_string(i) : std::string()) + ".tmp";
        switch (files.CreateNewFile(temporary, bytes)) {
        case CreateResult::AlreadyExists: continue;
        case CreateResult::Failed: files.RemoveFile(temporary); return false;
        case CreateResult::Written:
            if (files.MoveReplacing(temporary, path)) return true;
            files.RemoveFile(temporary);
            return false;
        }
    }
    return false;
}
