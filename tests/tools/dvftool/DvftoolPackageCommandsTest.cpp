// dvftool list, extract and pack against hostile inputs: devices and pipes as
// the package, packages that claim more than they may write, a package path
// that is one of the study's own files.
#include "ProcessRunner.h"
#include "TestPaths.h"
#include "tests/packaging/PackagingFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class DvftoolPackages : public ::testing::Test {
protected:
    proc::Result Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), DVFTOOL_PROGRAM);
        return proc::Run(args, dir_.path());
    }

    testsupport::TempDir dir_;
};

TEST_F(DvftoolPackages, DevicesAndPipesAsThePackageFailAtOnceNamingTheFile)
{
    ASSERT_EQ(::mkfifo((dir_ / "pipe.dvp").c_str(), 0600), 0);
    for (const std::string package : {"/dev/zero", "/dev/urandom", "pipe.dvp"}) {
        for (const std::string command : {"list", "extract"}) {
            auto result = command == "list" ? Tool({command, package}) : Tool({command, package, "out"});
            ASSERT_FALSE(result.timedOut) << command << " " << package << " hung";
            EXPECT_EQ(result.exitCode, 1) << command << " " << package;
            EXPECT_NE(result.err.find(package + ": Invalid data. ('" + package + "' is "), std::string::npos)
                << result.err;
        }
    }
}

TEST_F(DvftoolPackages, APackageClaimingTooMuchIsRefusedBeforeWriting)
{
    const std::string bomb = HALVEX_SOURCE_DIR "/tests/cab/data/declared_sizes_beyond_any_disk.cab";
    auto result = Tool({"extract", bomb, "out"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("The package would write 12.9 TB"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "out"));
    EXPECT_EQ(Tool({"extract", "--max-size", "x", bomb, "out"}).exitCode, 2);
}

TEST_F(DvftoolPackages, PackingOverOneOfTheStudysFilesIsRefusedAndTheFileKept)
{
    dir_.Write("s/study.dvf", packtest::kStudyFile);
    dir_.Write("s/a.jpg", "jpeg bytes");
    for (const std::string target : {"s/study.dvf", "s/a.jpg"}) {
        auto result = Tool({"pack", "s/study.dvf", target});
        EXPECT_EQ(result.exitCode, 1) << target;
        EXPECT_NE(result.err.find("is the cabinet being written"), std::string::npos) << result.err;
    }
    EXPECT_EQ(testsupport::ReadAll(dir_ / "s/study.dvf"), packtest::kStudyFile);
    EXPECT_EQ(testsupport::ReadAll(dir_ / "s/a.jpg"), "jpeg bytes");

    auto packed = Tool({"pack", "s/study.dvf", "small.dvp"});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    auto limited = Tool({"extract", "--max-size", "10", "small.dvp", "out"});
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_NE(limited.err.find("more than the 10 bytes allowed"), std::string::npos) << limited.err;
    EXPECT_EQ(Tool({"extract", "--max-size=0", "small.dvp", "out"}).exitCode, 0);
}

} // namespace
