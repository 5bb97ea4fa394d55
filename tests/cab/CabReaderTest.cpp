// The cabinet reader: how it fails, what it leaves on disk, and the damaged
// and hostile cabinets in data/, one defect each.
#include "CabTestSupport.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace cabtest;
using testsupport::ReadAll;
using testsupport::TempDir;

namespace {

std::string Data(const std::string& name) { return DataDir() + "/" + name; }

} // namespace

TEST(CabReader, OpenReportsTheReason)
{
    TempDir dir;
    cab::CabReader reader;
    cab::CabError e = reader.Open((dir / "missing.cab").string());
    EXPECT_EQ(e.code, cab::kErrorFileNotFound);
    EXPECT_EQ(e.message, "cannot open cabinet '" + (dir / "missing.cab").string() + "': No such file or directory");
    EXPECT_EQ(reader.Open((dir / "no" / "x.cab").string()).code, cab::kErrorPathNotFound);
    EXPECT_EQ(reader.Open(dir.path().string()).code, cab::kErrorAccessDenied);
    EXPECT_EQ(reader.Open(dir.Write("empty.cab", "").string()).code, cab::kErrorInvalidData);
    e = reader.Open(Data("not_a_cabinet.cab"));
    EXPECT_EQ(e.code, cab::kErrorInvalidData);
    EXPECT_EQ(e.message, "'" + Data("not_a_cabinet.cab") + "' is not a cabinet file");
    // A FIFO would block a plain open until someone writes to it.
    ASSERT_EQ(::mkfifo((dir / "fifo.cab").c_str(), 0600), 0);
    e = reader.Open((dir / "fifo.cab").string());
    EXPECT_EQ(e.code, cab::kErrorInvalidData);
    EXPECT_EQ(e.message, "'" + (dir / "fifo.cab").string() + "' is a FIFO (named pipe), not a regular file");
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.Extract(0, (dir / "x").string()).code, cab::kErrorInvalidParameter);
}

TEST(CabReader, ExtractFailuresLeaveNothingBehindAndKeepExistingFiles)
{
    TempDir dir;
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open(Data("bad_block_checksum.cab")));
    auto keep = dir.Write("out/keep.txt", "already here");
    cab::CabError e = reader.Extract(0, keep.string());
    EXPECT_EQ(e.code, cab::kErrorInvalidData);
    EXPECT_EQ(e.message, "cannot extract 'ok.txt': a data block fails its checksum");
    EXPECT_EQ(ReadAll(keep), "already here");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1);

    ASSERT_FALSE(reader.Open(Data("entry_with_dotdot.cab")));
    EXPECT_EQ(reader.Extract(0, (dir / "nofolder" / "ok.txt").string()).code, cab::kErrorPathNotFound);
    e = reader.Extract(2, (dir / "x").string());
    EXPECT_EQ(e.code, cab::kErrorInvalidParameter);
    EXPECT_EQ(e.message, "the cabinet has no entry 2");
    std::filesystem::create_directory(dir / "a-folder");
    EXPECT_EQ(reader.Extract(0, (dir / "a-folder").string()).code, cab::kErrorAccessDenied);
}

TEST(CabReader, DamagedCabinetsGiveInvalidData)
{
    // Each refuses at open, or fails the entries its damage reaches.
    struct Case {
        const char* file;
        bool opens;
        std::vector<std::uint32_t> extractCodes;
    };
    const Case cases[] = {
        {"bad_signature.cab", false, {}},
        {"huge_file_count.cab", false, {}},
        {"folder_index_out_of_range.cab", false, {}},
        {"bad_block_checksum.cab", true, {13, 13}},
        {"damaged_mszip_stream.cab", true, {13, 13}},
        {"truncated_in_data.cab", true, {13, 13}},
        {"data_offset_beyond_eof.cab", true, {13, 13}},
        {"block_count_beyond_eof.cab", true, {13, 13}},
        {"file_beyond_folder_data.cab", true, {0, 13}},
        // Found by fuzzing: the decoder closed its input at a block marked as
        // continuing in a next cabinet, then read from it for the next entry.
        {"folder_reused_after_split_block.cab", true, {13, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        cab::CabReader reader;
        cab::CabError open = reader.Open(Data(c.file));
        if (!c.opens) {
            EXPECT_EQ(open.code, cab::kErrorInvalidData);
            continue;
        }
        ASSERT_FALSE(open) << open.message;
        ASSERT_EQ(reader.Entries().size(), c.extractCodes.size());
        for (std::size_t i = 0; i < c.extractCodes.size(); ++i) {
            auto target = dir / ("e" + std::to_string(i));
            EXPECT_EQ(reader.Extract(i, target.string()).code, c.extractCodes[i]) << "entry " << i;
            EXPECT_EQ(std::filesystem::exists(target), c.extractCodes[i] == 0);
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  std::count(c.extractCodes.begin(), c.extractCodes.end(), 0u));
    }
}

TEST(CabReader, HostileNamesNeverLeaveTheFolder)
{
    for (const char* file : {"entry_with_dotdot.cab", "entry_with_absolute_name.cab", "entry_with_drive_letter.cab"}) {
        SCOPED_TRACE(file);
        TempDir dir;
        auto out = dir / "out";
        std::filesystem::create_directory(out);
        cab::CabReader reader;
        ASSERT_FALSE(reader.Open(Data(file)));
        ASSERT_EQ(reader.Entries().size(), 2u);
        EXPECT_EQ(cab::SafeTargetPath(out.string(), reader.Entries()[0].name), (out / "ok.txt").string());
        EXPECT_EQ(cab::SafeTargetPath(out.string(), reader.Entries()[1].name), "");
    }

    // An overlong "/" is no separator: stored bytes are refused, the decoded
    // name shows replacement characters and stays one file in the folder.
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open(Data("entry_with_overlong_slash.cab")));
    const cab::CabEntry& e = reader.Entries()[1];
    EXPECT_EQ(e.storedName, "a\xC0\xAF..\xC0\xAF" "escape.txt");
    EXPECT_EQ(e.name, "a\uFFFD\uFFFD..\uFFFD\uFFFDescape.txt");
    EXPECT_EQ(cab::SafeTargetPath("/out", e.storedName), "");
    EXPECT_EQ(cab::SafeTargetPath("/out", e.name), "/out/a\uFFFD\uFFFD..\uFFFD\uFFFDescape.txt");
}

TEST(CabReader, NamesWithoutTheUtf8BitAreWindows1252)
{
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open(Data("windows1252_name.cab")));
    ASSERT_EQ(reader.Entries().size(), 1u);
    EXPECT_EQ(reader.Entries()[0].storedName, "caf\xE9 \x80.txt");
    EXPECT_EQ(reader.Entries()[0].name, "café €.txt");
}

TEST(CabReader, EntriesExtractInAnyOrderWithTheirStamps)
{
    TempDir dir;
    std::vector<std::string> contents = {TextBytes(70000, 1), RandomBytes(40000, 2), TextBytes(90000, 3)};
    std::vector<cab::WriterSource> sources;
    for (std::size_t i = 0; i < contents.size(); ++i)
        sources.push_back(Source(dir.Write("s" + std::to_string(i), contents[i]), "f" + std::to_string(i)));
    ASSERT_FALSE(WriteCabinet(dir / "out.cab", sources));

    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((dir / "out.cab").string()));
    for (std::size_t i : {2u, 0u, 1u, 2u}) {
        auto target = dir / ("x" + std::to_string(i));
        ASSERT_FALSE(reader.Extract(i, target.string()));
        EXPECT_TRUE(ReadAll(target) == contents[i]) << i;
    }
    // 0x5021 0x6000 is 2020-01-01 12:00:00 local time.
    std::tm tm {};
    tm.tm_year = 120;
    tm.tm_mday = 1;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    struct stat st {};
    ::stat((dir / "x0").c_str(), &st);
    EXPECT_EQ(st.st_mtime, std::mktime(&tm));
}
