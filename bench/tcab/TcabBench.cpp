// tcab create against gcab -c -z, tcab extract against cabextract and tcab
// test against cabextract -t, on the same 200 MiB of mixed files, in one run.
// Prints times and ratios; asserts nothing.
//
//   tcab_bench [MEBIBYTES] [SCRATCH-FOLDER]
#include "BenchFiles.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Timing {
    double wall = -1; // seconds; negative when the program failed
    double cpu = 0;   // user and system seconds of the program
};

// Runs a program in `folder` with its output discarded.
Timing Timed(const std::vector<std::string>& argv, const fs::path& folder)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const auto start = Clock::now();
    pid_t pid = -1;
    int status = 0;
    struct rusage usage {};
    const bool started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    Timing timing;
    if (!started || wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return timing;
    timing.wall = std::chrono::duration<double>(Clock::now() - start).count();
    timing.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec
        + usage.ru_stime.tv_usec / 1e6;
    return timing;
}

bool Available(const std::string& program)
{
    return Timed({"sh", "-c", "command -v " + program}, fs::current_path()).wall >= 0;
}

std::uint64_t TreeBytes(const fs::path& folder)
{
    std::uint64_t bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            bytes += e.file_size();
    return bytes;
}

// The fastest of three runs; `prepare` runs before each.
template <class Prepare>
Timing Best(const std::vector<std::string>& argv, const fs::path& folder, Prepare prepare)
{
    Timing best;
    for (int i = 0; i < 3; ++i) {
        prepare();
        const Timing t = Timed(argv, folder);
        if (t.wall < 0) {
            std::fprintf(stderr, "tcab_bench: '%s' failed\n", argv[0].c_str());
            std::exit(1);
        }
        if (best.wall < 0 || t.wall < best.wall)
            best = t;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
    const fs::path scratch = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "tcab-bench";
    if (!Available("gcab") || !Available("cabextract")) {
        std::printf("tcab_bench: gcab and cabextract are needed; nothing measured\n");
        return 0;
    }
    fs::remove_all(scratch);
    fs::create_directories(scratch / "data");
    const auto tree = bench::WriteMixedTree(scratch / "data", mebibytes << 20);
    std::printf("input: %zu files, %.1f MiB of text, random, record and sparse data\n", tree.files.size(),
                tree.bytes / 1048576.0);

    const std::string tcab = TCAB_PROGRAM;
    std::vector<std::string> gcab = {"gcab", "-c", "-z", "../gcab.cab"};
    gcab.insert(gcab.end(), tree.files.begin(), tree.files.end());
    // Both tools read warm files: one untimed run each first.
    Timed(gcab, scratch / "data");
    Timed({tcab, "create", "tcab.cab", "data"}, scratch);

    const Timing tCreate = Best({tcab, "create", "tcab.cab", "data"}, scratch, [] {});
    const Timing gCreate = Best(gcab, scratch / "data", [] {});
    const auto tSize = fs::file_size(scratch / "tcab.cab");
    const auto gSize = fs::file_size(scratch / "gcab.cab");
    const double mib = tree.bytes / 1048576.0;
    std::printf("create:  tcab create %.2f s (%.0f MiB/s, %.2f s CPU), gcab -c -z %.2f s (%.0f MiB/s, %.2f s CPU): "
                "throughput %.2fx (target >= 1.5x)\n",
                tCreate.wall, mib / tCreate.wall, tCreate.cpu, gCreate.wall, mib / gCreate.wall, gCreate.cpu,
                gCreate.wall / tCreate.wall);
    std::printf("size:    tcab %llu bytes, gcab %llu bytes: %.4fx (target <= 1.01x)\n",
                static_cast<unsigned long long>(tSize), static_cast<unsigned long long>(gSize),
                static_cast<double>(tSize) / static_cast<double>(gSize));

    const Timing tExtract = Best({tcab, "extract", "tcab.cab", "out-tcab"}, scratch,
                                 [&] { fs::remove_all(scratch / "out-tcab"); });
    const Timing cExtract = Best({"cabextract", "-q", "-d", "out-cabextract", "tcab.cab"}, scratch,
                                 [&] { fs::remove_all(scratch / "out-cabextract"); });
    const bool same = TreeBytes(scratch / "out-tcab") == tree.bytes && TreeBytes(scratch / "out-cabextract") == tree.bytes;
    std::printf("extract: tcab extract %.2f s (%.0f MiB/s, %.2f s CPU), cabextract %.2f s (%.0f MiB/s, %.2f s CPU): "
                "throughput %.2fx (target >= 1.0x)%s\n",
                tExtract.wall, mib / tExtract.wall, tExtract.cpu, cExtract.wall, mib / cExtract.wall, cExtract.cpu,
                cExtract.wall / tExtract.wall, same ? "" : "  [outputs differ in size!]");

    const Timing tTest = Best({tcab, "test", "tcab.cab"}, scratch, [] {});
    const Timing cTest = Best({"cabextract", "-q", "-t", "tcab.cab"}, scratch, [] {});
    std::printf("test:    tcab test %.2f s (%.0f MiB/s, %.2f s CPU), cabextract -t %.2f s (%.0f MiB/s, %.2f s CPU): "
                "throughput %.2fx (target >= 1.0x)\n",
                tTest.wall, mib / tTest.wall, tTest.cpu, cTest.wall, mib / cTest.wall, cTest.cpu,
                cTest.wall / tTest.wall);
    fs::remove_all(scratch);
    return same ? 0 : 1;
}
