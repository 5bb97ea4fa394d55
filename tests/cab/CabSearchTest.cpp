// Cabinets inside other files: found where they start, read from there.
#include "CabTestSupport.h"
#include "TestPaths.h"
#include "platform/cab/CabSearch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace cabtest;
using testsupport::ReadAll;
using testsupport::TempDir;

namespace {

// Noise that starts like a program and holds no cabinet signature.
std::string ProgramBytes(std::size_t size, unsigned seed)
{
    std::string bytes = RandomBytes(size, seed);
    bytes.replace(0, 2, "MZ");
    for (std::size_t at; (at = bytes.find("MSCF")) != std::string::npos;)
        bytes[at] = 'm';
    return bytes;
}

// A header that passes the first look (its file table inside the length it
// declares) but whose one file names a folder it does not have: a signature
// that is no cabinet.
std::string DecoyHeader()
{
    namespace fmt = cab::format;
    std::string header(fmt::cfhead_SIZEOF + fmt::cffold_SIZEOF + fmt::cffile_SIZEOF, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(header.data());
    std::copy(fmt::kSignature, fmt::kSignature + 4, p);
    fmt::PutU32(p + fmt::cfhead_CabinetSize, 300);
    fmt::PutU32(p + fmt::cfhead_FileOffset, fmt::cfhead_SIZEOF + fmt::cffold_SIZEOF);
    p[fmt::cfhead_MajorVersion] = 1;
    p[fmt::cfhead_MinorVersion] = 3;
    fmt::PutU16(p + fmt::cfhead_NumFolders, 1);
    fmt::PutU16(p + fmt::cfhead_NumFiles, 1);
    fmt::PutU16(p + fmt::cfhead_SIZEOF + fmt::cffold_SIZEOF + fmt::cffile_FolderIndex, 5);
    return header + "x.txt";
}

} // namespace

TEST(CabSearch, FindsEachCabinetInsideAFileAndReadsItFromWhereItStarts)
{
    TempDir dir;
    const std::vector<std::string> contents = {TextBytes(70000, 1), RandomBytes(5000, 2), TextBytes(900, 3)};
    ASSERT_FALSE(WriteCabinet(dir / "one.cab", {Source(dir.Write("a", contents[0]), "a.txt")}));
    ASSERT_FALSE(WriteCabinet(dir / "two.cab", {Source(dir.Write("b", contents[1]), "sub\\b.bin"),
                                                Source(dir.Write("c", contents[2]), "c.txt")}));
    const std::string one = ReadAll(dir / "one.cab");
    const std::string two = ReadAll(dir / "two.cab");
    const std::string prefix = ProgramBytes(3001, 4);
    const std::string gap = DecoyHeader() + ProgramBytes(777, 5);
    const std::string file = dir.Write("setup.exe", prefix + one + gap + two + ProgramBytes(512, 6)).string();

    const cab::CabinetSearch search = cab::FindCabinets(file);
    ASSERT_FALSE(search.error) << search.error.message;
    ASSERT_EQ(search.cabinets.size(), 2u);
    EXPECT_EQ(search.cabinets[0].offset, prefix.size());
    EXPECT_EQ(search.cabinets[0].size, one.size());
    EXPECT_EQ(search.cabinets[1].offset, prefix.size() + one.size() + gap.size());
    EXPECT_EQ(search.cabinets[1].size, two.size());

    const std::vector<std::vector<std::string>> names = {{"a.txt"}, {"sub\\b.bin", "c.txt"}};
    std::size_t content = 0;
    for (std::size_t c = 0; c < 2; ++c) {
        cab::CabReader reader;
        ASSERT_FALSE(reader.Open(file, cab::ReadOptions{search.cabinets[c].offset}));
        ASSERT_EQ(reader.Entries().size(), names[c].size());
        for (std::size_t i = 0; i < names[c].size(); ++i, ++content) {
            EXPECT_EQ(reader.Entries()[i].name, names[c][i]);
            EXPECT_FALSE(reader.Verify(i));
            const auto target = dir / ("out" + std::to_string(content));
            ASSERT_FALSE(reader.Extract(i, target.string()));
            EXPECT_TRUE(ReadAll(target) == contents[content]) << names[c][i];
        }
        // The file that holds the cabinet is the cabinet: nothing replaces it.
        EXPECT_EQ(reader.Extract(0, file).code, cab::kErrorSharingViolation);
    }

    cab::CabReader reader;
    EXPECT_EQ(reader.Open(file).code, cab::kErrorInvalidData);
    const cab::CabError off = reader.Open(file, cab::ReadOptions{prefix.size() + 1});
    EXPECT_EQ(off.code, cab::kErrorInvalidData);
    EXPECT_EQ(off.message, "no cabinet starts at byte 3002 of '" + file + "'");
    EXPECT_EQ(reader.Open(file, cab::ReadOptions{prefix.size() + one.size()}).code, cab::kErrorInvalidData);
    for (std::uint64_t past : {std::uint64_t(1) << 40, ~std::uint64_t(0)})
        EXPECT_EQ(reader.Open(file, cab::ReadOptions{past}).code, cab::kErrorInvalidData) << past;
    EXPECT_FALSE(reader.IsOpen());
}

TEST(CabSearch, ACabinetInsideACabinetIsFoundOnceAndOtherFilesHoldNone)
{
    TempDir dir;
    ASSERT_FALSE(WriteCabinet(dir / "inner.cab", {Source(dir.Write("a", TextBytes(4000, 7)), "a.txt")}));
    ASSERT_FALSE(WriteCabinet(dir / "outer.cab", {Source(dir / "inner.cab", "inner.cab", cab::Compression::None)}));
    const cab::CabinetSearch nested = cab::FindCabinets((dir / "outer.cab").string());
    ASSERT_EQ(nested.cabinets.size(), 1u);
    EXPECT_EQ(nested.cabinets[0].offset, 0u);

    // A cabinet whose header straddles two windows of the search.
    const std::string inner = ReadAll(dir / "inner.cab");
    const std::string straddling = ProgramBytes(65536 - 10, 8) + inner;
    const cab::CabinetSearch across = cab::FindCabinets(dir.Write("across.exe", straddling).string());
    ASSERT_EQ(across.cabinets.size(), 1u);
    EXPECT_EQ(across.cabinets[0].offset, 65536u - 10);

    // A cabinet cut short is passed over; so are plain files.
    const std::string cut = ProgramBytes(100, 9) + inner.substr(0, inner.size() / 2);
    EXPECT_TRUE(cab::FindCabinets(dir.Write("cut.exe", cut).string()).cabinets.empty());
    const cab::CabinetSearch plain = cab::FindCabinets(dir.Write("plain", ProgramBytes(200000, 10)).string());
    EXPECT_FALSE(plain.error);
    EXPECT_TRUE(plain.cabinets.empty());
    EXPECT_TRUE(cab::FindCabinets(dir.Write("empty", "").string()).cabinets.empty());

    EXPECT_EQ(cab::FindCabinets((dir / "missing").string()).error.code, cab::kErrorFileNotFound);
    EXPECT_EQ(cab::FindCabinets(dir.path().string()).error.code, cab::kErrorAccessDenied);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(cab::FindCabinets((dir / "pipe").string()).error.code, cab::kErrorInvalidData);
}

TEST(CabReader, UnmarkedNamesFollowTheChosenCharset)
{
    const std::string path = DataDir() + "/windows1252_name.cab";
    const std::pair<cab::NameCharset, std::string> cases[] = {
        {cab::NameCharset::Auto, "café €.txt"},
        {cab::NameCharset::Windows1252, "café €.txt"},
        {cab::NameCharset::Utf8, "caf\uFFFD \uFFFD.txt"},
    };
    for (const auto& [charset, name] : cases) {
        cab::CabReader reader;
        ASSERT_FALSE(reader.Open(path, cab::ReadOptions{0, charset}));
        EXPECT_EQ(reader.Entries()[0].name, name);
        EXPECT_EQ(reader.Entries()[0].storedName, "caf\xE9 \x80.txt");
    }
}
