#include "ProcessRunner.h"

#include "TestPaths.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace proc {

namespace fs = std::filesystem;

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const fs::path& folder, const fs::path& out, const fs::path& err)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int ExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return ExitCode(status);
}

// Waits for the program at most `limit`; kills it when it has not ended by then.
int WaitWithin(pid_t pid, std::chrono::seconds limit, bool& timedOut)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    timedOut = false;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return ExitCode(status);
        if (done < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            timedOut = true;
            ::kill(pid, SIGKILL);
            return WaitFor(pid);
        }
        ::usleep(2000);
    }
}

} // namespace

Result Run(const std::vector<std::string>& argv, const fs::path& folder, std::chrono::seconds limit)
{
    testsupport::TempDir capture;
    Result result;
    pid_t pid = Spawn(argv, folder, capture / "out", capture / "err");
    if (pid < 0)
        return result;
    result.exitCode = WaitWithin(pid, limit, result.timedOut);
    result.out = testsupport::ReadAll(capture / "out");
    result.err = testsupport::ReadAll(capture / "err");
    return result;
}

Background::Background(const std::vector<std::string>& argv, const fs::path& folder, const fs::path& outputBase)
    : outPath_(outputBase.string() + ".out")
    , errPath_(outputBase.string() + ".err")
{
    pid_ = Spawn(argv, folder, outPath_, errPath_);
}

Background::~Background()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        WaitFor(pid_);
    }
}

std::string Background::Err() const
{
    return testsupport::ReadAll(errPath_);
}

Result Background::Wait(std::chrono::seconds limit)
{
    Result result;
    if (pid_ > 0) {
        result.exitCode = WaitWithin(pid_, limit, result.timedOut);
        pid_ = -1;
    }
    result.out = testsupport::ReadAll(outPath_);
    result.err = testsupport::ReadAll(errPath_);
    return result;
}

bool Available(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

} // namespace proc
