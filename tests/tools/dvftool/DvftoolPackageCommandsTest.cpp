// dvftool list, extract and pack against hostile inputs: devices and pipes as
// the package, packages that claim more than they may write, a package path
// that is one of the study's own files; and how names without the UTF-8 mark
// are read.
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

TEST_F(DvftoolPackages, CharsetChoosesHowUnmarkedNamesAreListedAndUnpacked)
{
    const std::string utf8 = HALVEX_SOURCE_DIR "/tests/cab/data/unmarked_utf8_name.cab";
    const std::string cp1252 = HALVEX_SOURCE_DIR "/tests/cab/data/windows1252_name.cab";
    EXPECT_NE(Tool({"list", utf8}).out.find("<FULLNAME>café €.txt</FULLNAME>"), std::string::npos);
    EXPECT_NE(Tool({"list", "--charset", "cp1252", utf8}).out.find("<FULLNAME>cafÃ© â‚¬.txt</FULLNAME>"),
              std::string::npos);
    EXPECT_NE(Tool({"list", "--charset=utf-8", cp1252}).out.find("<FULLNAME>caf\uFFFD \uFFFD.txt</FULLNAME>"),
              std::string::npos);

    // Not a study, so the run fails; the file is still written under the name chosen.
    Tool({"extract", "--charset", "cp1252", utf8, "out"});
    EXPECT_TRUE(fs::is_regular_file(dir_ / "out/cafÃ© â‚¬.txt"));
    Tool({"extract", utf8, "auto"});
    EXPECT_TRUE(fs::is_regular_file(dir_ / "auto/café €.txt"));

    for (const std::string command : {"list", "extract"}) {
        auto wrong = Tool({command, "--charset", "latin1", utf8});
        EXPECT_EQ(wrong.exitCode, 2) << command;
        EXPECT_EQ(wrong.err, "dvftool " + command + ": \"latin1\" is no character set dvftool knows: auto, utf-8 or "
                                                    "cp1252\n");
        EXPECT_EQ(Tool({command, utf8, "--charset"}).exitCode, 2) << command;
    }
}

} // namespace
