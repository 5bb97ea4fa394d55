// tcab as its users run it, and its cabinets as other tools read them.
#include "ProcessRunner.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;

using testsupport::FilesBelow;

class Tcab : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string random(300000, '\0');
        unsigned state = 3;
        for (auto& c : random) {
            state = state * 1664525u + 1013904223u;
            c = static_cast<char>(state >> 24);
        }
        std::string text;
        while (text.size() < 500000)
            text += "the quick brown fox " + std::to_string(text.size()) + "\n";
        dir_.Write("tree/random.bin", random);
        dir_.Write("tree/text.txt", text);
        dir_.Write("tree/sub/\xc3\xa9t\xc3\xa9.txt", "summer");
        dir_.Write("tree/sub/deeper/empty.txt", "");
        dir_.Write("tree/.hidden", "not stored");
    }

    proc::Result Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), TCAB_PROGRAM);
        return proc::Run(args, dir_.path());
    }

    // What extracting the cabinet of the "tree" folder gives below "tree".
    std::map<std::string, std::string> Expected() { return FilesBelow(dir_ / "tree"); }

    testsupport::TempDir dir_;
};

TEST_F(Tcab, CreatesListsAndExtractsATree)
{
    auto created = Tool({"create", "out.cab", "tree"});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_NE(created.out.find("stored 5 files"), std::string::npos) << created.out;

    auto listed = Tool({"list", "out.cab"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 5);
    EXPECT_NE(listed.out.find("    300000  ---A-  tree\\random.bin\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("tree\\sub\\deeper\\empty.txt\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("-H-A-  tree\\.hidden\n"), std::string::npos) << listed.out;

    auto extracted = Tool({"extract", "out.cab", "all"});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_TRUE(FilesBelow(dir_ / "all/tree") == Expected());

    auto some = Tool({"extract", "out.cab", "some", "tree/sub/\xc3\xa9t\xc3\xa9.txt", "tree\\text.txt"});
    ASSERT_EQ(some.exitCode, 0) << some.err;
    EXPECT_EQ(FilesBelow(dir_ / "some").size(), 2u);
}

TEST_F(Tcab, EveryFailureSaysWhatWentWrongAndExitsNonZero)
{
    auto usage = Tool({});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("Usage: tcab [OPTION]... COMMAND"), std::string::npos);
    EXPECT_EQ(Tool({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Tool({"create", "only.cab"}).exitCode, 2);
    EXPECT_EQ(Tool({"create", "--fast", "x.cab", "tree"}).exitCode, 2);
    EXPECT_EQ(Tool({"list"}).exitCode, 2);

    auto missing = Tool({"create", "x.cab", "no-such-thing"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "tcab: 'no-such-thing' does not exist\ntcab: nothing was written to 'x.cab'\n");
    auto folder = Tool({"create", "nowhere/x.cab", "tree"});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_NE(folder.err.find("Could Not Create Cab File (0x80040065)"), std::string::npos) << folder.err;
    EXPECT_FALSE(fs::exists(dir_ / "x.cab"));

    auto notThere = Tool({"list", "missing.cab"});
    EXPECT_EQ(notThere.exitCode, 1);
    EXPECT_EQ(notThere.err, "tcab: cannot read 'missing.cab': Cabinet Not Found (cannot open cabinet 'missing.cab': No "
                            "such file or directory)\n");
    dir_.Write("text.cab", "not a cabinet at all");
    auto notCab = Tool({"extract", "text.cab", "out"});
    EXPECT_EQ(notCab.exitCode, 1);
    EXPECT_NE(notCab.err.find("Not A Cab"), std::string::npos);

    ASSERT_EQ(Tool({"create", "good.cab", "tree"}).exitCode, 0);
    auto unknownName = Tool({"extract", "good.cab", "out", "nothing.txt"});
    EXPECT_EQ(unknownName.exitCode, 1);
    EXPECT_EQ(unknownName.err, "tcab: 'nothing.txt' is not in good.cab\n");
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(Tcab, HelpVersionAndVerbosityFollowTheUsualManners)
{
    auto help = Tool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: tcab [OPTION]... COMMAND [ARGUMENT]...\n", 0), 0u) << help.out;
    for (const char* text : {"\n  create CABINET PATH...", "\n  -q, --quiet", "      --version", "Exit status:\n  0 ",
                             "\n  130  cancelled"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    EXPECT_EQ(help.err, "");

    auto version = Tool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("tcab (TessalyCabinet) ", 0), 0u) << version.out;

    auto createHelp = Tool({"create", "--help"});
    EXPECT_EQ(createHelp.exitCode, 0);
    EXPECT_EQ(createHelp.out.rfind("Usage: tcab create [OPTION]... CABINET PATH...\n", 0), 0u) << createHelp.out;
    EXPECT_NE(createHelp.out.find("      --no-compress"), std::string::npos);
    EXPECT_NE(createHelp.out.find("Exit status:"), std::string::npos);
    EXPECT_EQ(Tool({"help", "extract"}).out, Tool({"extract", "-h"}).out);

    auto wrong = Tool({"create", "--fast", "x.cab", "tree"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "tcab create: unknown option '--fast'\nUsage: tcab create [OPTION]... CABINET PATH...\n"
                         "Try 'tcab create --help' for more information.\n");

    // Off a terminal tcab works in silence unless asked; -q keeps even the summary back.
    auto plain = Tool({"create", "a.cab", "tree"});
    EXPECT_EQ(plain.err, "");
    EXPECT_NE(plain.out.find("stored 5 files"), std::string::npos);
    auto quiet = Tool({"-q", "extract", "a.cab", "out"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    auto verbose = Tool({"extract", "-v", "a.cab", "out2"});
    EXPECT_NE(verbose.err.find("extracting tree/random.bin\n"), std::string::npos) << verbose.err;
}

TEST_F(Tcab, NamesFollowTheOperandsAndClashesOrUnstorableFilesFailBeforeWriting)
{
    dir_.Write("d1/a.txt", "one");
    dir_.Write("d2/a.txt", "two");
    ASSERT_EQ(Tool({"create", "two.cab", "d1/a.txt", "./d2"}).exitCode, 0);
    ASSERT_EQ(Tool({"extract", "two.cab", "x"}).exitCode, 0);
    EXPECT_EQ(testsupport::ReadAll(dir_ / "x/d1/a.txt"), "one");
    EXPECT_EQ(testsupport::ReadAll(dir_ / "x/d2/a.txt"), "two");
    ASSERT_EQ(Tool({"create", "abs.cab", (dir_ / "d1").string(), "../" + dir_.path().filename().string() + "/d2/a.txt"})
                  .exitCode,
              0);
    auto listed = Tool({"list", "abs.cab"});
    EXPECT_NE(listed.out.find("  d1\\a.txt\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  a.txt\n"), std::string::npos) << listed.out;

    // The same name twice, or twice but for letter case, overwrites on extraction.
    dir_.Write("D1/A.TXT", "three");
    auto clash = Tool({"create", "clash.cab", "d1", "D1", "d2/a.txt", "d2/../d2/a.txt"});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_NE(clash.err.find("tcab: 'd1/a.txt' and 'D1/A.TXT' would both be stored as 'd1\\a.txt' (letter case "
                             "aside)\n"),
              std::string::npos)
        << clash.err;
    EXPECT_NE(clash.err.find("would both be stored as 'd2\\a.txt'\n"), std::string::npos) << clash.err;
    EXPECT_FALSE(fs::exists(dir_ / "clash.cab"));

    dir_.Write("odd/back\\slash.txt", "x");
    dir_.Write("odd/fine.txt", "fine");
    ASSERT_EQ(::mkfifo((dir_ / "odd/pipe").c_str(), 0600), 0);
    auto odd = Tool({"create", "odd.cab", "odd"});
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_NE(odd.err.find("'odd/back\\slash.txt' cannot be stored: its name holds a backslash"), std::string::npos)
        << odd.err;
    EXPECT_NE(odd.err.find("'odd/pipe' cannot be stored: it is not a regular file"), std::string::npos) << odd.err;
    EXPECT_FALSE(fs::exists(dir_ / "odd.cab"));
    auto skipped = Tool({"create", "--skip-unstorable", "odd.cab", "odd"});
    EXPECT_EQ(skipped.exitCode, 0) << skipped.err;
    EXPECT_NE(skipped.err.find("tcab: skipped: 'odd/pipe' cannot be stored"), std::string::npos) << skipped.err;
    EXPECT_NE(skipped.out.find("stored 1 file"), std::string::npos) << skipped.out;
}

TEST_F(Tcab, MoreFilesThanASixteenBitCountHoldsAreStoredUpToTheFormatsLimit)
{
    fs::create_directories(dir_ / "many");
    for (int i = 0; i < 32800; ++i)
        std::ofstream(dir_.path() / ("many/" + std::to_string(i)).c_str());
    auto created = Tool({"create", "--no-compress", "many.cab", "many"});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_NE(created.out.find("stored 32800 files"), std::string::npos) << created.out;
    auto listed = Tool({"list", "many.cab"});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 32800);
}

TEST_F(Tcab, DamagedFilesAreReportedByNameAndTheIntactOnesStillWritten)
{
    auto corpus = testsupport::CorpusDir("cab/libmspack-cabd");
    if (!corpus || !proc::Available("cabextract"))
        GTEST_SKIP() << "corpus or cabextract not present";
    const std::string cabinet = (*corpus / "cve-2014-9732-folders-segfault.cab").string();
    auto theirs = proc::Run({"cabextract", "-q", "-d", (dir_ / "theirs").string(), cabinet}, dir_.path());
    EXPECT_NE(theirs.exitCode, 0);
    auto ours = Tool({"extract", cabinet, "ours"});
    EXPECT_EQ(ours.exitCode, 1);
    EXPECT_NE(ours.err.find("tcab: Not extracted: \"2\": "), std::string::npos) << ours.err;
    EXPECT_NE(ours.err.find("2 of 3 files were extracted"), std::string::npos) << ours.err;
    EXPECT_TRUE(FilesBelow(dir_ / "ours") == FilesBelow(dir_ / "theirs")) << "the intact files, and nothing under a damaged one's name";
}

TEST_F(Tcab, TestChecksEveryFileWithoutWritingAndPipeWritesToStandardOutput)
{
    ASSERT_EQ(Tool({"create", "good.cab", "tree"}).exitCode, 0);
    auto good = Tool({"test", "good.cab"});
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.out, "all 5 files are intact\n");
    const std::string damaged = std::string(HALVEX_SOURCE_DIR) + "/tests/cab/data/bad_block_checksum.cab";
    auto bad = Tool({"test", "good.cab", damaged});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("tcab: damaged: '"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("' in '" + damaged + "': "), std::string::npos) << bad.err;
    if (proc::Available("cabextract")) {
        EXPECT_EQ(proc::Run({"cabextract", "-q", "-t", "good.cab"}, dir_.path()).exitCode, 0);
        EXPECT_NE(proc::Run({"cabextract", "-q", "-t", damaged}, dir_.path()).exitCode, 0);
    }

    auto piped = Tool({"extract", "--pipe", "good.cab", "tree/text.txt"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(piped.out == testsupport::ReadAll(dir_ / "tree/text.txt"));
    EXPECT_EQ(Tool({"extract", "-p", "good.cab", "tree\\sub\\\xc3\xa9t\xc3\xa9.txt"}).out, "summer");
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(Tool({"extract", "-p", "good.cab", "nothing"}).exitCode, 1);
}

TEST_F(Tcab, ACabinetSetIsListedTestedAndExtractedWholeFromAnyPart)
{
    auto corpus = testsupport::CorpusDir("cab/cabextract-cabs");
    if (!corpus || !proc::Available("cabextract"))
        GTEST_SKIP() << "corpus or cabextract not present";
    auto theirs = proc::Run({"cabextract", "-q", "-d", (dir_ / "theirs").string(), (*corpus / "split-1.cab").string()},
                            dir_.path());
    ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
    for (const char* part : {"split-1.cab", "split-4.cab"}) {
        const std::string cabinet = (*corpus / part).string();
        const std::string listing = Tool({"list", cabinet}).out;
        EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 6) << part;
        EXPECT_EQ(Tool({"test", cabinet}).out, "all 6 files are intact\n") << part;
        fs::remove_all(dir_ / "ours");
        ASSERT_EQ(Tool({"extract", cabinet, "ours"}).exitCode, 0) << part;
        EXPECT_TRUE(FilesBelow(dir_ / "ours") == FilesBelow(dir_ / "theirs")) << part;
    }
}

TEST_F(Tcab, RefusedEntriesOfAHostileCabinetFailTheRun)
{
    auto corpus = testsupport::CorpusDir("cab/cabextract-cabs");
    if (!corpus || !fs::exists(*corpus / "dirwalk-vulns.cab"))
        GTEST_SKIP() << "corpus not present";
    fs::create_directories(dir_ / "a/b/c");
    auto result = Tool({"extract", (*corpus / "dirwalk-vulns.cab").string(), "a/b/c/out"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("tcab: Not extracted: \"../relative/path\" would be written outside the destination folder"),
              std::string::npos)
        << result.err;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
        const auto relative = fs::relative(e.path(), dir_.path()).string();
        EXPECT_TRUE(relative.rfind("tree", 0) == 0 || relative.rfind("a", 0) == 0) << relative;
        if (relative.rfind("a", 0) == 0) {
            EXPECT_TRUE(relative.size() <= 5 || relative.rfind("a/b/c/out", 0) == 0) << relative;
        }
    }
}

TEST_F(Tcab, OurCabinetsOpenInGcabAndCabextractByteForByte)
{
    if (!proc::Available("gcab") || !proc::Available("cabextract"))
        GTEST_SKIP() << "gcab or cabextract not installed";
    for (std::string option : {"", "--no-compress"}) {
        fs::remove_all(dir_ / "g");
        fs::remove_all(dir_ / "c");
        std::vector<std::string> args = {"create", "ours.cab", "tree"};
        if (!option.empty())
            args.insert(args.begin() + 1, option);
        ASSERT_EQ(Tool(args).exitCode, 0);
        fs::create_directories(dir_ / "g");
        auto gcab = proc::Run({"gcab", "-x", "-C", (dir_ / "g").string(), (dir_ / "ours.cab").string()}, dir_.path());
        ASSERT_EQ(gcab.exitCode, 0) << gcab.err;
        auto cabextract = proc::Run({"cabextract", "-q", "-d", (dir_ / "c").string(), "ours.cab"}, dir_.path());
        ASSERT_EQ(cabextract.exitCode, 0) << cabextract.err;
        EXPECT_TRUE(FilesBelow(dir_ / "c/tree") == Expected()) << option;
        // gcab keeps the backslash of names in folders; compare the bytes name by name.
        auto fromGcab = FilesBelow(dir_ / "g");
        ASSERT_EQ(fromGcab.size(), 5u);
        for (auto& [inner, bytes] : Expected()) {
            const std::string name = "tree/" + inner;
            std::string stored = name;
            std::replace(stored.begin(), stored.end(), '/', '\\');
            auto it = fromGcab.count(name) ? fromGcab.find(name) : fromGcab.find(stored);
            ASSERT_NE(it, fromGcab.end()) << name;
            EXPECT_TRUE(it->second == bytes) << name;
        }
    }
}

TEST_F(Tcab, ReadsWhatGcabWrites)
{
    if (!proc::Available("gcab"))
        GTEST_SKIP() << "gcab not installed";
    auto gcab = proc::Run({"gcab", "-c", "-z", "../theirs.cab", "random.bin", "text.txt", "sub/\xc3\xa9t\xc3\xa9.txt"},
                          dir_ / "tree");
    ASSERT_EQ(gcab.exitCode, 0) << gcab.err;
    auto result = Tool({"extract", "theirs.cab", "out"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    auto expected = Expected();
    expected.erase("sub/deeper/empty.txt");
    expected.erase(".hidden");
    auto extracted = FilesBelow(dir_ / "out");
    ASSERT_EQ(extracted.size(), expected.size());
    for (const auto& [name, bytes] : expected)
        EXPECT_TRUE(extracted[name] == bytes) << name; // a mismatch is not worth printing
}

TEST_F(Tcab, CtrlCWhileCreatingLeavesNoCabinet)
{
    std::string big;
    big.reserve(64 << 20);
    unsigned state = 11;
    while (big.size() < (64u << 20)) {
        state = state * 1664525u + 1013904223u;
        big += std::to_string(state) + (state & 1 ? " x\n" : " y ");
    }
    dir_.Write("big/one.txt", big);
    dir_.Write("big/two.txt", big);
    proc::Background tool({TCAB_PROGRAM, "create", "-v", "big.cab", "big"}, dir_.path(), dir_ / "tool");
    while (tool.Err().find("adding") == std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(tool.Pid(), SIGINT);
    auto result = tool.Wait();
    if (result.exitCode == 0)
        GTEST_SKIP() << "the cabinet was finished before the signal arrived";
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("tcab: cancelled; no cabinet was written"), std::string::npos) << result.err;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir_.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"big", "tool.err", "tool.out", "tree"}));
}

} // namespace
