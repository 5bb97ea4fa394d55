// How tcab reads: cabinets inside other files with --search, checked against
// cabextract on the same file, and names without the UTF-8 mark with --charset.
#include "ProcessRunner.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using testsupport::FilesBelow;

std::string DataFile(const std::string& name)
{
    return std::string(HALVEX_SOURCE_DIR) + "/tests/cab/data/" + name;
}

// Bytes that start like a program and hold no cabinet signature.
std::string ProgramBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    bytes.replace(0, 2, "MZ");
    for (std::size_t at; (at = bytes.find("MSCF")) != std::string::npos;)
        bytes[at] = 'm';
    return bytes;
}

// "size date time name" of each file, from `tcab list` and from `cabextract -l`.
std::vector<std::string> OurListing(const std::string& out)
{
    std::vector<std::string> files;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string date, time, size, attributes, name;
        fields >> date >> time >> size >> attributes;
        std::getline(fields >> std::ws, name);
        std::replace(name.begin(), name.end(), '\\', '/');
        // 2020-01-31 as cabextract writes it: 31.01.2020.
        files.push_back(size + " " + date.substr(8, 2) + "." + date.substr(5, 2) + "." + date.substr(0, 4) + " " + time
                        + " " + name);
    }
    return files;
}

std::vector<std::string> TheirListing(const std::string& out)
{
    std::vector<std::string> files;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto bar = line.find(" | ");
        const auto second = line.find(" | ", bar + 3);
        if (bar == std::string::npos || second == std::string::npos || line.find("File size") != std::string::npos)
            continue;
        std::istringstream size(line.substr(0, bar));
        std::string bytes;
        size >> bytes;
        files.push_back(bytes + " " + line.substr(bar + 3, second - bar - 3) + " " + line.substr(second + 3));
    }
    return files;
}

class TcabReading : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string text;
        while (text.size() < 200000)
            text += "a sample of the study " + std::to_string(text.size()) + "\n";
        dir_.Write("one/text.txt", text);
        dir_.Write("two/sub/noise.bin", ProgramBytes(40000, 1));
        dir_.Write("two/small.txt", "small");
        ASSERT_EQ(Tool({"create", "one.cab", "one"}).exitCode, 0);
        ASSERT_EQ(Tool({"create", "two.cab", "two"}).exitCode, 0);
        one_ = testsupport::ReadAll(dir_ / "one.cab");
        two_ = testsupport::ReadAll(dir_ / "two.cab");
        // A program with one cabinet appended, and one with two inside it
        // between stretches of code and a stray signature that is no cabinet.
        prefix_ = ProgramBytes(5000, 2);
        gap_ = ProgramBytes(300, 3) + "MSCF" + ProgramBytes(900, 4);
        dir_.Write("single.exe", prefix_ + one_);
        dir_.Write("setup.exe", prefix_ + one_ + gap_ + two_ + ProgramBytes(700, 5));
        dir_.Write("plain.exe", ProgramBytes(20000, 6));
    }

    proc::Result Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), TCAB_PROGRAM);
        return proc::Run(args, dir_.path());
    }

    testsupport::TempDir dir_;
    std::string one_, two_, prefix_, gap_;
};

TEST_F(TcabReading, SearchReadsEveryCabinetInsideAFileAsCabextractDoes)
{
    if (!proc::Available("cabextract"))
        GTEST_SKIP() << "cabextract not installed";
    for (const std::string file : {"single.exe", "setup.exe"}) {
        auto ours = Tool({"list", "--search", file});
        ASSERT_EQ(ours.exitCode, 0) << ours.err;
        auto theirs = proc::Run({"cabextract", "-l", file}, dir_.path());
        ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
        EXPECT_EQ(OurListing(ours.out), TheirListing(theirs.out)) << file;
        EXPECT_EQ(OurListing(ours.out).size(), file == "single.exe" ? 1u : 3u);

        fs::remove_all(dir_ / "ours");
        fs::remove_all(dir_ / "theirs");
        auto extracted = Tool({"extract", "--search", file, "ours"});
        ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
        ASSERT_EQ(proc::Run({"cabextract", "-q", "-d", "theirs", file}, dir_.path()).exitCode, 0);
        EXPECT_TRUE(FilesBelow(dir_ / "ours") == FilesBelow(dir_ / "theirs")) << file;

        auto piped = Tool({"extract", "--search", "--pipe", file});
        EXPECT_EQ(piped.exitCode, 0) << piped.err;
        EXPECT_TRUE(piped.out == proc::Run({"cabextract", "-q", "-p", file}, dir_.path()).out) << file;
    }
    EXPECT_TRUE(FilesBelow(dir_ / "ours/one") == FilesBelow(dir_ / "one"));
    EXPECT_TRUE(FilesBelow(dir_ / "ours/two") == FilesBelow(dir_ / "two"));
    EXPECT_EQ(Tool({"test", "--search", "single.exe", "setup.exe"}).out, "all 4 files are intact\n");
}

TEST_F(TcabReading, SearchIsAskedForAndSaysWhereEachCabinetStarts)
{
    // Without --search a program is no cabinet, and tcab says what would read it.
    const std::string hint =
        "tcab: 'setup.exe' is no cabinet itself; to read cabinets inside it (a self-extracting program, say), "
        "add --search\n";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"list", "setup.exe"},
                                                {"test", "setup.exe"}, {"extract", "setup.exe", "out"},
                                                {"extract", "-p", "setup.exe"}}) {
        auto result = Tool(args);
        EXPECT_EQ(result.exitCode, 1) << args[0];
        EXPECT_NE(result.err.find("tcab: cannot read 'setup.exe'"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(hint), std::string::npos) << result.err;
    }
    EXPECT_EQ(Tool({"list", "one.cab"}).err, "");
    EXPECT_EQ(Tool({"list", "one.cab"}).out, Tool({"list", "--search", "one.cab"}).out);
    EXPECT_FALSE(fs::exists(dir_ / "out"));

    const std::string second = std::to_string(prefix_.size() + one_.size() + gap_.size());
    auto verbose = Tool({"list", "-v", "--search", "setup.exe"});
    ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
    EXPECT_EQ(verbose.out.rfind("cabinet at byte 5000 of 'setup.exe' (1 file):\n", 0), 0u) << verbose.out;
    EXPECT_NE(verbose.out.find("\ncabinet at byte " + second + " of 'setup.exe' (2 files):\n"), std::string::npos)
        << verbose.out;
    auto tested = Tool({"test", "-v", "--search", "setup.exe"});
    EXPECT_NE(tested.err.find("cabinet at byte " + second + " of 'setup.exe' (2 files):\ntesting two/"),
              std::string::npos)
        << tested.err;

    auto none = Tool({"list", "--search", "plain.exe"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "tcab: no cabinet found in 'plain.exe'\n");
    auto missing = Tool({"test", "--search", "missing.exe"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("tcab: cannot search 'missing.exe': cannot open 'missing.exe': No such file"),
              std::string::npos)
        << missing.err;

    // NAMEs are looked for in every cabinet found, before anything is written.
    auto chosen = Tool({"extract", "--search", "setup.exe", "some", "two/small.txt", "one\\text.txt"});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
    EXPECT_EQ(FilesBelow(dir_ / "some").size(), 2u);
    auto unknown = Tool({"extract", "--search", "setup.exe", "none", "two/small.txt", "nothing.txt"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "tcab: 'nothing.txt' is not in setup.exe\n");
    EXPECT_FALSE(fs::exists(dir_ / "none"));
    // --max-size weighs the files of all cabinets together.
    auto tooMuch = Tool({"extract", "--search", "--max-size", "220K", "setup.exe", "none"});
    EXPECT_EQ(tooMuch.exitCode, 1);
    EXPECT_NE(tooMuch.err.find("tcab: Not extracted: the chosen files would write"), std::string::npos)
        << tooMuch.err;
    EXPECT_FALSE(fs::exists(dir_ / "none"));
    EXPECT_EQ(Tool({"extract", "--search", "-p", "setup.exe", "two/small.txt"}).out, "small");
}

TEST_F(TcabReading, CharsetChoosesHowUnmarkedNamesAreRead)
{
    const std::string cp1252 = DataFile("windows1252_name.cab");
    const std::string utf8 = DataFile("unmarked_utf8_name.cab");
    auto nameOf = [&](std::vector<std::string> args) {
        const std::string out = Tool(args).out;
        const auto at = out.find("---A-  ");
        return at == std::string::npos ? out : out.substr(at + 7, out.size() - at - 8);
    };
    EXPECT_EQ(nameOf({"list", cp1252}), "café €.txt");
    EXPECT_EQ(nameOf({"list", "--charset=cp1252", cp1252}), "café €.txt");
    EXPECT_EQ(nameOf({"list", "--charset", "utf-8", cp1252}), "caf\uFFFD \uFFFD.txt");
    EXPECT_EQ(nameOf({"list", utf8}), "café €.txt");
    EXPECT_EQ(nameOf({"list", "--charset", "UTF-8", utf8}), "café €.txt");
    EXPECT_EQ(nameOf({"list", "--charset", "cp1252", utf8}), "cafÃ© â‚¬.txt");

    ASSERT_EQ(Tool({"extract", "--charset", "cp1252", utf8, "as1252"}).exitCode, 0);
    ASSERT_EQ(Tool({"extract", utf8, "asutf8"}).exitCode, 0);
    EXPECT_EQ(FilesBelow(dir_ / "as1252").begin()->first, "cafÃ© â‚¬.txt");
    EXPECT_EQ(FilesBelow(dir_ / "asutf8").begin()->first, "café €.txt");
    EXPECT_TRUE(FilesBelow(dir_ / "as1252").begin()->second == FilesBelow(dir_ / "asutf8").begin()->second);
    auto piped = Tool({"extract", "-p", "--charset", "cp1252", utf8, "cafÃ© â‚¬.txt"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out.size(), 1190u);
    auto tested = Tool({"test", "-v", "--charset", "utf-8", cp1252});
    EXPECT_EQ(tested.exitCode, 0);
    EXPECT_NE(tested.err.find("testing caf\uFFFD \uFFFD.txt"), std::string::npos) << tested.err;

    for (const std::string command : {"list", "test", "extract"}) {
        auto wrong = Tool({command, "--charset", "latin1", cp1252});
        EXPECT_EQ(wrong.exitCode, 2) << command;
        EXPECT_EQ(wrong.err, "tcab " + command + ": 'latin1' is no character set tcab knows; --charset takes auto, "
                                                 "utf-8 or cp1252\n");
        EXPECT_NE(Tool({command, "--help"}).out.find("      --charset=CHARSET"), std::string::npos) << command;
        EXPECT_NE(Tool({command, "--help"}).out.find("      --search "), std::string::npos) << command;
    }
}

} // namespace
