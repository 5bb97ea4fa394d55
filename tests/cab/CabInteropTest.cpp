// Both directions with the peer tools: cabinets gcab writes are read by us,
// and cabinets we write are listed, tested and extracted by gcab and cabextract.
#include "CabTestSupport.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

using namespace cabtest;
using testsupport::ReadAll;
using testsupport::TempDir;

namespace {

// Sample files crossing block boundaries, empty, and in a sub-folder.
std::map<std::string, std::string> SampleFiles()
{
    return {
        {"empty.txt", ""},
        {"small.txt", TextBytes(100, 1)},
        {"block.bin", RandomBytes(32768, 2)},
        {"sub/text.txt", TextBytes(200000, 3)},
        {"sub/random.bin", RandomBytes(65537, 4)},
        {"sub/deeper/mixed.bin", TextBytes(40000, 5) + RandomBytes(40000, 6)},
    };
}

std::string Backslashed(std::string name)
{
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

} // namespace

TEST(CabInterop, WeReadWhatGcabWrites)
{
    if (!HaveTool("gcab"))
        GTEST_SKIP() << "gcab is not installed";
    for (const char* options : {"-c", "-cz"}) {
        SCOPED_TRACE(options);
        TempDir dir;
        std::string names;
        for (auto& [name, bytes] : SampleFiles()) {
            dir.Write("src/" + name, bytes);
            names += " " + Quote(name);
        }
        RunResult r = RunCommand("cd " + Quote((dir / "src").string()) + " && gcab " + options + " ../g.cab" + names);
        ASSERT_EQ(r.status, 0) << r.output;

        cab::CabReader reader;
        ASSERT_FALSE(reader.Open((dir / "g.cab").string()));
        std::map<std::string, std::string> got;
        for (std::size_t i = 0; i < reader.Entries().size(); ++i) {
            std::string target = cab::SafeTargetPath((dir / "out").string(), reader.Entries()[i].name);
            ASSERT_FALSE(target.empty());
            std::filesystem::create_directories(std::filesystem::path(target).parent_path());
            ASSERT_FALSE(reader.Extract(i, target));
            got[reader.Entries()[i].name] = ReadAll(target);
        }
        std::map<std::string, std::string> expected;
        for (auto& [name, bytes] : SampleFiles())
            expected[Backslashed(name)] = bytes;
        EXPECT_TRUE(got == expected);
    }
}

TEST(CabInterop, GcabAndCabextractReadWhatWeWrite)
{
    if (!HaveTool("gcab") || !HaveTool("cabextract"))
        GTEST_SKIP() << "gcab or cabextract is not installed";
    for (cab::Compression compression : {cab::Compression::MsZip, cab::Compression::None}) {
        SCOPED_TRACE(int(compression));
        TempDir dir;
        std::vector<cab::WriterSource> sources;
        for (auto& [name, bytes] : SampleFiles())
            sources.push_back(Source(dir.Write("src/" + name, bytes), Backslashed(name), compression));
        // A second folder of the other kind, and a name that needs UTF-8.
        sources.push_back(Source(dir.Write("src/ünï.txt", TextBytes(5000, 7)), "ünï.txt",
                                 compression == cab::Compression::MsZip ? cab::Compression::None
                                                                        : cab::Compression::MsZip));
        const auto cabinet = dir / "ours.cab";
        ASSERT_FALSE(WriteCabinet(cabinet, sources));

        RunResult test = RunCommand("cabextract -t " + Quote(cabinet.string()));
        EXPECT_EQ(test.status, 0) << test.output;
        EXPECT_NE(test.output.find("All done, no errors."), std::string::npos) << test.output;

        RunResult list = RunCommand("gcab -t " + Quote(cabinet.string()));
        EXPECT_EQ(list.status, 0) << list.output;
        for (const auto& s : sources)
            EXPECT_NE(list.output.find(s.nameInCab + "\n"), std::string::npos) << s.nameInCab;

        std::map<std::string, std::string> expected = SampleFiles();
        expected["ünï.txt"] = TextBytes(5000, 7);
        RunResult x = RunCommand("cabextract -q -d " + Quote((dir / "cabextract").string()) + " " + Quote(cabinet.string()));
        EXPECT_EQ(x.status, 0) << x.output;
        EXPECT_TRUE(FilesBelow(dir / "cabextract") == expected);

        std::filesystem::create_directory(dir / "gcab");
        RunResult g = RunCommand("gcab -x -C " + Quote((dir / "gcab").string()) + " " + Quote(cabinet.string()));
        EXPECT_EQ(g.status, 0) << g.output;
        EXPECT_TRUE(FilesBelow(dir / "gcab") == expected);
    }
}
