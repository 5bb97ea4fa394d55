// Runs a program with its output captured, for tests that drive command-line tools.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace proc {

struct Result {
    int exitCode = -1; // 128 + signal when it was killed
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up in PATH) in `folder` and waits for it.
Result Run(const std::vector<std::string>& argv, const std::filesystem::path& folder);

// A program running in the background with its output going to files.
class Background {
public:
    Background(const std::vector<std::string>& argv, const std::filesystem::path& folder,
               const std::filesystem::path& outputBase);
    ~Background();
    pid_t Pid() const { return pid_; }
    std::string Err() const;
    Result Wait();

private:
    pid_t pid_ = -1;
    std::filesystem::path outPath_, errPath_;
};

// Whether a program of that name can be found in PATH.
bool Available(const std::string& program);

} // namespace proc
