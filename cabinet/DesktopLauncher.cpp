// Opening a file the way the desktop would: with the program associated with
// its type, never by running it.
#include "cabinet/clsExtractCab.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tessaly {

void OpenWithDesktop(const std::string& path)
{
    // The shell puts xdg-open in the background and ends at once, so nothing
    // waits for the opened program and no child is left to reap.
    const char* script = "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
    char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script),
                          const_cast<char*>("sh"), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, argv, environ) != 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace tessaly
