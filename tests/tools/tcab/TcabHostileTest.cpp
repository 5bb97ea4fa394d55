// tcab against hostile inputs and places: devices and pipes named as the
// cabinet, links inside the output folder, the cabinet as its own entry,
// temporaries of killed runs, cabinets that claim more than any disk holds.
#include "ProcessRunner.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string DataFile(const std::string& name)
{
    return std::string(HALVEX_SOURCE_DIR) + "/tests/cab/data/" + name;
}

// The id of a process that has ended.
pid_t DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

class TcabHostile : public ::testing::Test {
protected:
    proc::Result Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), TCAB_PROGRAM);
        return proc::Run(args, dir_.path());
    }

    testsupport::TempDir dir_;
};

TEST_F(TcabHostile, DevicesAndPipesAsTheCabinetFailAtOnceNamingTheFile)
{
    ASSERT_EQ(::mkfifo((dir_ / "pipe.cab").c_str(), 0600), 0);
    fs::create_symlink(dir_ / "pipe.cab", dir_ / "link-to-pipe.cab");
    for (const std::string cabinet : {"/dev/zero", "/dev/urandom", "pipe.cab", "link-to-pipe.cab"}) {
        for (const std::string command : {"list", "extract"}) {
            auto result = command == "list" ? Tool({command, cabinet}) : Tool({command, cabinet, "out"});
            ASSERT_FALSE(result.timedOut) << command << " " << cabinet << " hung";
            EXPECT_EQ(result.exitCode, 1) << command << " " << cabinet;
            EXPECT_NE(result.err.find("'" + cabinet + "'"), std::string::npos) << result.err;
            EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
        }
    }
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(TcabHostile, NothingIsWrittenThroughALinkedFolderOrOverTheCabinetItself)
{
    dir_.Write("tree/sub/a.txt", "through the link");
    dir_.Write("tree/b.txt", "plain");
    ASSERT_EQ(Tool({"create", "t.cab", "tree"}).exitCode, 0);
    fs::create_directories(dir_ / "elsewhere");
    fs::create_directories(dir_ / "out/tree");
    fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "out/tree/sub");

    auto linked = Tool({"extract", "t.cab", "out"});
    EXPECT_EQ(linked.exitCode, 1);
    EXPECT_NE(linked.err.find("symbolic link"), std::string::npos) << linked.err;
    EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
    EXPECT_EQ(testsupport::ReadAll(dir_ / "out/tree/b.txt"), "plain");

    // An entry whose place is the cabinet, reached by another name (a hard link).
    dir_.Write("self/victim.cab", "stand-in");
    ASSERT_EQ(Tool({"create", "victim-source.cab", (dir_ / "self/victim.cab").string()}).exitCode, 0);
    fs::create_directories(dir_ / "x");
    fs::rename(dir_ / "victim-source.cab", dir_ / "x/victim.cab");
    fs::create_hard_link(dir_ / "x/victim.cab", dir_ / "other-name.cab");
    const std::string before = testsupport::ReadAll(dir_ / "x/victim.cab");
    auto self = Tool({"extract", "other-name.cab", "x"});
    EXPECT_EQ(self.exitCode, 1);
    EXPECT_NE(self.err.find("is the cabinet being read"), std::string::npos) << self.err;
    EXPECT_EQ(testsupport::ReadAll(dir_ / "x/victim.cab"), before);
}

TEST_F(TcabHostile, TemporariesOfEndedRunsAreRemovedAndLiveOnesKept)
{
    dir_.Write("tree/a.txt", "a");
    ASSERT_EQ(Tool({"create", "t.cab", (dir_ / "tree/a.txt").string()}).exitCode, 0); // stored as "a.txt"
    const std::string dead = ".~cab." + std::to_string(DeadProcess()) + ".0123456789ab";
    const std::string live = ".~cab." + std::to_string(::getpid()) + ".0123456789ab";
    for (const std::string& name : {dead + ".part", dead + ".spool", live + ".tmp"})
        dir_.Write("out/" + name, "left over");
    dir_.Write("out/.~cab.notanumber.part", "someone else's");

    ASSERT_EQ(Tool({"extract", "t.cab", "out"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(dir_ / ("out/" + dead + ".part")));
    EXPECT_FALSE(fs::exists(dir_ / ("out/" + dead + ".spool")));
    EXPECT_TRUE(fs::exists(dir_ / ("out/" + live + ".tmp")));
    EXPECT_TRUE(fs::exists(dir_ / "out/.~cab.notanumber.part"));

    // The same sweep runs when a cabinet is written into the folder.
    dir_.Write(dead + ".tmp", "left over");
    ASSERT_EQ(Tool({"create", "t3.cab", "tree/a.txt"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(dir_ / (dead + ".tmp")));
}

TEST_F(TcabHostile, ACabinetClaimingMoreThanFitsOrIsAllowedWritesNothing)
{
    auto bomb = Tool({"extract", DataFile("declared_sizes_beyond_any_disk.cab"), "out"});
    EXPECT_EQ(bomb.exitCode, 1);
    EXPECT_NE(bomb.err.find("would write 12.9 TB"), std::string::npos) << bomb.err;
    EXPECT_NE(bomb.err.find("are free in 'out'"), std::string::npos) << bomb.err;
    EXPECT_TRUE(!fs::exists(dir_ / "out") || fs::is_empty(dir_ / "out"));

    dir_.Write("tree/a.txt", std::string(5000, 'a'));
    ASSERT_EQ(Tool({"create", "t.cab", "tree"}).exitCode, 0);
    auto limited = Tool({"extract", "--max-size", "4K", "t.cab", "small"});
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_NE(limited.err.find("more than the limit of 4.1 kB"), std::string::npos) << limited.err;
    EXPECT_FALSE(fs::exists(dir_ / "small/a.txt"));
    EXPECT_EQ(Tool({"extract", "--max-size=5000", "t.cab", "enough"}).exitCode, 0);
    EXPECT_EQ(Tool({"extract", "--max-size", "lots", "t.cab", "x"}).exitCode, 2);
}

TEST_F(TcabHostile, TheCabinetIsNeverStoredInItself)
{
    dir_.Write("tree/a.txt", "a");
    dir_.Write("tree/old.cab", "an older cabinet");
    auto inside = Tool({"create", "tree/old.cab", "tree"});
    EXPECT_EQ(inside.exitCode, 1);
    EXPECT_NE(inside.err.find("is the cabinet being written"), std::string::npos) << inside.err;
    auto named = Tool({"create", "tree/old.cab", "tree/a.txt", "tree/old.cab"});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(testsupport::ReadAll(dir_ / "tree/old.cab"), "an older cabinet");
}

} // namespace
