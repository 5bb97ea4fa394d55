// The default way of opening a file marked to run after extraction: handed
// to the desktop's opener, never run by the library itself.
#include "CabinetTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

namespace fs = std::filesystem;

class PathGuard {
public:
    explicit PathGuard(const std::string& first)
    {
        const char* old = std::getenv("PATH");
        old_ = old ? old : "";
        ::setenv("PATH", (first + ":" + old_).c_str(), 1);
    }
    ~PathGuard() { ::setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

TEST(Launcher, TheDefaultAsksTheDesktopToOpenTheFileAndNeverRunsIt)
{
    testsupport::TempDir dir;
    auto opener = dir.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/../opened\"\n");
    fs::permissions(opener, fs::perms::owner_all);
    auto marked = dir.Write("out/setup.sh", "#!/bin/sh\ntouch \"$(dirname \"$0\")/../ran\"\n");
    fs::permissions(marked, fs::perms::owner_all);

    PathGuard path((dir / "bin").string());
    tessaly::OpenWithDesktop(marked.string());
    // The opener runs in the background; give it a moment to leave its note.
    for (int i = 0; i < 500 && testsupport::ReadAll(dir / "opened") != marked.string(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(testsupport::ReadAll(dir / "opened"), marked.string());
    EXPECT_FALSE(fs::exists(dir / "ran"));
}

} // namespace
