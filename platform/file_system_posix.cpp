#include "platform/file_system_posix.h"

#include <dirent.h>
#include <iconv.h>
#include <sys/statfs.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

std::string PosixPath(const std::string& path) {
    if (path.empty()) return "/";
    std::string out = path;
    for (char& c : out) {
        if (c == '\\') c = '/';  // no byte of a UTF-8 character is 0x5C
    }
    return out;
}

std::string EnginePath(const std::string& posixPath) {
    std::string out = posixPath;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

namespace {

constexpr std::int64_t kNanosecondsPerTick = 100;

// Regular files and folders only: a pipe or a device is no file to back up.
bool Describe(const struct stat& st, FileEntry& entry) {
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) return false;
    entry.directory = S_ISDIR(st.st_mode);
    entry.size = static_cast<std::uint64_t>(st.st_size);
    entry.lastWrite = static_cast<std::int64_t>(st.st_mtim.tv_sec) * kFileTimeSecond + st.st_mtim.tv_nsec / kNanosecondsPerTick;
    return true;
}

bool ReadWrite(int in, int out) {
    static thread_local char buffer[1 << 17];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno != EINTR) return false;
            if (w > 0) done += w;
        }
    }
}

bool CopyContent(int in, int out, off_t size) {
    for (off_t left = size; left > 0;) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
        if (n > 0) {
            left -= n;
        } else if (n == 0) {
            return true;  // the file has shrunk meanwhile
        } else if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
            return ReadWrite(in, out);  // both offsets stand where the kernel stopped
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string PosixFileSystem::PathFromText(const std::string& gbk) {
    iconv_t convert = iconv_open("UTF-8", "GBK");
    if (convert == reinterpret_cast<iconv_t>(-1)) return gbk;
    std::string in = gbk, out(gbk.size() * 3 / 2 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t left = in.size(), room = out.size();
    const bool whole = iconv(convert, &from, &left, &to, &room) != static_cast<size_t>(-1);
    iconv_close(convert);
    if (!whole) return {};  // no GBK: a path that names nothing
    out.resize(out.size() - room);
    return out;
}

std::string PosixFileSystem::TextFromPath(const std::string& path) {
    iconv_t convert = iconv_open("GBK", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1)) return path;
    std::string in = path, out;
    char* from = in.data();
    size_t left = in.size();
    char buffer[256];
    while (left > 0) {
        char* to = buffer;
        size_t room = sizeof buffer;
        const bool stopped = iconv(convert, &from, &left, &to, &room) == static_cast<size_t>(-1);
        out.append(buffer, sizeof buffer - room);
        if (stopped && errno != E2BIG) {
            // A character GBK lacks, or no UTF-8: one "?" for it.
            out += '?';
            do {
                ++from;
                --left;
            } while (left > 0 && (static_cast<unsigned char>(*from) & 0xC0) == 0x80);
        }
    }
    iconv_close(convert);
    return out;
}

std::string PosixFileSystem::LastErrorText() {
    char buffer[256];
    return strerror_r(errno, buffer, sizeof buffer);
}

// The entries of the folder open as `fd`, which the listing then owns. A
// link is described by its target when `followLinks`, else named alone.
static bool ListOpened(int fd, bool followLinks, std::vector<FileEntry>& entries) {
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    std::vector<FileEntry> found;
    while (const dirent* d = readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        struct stat st;
        if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        FileEntry entry;
        entry.link = S_ISLNK(st.st_mode);
        entry.name = d->d_name;
        if (entry.link && !followLinks) {
            found.push_back(std::move(entry));  // named, so that nothing is written in its place
            continue;
        }
        if (entry.link && fstatat(fd, d->d_name, &st, 0) != 0) continue;
        if (!Describe(st, entry)) continue;
        found.push_back(std::move(entry));
    }
    closedir(dir);
    entries = std::move(found);
    return true;
}

bool PosixFileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
    return ListOpened(open(PosixPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), true, entries);
}

std::optional<FileEntry> PosixFileSystem::Stat(const std::string& path) {
    struct stat st;
    FileEntry entry;
    if (stat(PosixPath(path).c_str(), &st) != 0 || !Describe(st, entry)) return {};
    return entry;
}

std::optional<FolderId> PosixFileSystem::Identify(const std::string& folder) {
    struct stat st;
    if (stat(PosixPath(folder).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool PosixFileSystem::CoarseTimes(const std::string& folder) {
    constexpr long kMsdos = 0x4d44, kExfat = 0x2011BAB0;
    struct statfs volume;
    if (statfs(PosixPath(folder).c_str(), &volume) != 0) return false;
    return volume.f_type == kMsdos || volume.f_type == kExfat;
}

bool PosixFileSystem::MakeFolder(const std::string& path) {
    if (mkdir(PosixPath(path).c_str(), 0777) == 0) return true;
    std::optional<FileEntry> there = errno == EEXIST ? Stat(path) : std::nullopt;
    return there && there->directory;
}

// A new file `name` in the folder `dirFd` (AT_FDCWD: a path) with the
// content, mode and times of `from`; never over one that exists.
static bool CopyAsNew(const std::string& from, int dirFd, const std::string& name, int extraFlags) {
    int in = open(PosixPath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    int out = -1;
    if (fstat(in, &st) == 0 && S_ISREG(st.st_mode))
        out = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | extraFlags, st.st_mode & 07777);
    bool copied = false;
    if (out >= 0) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        copied = CopyContent(in, out, st.st_size) && futimens(out, times) == 0;
        copied = close(out) == 0 && copied;
    }
    close(in);
    return copied;
}

bool PosixFileSystem::CopyNew(const std::string& from, const std::string& to) {
    return CopyAsNew(from, AT_FDCWD, PosixPath(to), 0);
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to, bool replace) {
    const std::string source = PosixPath(from), target = PosixPath(to);
    if (replace) {
        // The new file's data on disk before it takes the old one's place.
        int file = open(source.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = file >= 0 && fsync(file) == 0;
        if (file >= 0) close(file);
        return synced && rename(source.c_str(), target.c_str()) == 0;
    }
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without RENAME_NOREPLACE: a hard link fails as well when the name is taken.
    return link(source.c_str(), target.c_str()) == 0 && unlink(source.c_str()) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) { return unlink(PosixPath(path).c_str()) == 0; }

namespace {

struct PosixHeld : HeldFolder {
    PosixHeld(std::string path, int descriptor) : HeldFolder(std::move(path)), fd(descriptor) {}
    ~PosixHeld() override { close(fd); }
    const int fd;
};

int Fd(HeldFolder& folder) { return static_cast<PosixHeld&>(folder).fd; }

// One name in the folder, nothing more: no "/", no "." or "..".
bool PlainName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        errno = EINVAL;
        return false;
    }
    return true;
}

std::unique_ptr<HeldFolder> HeldAt(std::string path, int fd, bool& link) {
    link = fd < 0 && errno == ELOOP;
    if (fd < 0) return nullptr;
    return std::make_unique<PosixHeld>(std::move(path), fd);
}

}  // namespace

std::unique_ptr<HeldFolder> PosixFileSystem::HoldTargetRoot(const std::string& path, bool& link) {
    std::unique_ptr<HeldFolder> held =
        HeldAt(path, open(PosixPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), link);
    struct stat st;
    // O_DIRECTORY may answer a link with ENOTDIR before O_NOFOLLOW with ELOOP.
    if (!held && errno == ENOTDIR && lstat(PosixPath(path).c_str(), &st) == 0) link = S_ISLNK(st.st_mode);
    return held;
}

std::unique_ptr<HeldFolder> PosixFileSystem::HoldSubfolder(HeldFolder& parent, const std::string& name, bool make) {
    if (!PlainName(name)) return nullptr;
    if (make && mkdirat(Fd(parent), name.c_str(), 0777) != 0 && errno != EEXIST) return nullptr;
    bool link = false;
    return HeldAt(parent.path + "\\" + name,
                  openat(Fd(parent), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), link);
}

bool PosixFileSystem::ListHeld(HeldFolder& folder, std::vector<FileEntry>& entries) {
    return ListOpened(openat(Fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), false, entries);
}

bool PosixFileSystem::CopyInto(const std::string& from, HeldFolder& folder, const std::string& name) {
    return PlainName(name) && CopyAsNew(from, Fd(folder), name, O_NOFOLLOW);
}

bool PosixFileSystem::RenameIn(HeldFolder& folder, const std::string& from, const std::string& to, bool replace) {
    if (!PlainName(from) || !PlainName(to)) return false;
    const int fd = Fd(folder);
    if (replace) {
        int file = openat(fd, from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool synced = file >= 0 && fsync(file) == 0;
        if (file >= 0) close(file);
        return synced && renameat(fd, from.c_str(), fd, to.c_str()) == 0;
    }
    if (renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    return linkat(fd, from.c_str(), fd, to.c_str(), 0) == 0 && unlinkat(fd, from.c_str(), 0) == 0;
}

bool PosixFileSystem::RemoveIn(HeldFolder& folder, const std::string& name) {
    return PlainName(name) && unlinkat(Fd(folder), name.c_str(), 0) == 0;
}

LocalTime PosixFileSystem::LocalTimeOf(FileTime time) {
    std::int64_t seconds = time / kFileTimeSecond;
    if (time % kFileTimeSecond < 0) --seconds;  // before 1970: round down
    const time_t t = static_cast<time_t>(seconds);
    struct tm local;
    LocalTime out;
    if (!localtime_r(&t, &local)) return out;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.dayOfWeek = local.tm_wday;
    out.day = local.tm_mday;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    return out;
}

std::uint32_t PosixFileSystem::ProcessId() { return static_cast<std::uint32_t>(getpid()); }

bool PosixFileSystem::ProcessRunning(std::uint32_t id) {
    if (id == 0 || id > INT_MAX) return false;  // kill() would take these for process groups
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}
