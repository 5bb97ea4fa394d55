// tcab as its users run it, and its cabinets as other tools read them.
#include "ProcessRunner.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;

// The contents of every plain file below a folder, by relative path.
std::map<std::string, std::string> Tree(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files[fs::relative(e.path(), folder).string()] = testsupport::ReadAll(e.path());
    return files;
}

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

    std::map<std::string, std::string> Expected()
    {
        auto files = Tree(dir_ / "tree");
        files.erase(".hidden");
        return files;
    }

    testsupport::TempDir dir_;
};

TEST_F(Tcab, CreatesListsAndExtractsATree)
{
    auto created = Tool({"create", "out.cab", "tree"});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_NE(created.out.find("stored 4 files"), std::string::npos) << created.out;

    auto listed = Tool({"list", "out.cab"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 4);
    EXPECT_NE(listed.out.find("    300000  ---A-  random.bin\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("sub\\deeper\\empty.txt\n"), std::string::npos) << listed.out;

    auto extracted = Tool({"extract", "out.cab", "all"});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_TRUE(Tree(dir_ / "all") == Expected());

    auto some = Tool({"extract", "out.cab", "some", "sub/\xc3\xa9t\xc3\xa9.txt", "text.txt"});
    ASSERT_EQ(some.exitCode, 0) << some.err;
    EXPECT_EQ(Tree(dir_ / "some").size(), 2u);
}

TEST_F(Tcab, EveryFailureSaysWhatWentWrongAndExitsNonZero)
{
    auto usage = Tool({});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage: tcab create"), std::string::npos);
    EXPECT_EQ(Tool({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Tool({"create", "only.cab"}).exitCode, 2);
    EXPECT_EQ(Tool({"create", "--fast", "x.cab", "tree"}).exitCode, 2);
    EXPECT_EQ(Tool({"list"}).exitCode, 2);

    auto missing = Tool({"create", "x.cab", "no-such-thing"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "tcab: 'no-such-thing' does not exist\n");
    auto hidden = Tool({"create", "x.cab", "tree/.hidden"});
    EXPECT_EQ(hidden.exitCode, 1);
    EXPECT_NE(hidden.err.find("hidden files and special files are left out"), std::string::npos);
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
        EXPECT_TRUE(Tree(dir_ / "c") == Expected()) << option;
        // gcab keeps the backslash of names in folders; compare the bytes name by name.
        auto fromGcab = Tree(dir_ / "g");
        ASSERT_EQ(fromGcab.size(), 4u);
        for (auto& [name, bytes] : Expected()) {
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
    auto extracted = Tree(dir_ / "out");
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
    proc::Background tool({TCAB_PROGRAM, "create", "big.cab", "big"}, dir_.path(), dir_ / "tool");
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
