// tcab create against gcab -c -z, and tcab extract against cabextract, on the
// same 200 MiB of mixed files, in one run. Prints times and ratios; asserts nothing.
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
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs a program in `folder` with its output discarded; the wall time in
// seconds, or a negative number when it failed.
double Timed(const std::vector<std::string>& argv, const fs::path& folder)
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
    const bool started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Available(const std::string& program)
{
    return Timed({"sh", "-c", "command -v " + program}, fs::current_path()) >= 0;
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
double Best(const std::vector<std::string>& argv, const fs::path& folder, Prepare prepare)
{
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        prepare();
        const double t = Timed(argv, folder);
        if (t < 0) {
            std::fprintf(stderr, "tcab_bench: '%s' failed\n", argv[0].c_str());
            std::exit(1);
        }
        best = best < 0 ? t : std::min(best, t);
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

    const double tCreate = Best({tcab, "create", "tcab.cab", "data"}, scratch, [] {});
    const double gCreate = Best(gcab, scratch / "data", [] {});
    const auto tSize = fs::file_size(scratch / "tcab.cab");
    const auto gSize = fs::file_size(scratch / "gcab.cab");
    const double mib = tree.bytes / 1048576.0;
    std::printf("create:  tcab create %.2f s (%.0f MiB/s), gcab -c -z %.2f s (%.0f MiB/s): throughput %.2fx (target >= 1.5x)\n",
                tCreate, mib / tCreate, gCreate, mib / gCreate, gCreate / tCreate);
    std::printf("size:    tcab %llu bytes, gcab %llu bytes: %.4fx (target <= 1.01x)\n",
                static_cast<unsigned long long>(tSize), static_cast<unsigned long long>(gSize),
                static_cast<double>(tSize) / static_cast<double>(gSize));

    const double tExtract = Best({tcab, "extract", "tcab.cab", "out-tcab"}, scratch,
                                 [&] { fs::remove_all(scratch / "out-tcab"); });
    const double cExtract = Best({"cabextract", "-q", "-d", "out-cabextract", "tcab.cab"}, scratch,
                                 [&] { fs::remove_all(scratch / "out-cabextract"); });
    const bool same = TreeBytes(scratch / "out-tcab") == tree.bytes && TreeBytes(scratch / "out-cabextract") == tree.bytes;
    std::printf("extract: tcab extract %.2f s (%.0f MiB/s), cabextract %.2f s (%.0f MiB/s): throughput %.2fx (target >= 1.0x)%s\n",
                tExtract, mib / tExtract, cExtract, mib / cExtract, cExtract / tExtract,
                same ? "" : "  [outputs differ in size!]");
    fs::remove_all(scratch);
    return same ? 0 : 1;
}
