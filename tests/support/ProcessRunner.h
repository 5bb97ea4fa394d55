// Runs a program with its output captured, for tests that drive command-line tools.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace proc {

struct Result {
    int exitCode = -1; // 128 + signal when it was killed
    bool timedOut = false; // it ran past its time and was killed
    std::string out;
    std::string err;
};

// How long a tool may take before it counts as hung: generous, so that only a
// program that waits forever runs into it, even on a loaded machine.
inline constexpr std::chrono::seconds kHangLimit{60};

// Runs argv[0] (looked up in PATH) in `folder` and waits for it, at most
// `limit`; a program still running then is killed and reported timedOut.
Result Run(const std::vector<std::string>& argv, const std::filesystem::path& folder,
           std::chrono::seconds limit = kHangLimit);

// A program running in the background with its output going to files.
class Background {
public:
    Background(const std::vector<std::string>& argv, const std::filesystem::path& folder,
               const std::filesystem::path& outputBase);
    ~Background();
    pid_t Pid() const { return pid_; }
    std::string Err() const;
    Result Wait(std::chrono::seconds limit = kHangLimit);

private:
    pid_t pid_ = -1;
    std::filesystem::path outPath_, errPath_;
};

// Whether a program of that name can be found in PATH.
bool Available(const std::string& program);

} // namespace proc
