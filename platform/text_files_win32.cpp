#include "platform/text_files_win32.h"

#include "platform/text_win32.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace {

// Reads and writes go in pieces no larger than a DWORD can count.
constexpr DWORD kPiece = 1u << 30;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    // Closes now, and says whether the system took everything written.
    bool Close() {
        bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

}  // namespace

std::optional<std::string> Win32TextFiles::ReadWholeFile(const std::string& path) {
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || static_cast<unsigned long long>(size.QuadPart) >= 0x7FFFFFFFull)
        return std::nullopt;
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // more than this process can hold
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kPiece));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr) || read == 0) return std::nullopt;
        done += read;
    }
    return bytes;
}

CreateResult Win32TextFiles::CreateNewFile(const std::string& path, const std::string& bytes) {
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file.valid())
        return GetLastError() == ERROR_FILE_EXISTS ? CreateResult::AlreadyExists : CreateResult::Failed;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kPiece));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, piece, &written, nullptr) || written == 0)
            return CreateResult::Failed;
        done += written;
    }
    if (!FlushFileBuffers(file.get())) return CreateResult::Failed;
    return file.Close() ? CreateResult::Written : CreateResult::Failed;
}

bool Win32TextFiles::MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32TextFiles::RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != 0; }
