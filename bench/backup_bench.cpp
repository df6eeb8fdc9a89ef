// Times the backup engine natively (the POSIX adapter) on a tree of small
// files made in a temporary folder, beside `rsync -a` and `cp -a` on the same
// tree: a first mirror, a mirror and a versions run that find nothing to do,
// and a versions run after 1% of the files changed; then the growth from
// 5,000 to 80,000 files. Every figure is the median of a few runs, each run
// after a `sync` so that no write-back of the last one falls into it.
#include "actions/backup.h"
#include "bench/stopwatch.h"
#include "platform/file_system_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kFilesPerFolder = 100;
constexpr double kNoOpTarget = 1.5;       // times rsync's no-op
constexpr double kFirstCopyTarget = 1.3;  // times cp -a
constexpr time_t kBaseTime = 1700000000;

constexpr TaskType kFolderType = TaskType::BackupFolder;

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

void WriteFile(const std::string& path, size_t size, char fill, time_t mtime) {
    std::string content(size, fill);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    futimens(fd, times);
    close(fd);
}

std::string FilePath(const std::string& tree, int i) {
    char name[64];
    std::snprintf(name, sizeof name, "/d%03d/file%05d.dat", i / kFilesPerFolder, i);
    return tree + name;
}

// `files` files of 1 to 5 KB in folders of 100, each written a second after the last.
void MakeTree(const std::string& tree, int files) {
    mkdir(tree.c_str(), 0755);
    for (int i = 0; i < files; ++i) {
        if (i % kFilesPerFolder == 0) {
            char folder[32];
            std::snprintf(folder, sizeof folder, "/d%03d", i / kFilesPerFolder);
            mkdir((tree + folder).c_str(), 0755);
        }
        WriteFile(FilePath(tree, i), 1024 + static_cast<size_t>(i * 7919 % 4096), 'a' + i % 26, kBaseTime + i);
    }
}

// Rewrites every hundredth file, `round` hours later than it was written.
void ChangeOnePercent(const std::string& tree, int files, int round) {
    for (int i = round; i < files; i += 100)
        WriteFile(FilePath(tree, i), 2048, 'A' + round % 26, kBaseTime + i + 3600 * (round + 1));
}

double Seconds(const std::function<void()>& work) {
    Shell("sync");
    const double start = SteadyMicroseconds();
    work();
    return (SteadyMicroseconds() - start) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median of `runs` runs of `work`, each after `prepare` (not timed).
double MedianSeconds(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        prepare();
        times.push_back(Seconds(work));
    }
    return Median(times);
}

// One figure beside another tool's; `target` 0 for none.
void Row(const char* what, double ours, const char* other, double theirs, double target = 0) {
    const double ratio = ours / theirs;
    std::printf("  %-26s %7.3f s   %-22s %7.3f s   ratio %5.2f", what, ours, other, theirs, ratio);
    if (target > 0) std::printf("   target <= %.1f: %s", target, ratio <= target ? "met" : "MISSED");
    std::printf("\n");
}

struct Bench {
    std::string work;
    PosixFileSystem fs;

    std::string P(const std::string& name) const { return work + "/" + name; }
    void Run(const std::string& source, const std::string& target, const char* flag) {
        RunBackup(kFolderType, EnginePath(P(source)) + "*" + EnginePath(P(target)) + "*" + flag, fs);
    }
    void Remove(const std::string& name) const { Shell("rm -rf '" + P(name) + "'"); }
    void Rsync(const std::string& target) const { Shell("rsync -a '" + P("src") + "/' '" + P(target) + "/'"); }

    void Compare(int files, bool haveRsync) {
        std::printf("\n%d files in %d folders, 1 to 5 KB each:\n", files, files / kFilesPerFolder);
        MakeTree(P("src"), files);
        const auto nothing = [] {};
        const double mirror = MedianSeconds(3, [&] { Remove("mirror"); }, [&] { Run("src", "mirror", "1"); });
        const double cp = MedianSeconds(3, [&] { Remove("cp"); }, [&] { Shell("cp -a '" + P("src") + "' '" + P("cp") + "'"); });
        Row("first mirror", mirror, "cp -a", cp, kFirstCopyTarget);
        const double noOpMirror = MedianSeconds(5, nothing, [&] { Run("src", "mirror", "1"); });
        Run("src", "versions", "0");
        const double noOpVersions = MedianSeconds(5, nothing, [&] { Run("src", "versions", "0"); });
        if (!haveRsync) {
            std::printf("  first mirror %.3f s, no-op mirror %.3f s, no-op versions %.3f s (no rsync to compare)\n",
                        mirror, noOpMirror, noOpVersions);
            return;
        }
        const double rsyncFirst = MedianSeconds(3, [&] { Remove("rsync"); }, [&] { Rsync("rsync"); });
        Row("first mirror", mirror, "rsync -a (first)", rsyncFirst);
        const double rsyncNoOp = MedianSeconds(5, nothing, [&] { Rsync("rsync"); });
        Row("no-op mirror", noOpMirror, "rsync -a (no-op)", rsyncNoOp, kNoOpTarget);
        Row("no-op versions", noOpVersions, "rsync -a (no-op)", rsyncNoOp, kNoOpTarget);
        std::vector<double> versions, mirrors, rsyncs;
        for (int round = 0; round < 3; ++round) {
            ChangeOnePercent(P("src"), files, round);
            versions.push_back(Seconds([&] { Run("src", "versions", "0"); }));
            mirrors.push_back(Seconds([&] { Run("src", "mirror", "1"); }));
            rsyncs.push_back(Seconds([&] { Rsync("rsync"); }));
        }
        Row("versions after 1% changed", Median(versions), "rsync -a (1% changed)", Median(rsyncs));
        Row("mirror after 1% changed", Median(mirrors), "rsync -a (1% changed)", Median(rsyncs));
        for (const char* name : {"src", "mirror", "versions", "cp", "rsync"}) Remove(name);
    }

    void Growth() {
        std::printf("\ngrowth (microseconds per file):\n  %8s %14s %14s %16s\n", "files", "first mirror", "no-op mirror",
                    "no-op versions");
        for (int files : {5000, 20000, 80000}) {
            MakeTree(P("src"), files);
            const double first = Seconds([&] { Run("src", "mirror", "1"); });
            const double noOp = MedianSeconds(3, [] {}, [&] { Run("src", "mirror", "1"); });
            Run("src", "versions", "0");
            const double versions = MedianSeconds(3, [] {}, [&] { Run("src", "versions", "0"); });
            std::printf("  %8d %14.1f %14.1f %16.1f\n", files, first * 1e6 / files, noOp * 1e6 / files,
                        versions * 1e6 / files);
            for (const char* name : {"src", "mirror", "versions"}) Remove(name);
        }
    }
};

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tempiro-backup-bench-XXXXXX";
    if (!mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const bool haveRsync = std::system("command -v rsync >/dev/null 2>&1") == 0;
    std::printf("Backup engine (POSIX adapter) beside rsync -a and cp -a, in %s\n", folder.c_str());
    Bench bench{folder, {}};
    bench.Compare(20000, haveRsync);
    bench.Growth();
    Shell("rm -rf '" + folder + "'");
    return 0;
}
