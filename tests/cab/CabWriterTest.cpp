// The cabinet writer: round trips through the reader, the block layout it
// promises, attributes and stamps, and what is left on disk after a failure.
#include "CabTestSupport.h"
#include "TestPaths.h"

#include "platform/cab/CabChecksum.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace cabtest;
using testsupport::ReadAll;
using testsupport::TempDir;

namespace {

// Reads every entry of `cabinet` back through our reader.
std::vector<std::pair<cab::CabEntry, std::string>> ReadBack(const std::filesystem::path& cabinet,
                                                            const TempDir& scratch)
{
    std::vector<std::pair<cab::CabEntry, std::string>> result;
    cab::CabReader reader;
    cab::CabError open = reader.Open(cabinet.string());
    EXPECT_FALSE(open) << open.message;
    for (std::size_t i = 0; i < reader.Entries().size(); ++i) {
        auto target = scratch / ("readback-" + std::to_string(i));
        cab::CabError e = reader.Extract(i, target.string());
        EXPECT_FALSE(e) << e.message;
        result.emplace_back(reader.Entries()[i], ReadAll(target));
    }
    return result;
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(CabWriter, RoundTripsSizesAroundBlockBoundariesInBothCompressions)
{
    const std::size_t sizes[] = {0, 1, 32767, 32768, 32769, 65535, 65536, 65537, 100000, 3 * 32768 + 5};
    for (cab::Compression compression : {cab::Compression::MsZip, cab::Compression::None}) {
        TempDir dir;
        std::vector<cab::WriterSource> sources;
        std::vector<std::string> contents;
        for (std::size_t i = 0; i < std::size(sizes); ++i) {
            contents.push_back(i % 2 ? RandomBytes(sizes[i], unsigned(i)) : TextBytes(sizes[i], unsigned(i)));
            auto path = dir.Write("src" + std::to_string(i), contents.back());
            sources.push_back(Source(path, "f" + std::to_string(i) + ".bin", compression));
        }
        ASSERT_FALSE(WriteCabinet(dir / "out.cab", sources));

        auto entries = ReadBack(dir / "out.cab", dir);
        ASSERT_EQ(entries.size(), contents.size());
        for (std::size_t i = 0; i < contents.size(); ++i) {
            EXPECT_EQ(entries[i].first.name, "f" + std::to_string(i) + ".bin");
            EXPECT_EQ(entries[i].first.size, contents[i].size());
            EXPECT_TRUE(entries[i].second == contents[i]) << "entry " << i;
        }

        // One folder whose blocks run across the files: all full but the last.
        auto folders = ReadLayout(ReadAll(dir / "out.cab"));
        ASSERT_EQ(folders.size(), 1u);
        std::uint64_t total = 0;
        const auto& blocks = folders[0].blocks;
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            total += blocks[b].uncompressedSize;
            if (b + 1 < blocks.size()) {
                EXPECT_EQ(blocks[b].uncompressedSize, 32768u) << "block " << b;
            }
            EXPECT_EQ(blocks[b].checksum, cab::DataBlockChecksum(blocks[b].payload.data(), blocks[b].compressedSize,
                                                                 blocks[b].uncompressedSize));
            EXPECT_NE(blocks[b].checksum, 0u);
            if (compression == cab::Compression::MsZip) {
                EXPECT_EQ(blocks[b].payload.substr(0, 2), "CK");
            }
        }
        std::uint64_t expected = 0;
        for (auto& c : contents)
            expected += c.size();
        EXPECT_EQ(total, expected);
    }
}

TEST(CabWriter, IncompressibleBlocksFallBackToStoredDeflate)
{
    TempDir dir;
    std::string random = RandomBytes(32768, 7);
    auto path = dir.Write("random", random);
    ASSERT_FALSE(WriteCabinet(dir / "out.cab", {Source(path, "random")}));
    auto folders = ReadLayout(ReadAll(dir / "out.cab"));
    ASSERT_EQ(folders[0].blocks.size(), 1u);
    const Block& block = folders[0].blocks[0];
    EXPECT_EQ(block.compressedSize, 2u + 5u + 32768u);
    EXPECT_EQ(block.payload.substr(0, 7), std::string("CK\x01\x00\x80\xff\x7f", 7));
    EXPECT_TRUE(block.payload.substr(7) == random);
}

TEST(CabWriter, CompressedBlocksReferToThePreviousBlock)
{
    // The second block opens with the second half of the first: only with the
    // first block as history does it shrink to about half.
    TempDir dir;
    std::string first = RandomBytes(32768, 3);
    std::string bytes = first + first.substr(16384) + RandomBytes(16384, 4);
    auto path = dir.Write("repeats", bytes);
    ASSERT_FALSE(WriteCabinet(dir / "out.cab", {Source(path, "repeats")}));
    auto folders = ReadLayout(ReadAll(dir / "out.cab"));
    ASSERT_EQ(folders[0].blocks.size(), 2u);
    EXPECT_EQ(folders[0].blocks[0].compressedSize, 2u + 5u + 32768u);
    EXPECT_LT(folders[0].blocks[1].compressedSize, 16384u + 600u);
    EXPECT_TRUE(ReadBack(dir / "out.cab", dir)[0].second == bytes);
}

TEST(CabWriter, ACompressionChangeStartsANewFolder)
{
    TempDir dir;
    auto a = dir.Write("a", TextBytes(40000, 1));
    auto b = dir.Write("b", TextBytes(5000, 2));
    ASSERT_FALSE(WriteCabinet(dir / "out.cab", {Source(a, "a"), Source(b, "b"), Source(a, "c", cab::Compression::None),
                                                Source(b, "d")}));
    auto entries = ReadBack(dir / "out.cab", dir);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].first.folderIndex, 0);
    EXPECT_EQ(entries[1].first.folderIndex, 0);
    EXPECT_EQ(entries[1].first.folderOffset, 40000u);
    EXPECT_EQ(entries[2].first.folderIndex, 1);
    EXPECT_EQ(entries[3].first.folderIndex, 2);
    EXPECT_EQ(entries[3].first.folderOffset, 0u);
    auto folders = ReadLayout(ReadAll(dir / "out.cab"));
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0].compression, 1);
    EXPECT_EQ(folders[1].compression, 0);
    EXPECT_EQ(folders[2].compression, 1);
    EXPECT_TRUE(entries[2].second == TextBytes(40000, 1));
}

TEST(CabWriter, ManyFilesAndNoFiles)
{
    TempDir dir;
    std::vector<cab::WriterSource> sources;
    for (int i = 0; i < 1500; ++i)
        sources.push_back(Source(dir.Write("s/" + std::to_string(i), TextBytes(std::size_t(i % 300), unsigned(i))),
                                 "dir\\file" + std::to_string(i) + ".txt"));
    ASSERT_FALSE(WriteCabinet(dir / "many.cab", sources));
    auto entries = ReadBack(dir / "many.cab", dir);
    ASSERT_EQ(entries.size(), 1500u);
    for (int i = 0; i < 1500; ++i) {
        EXPECT_EQ(entries[std::size_t(i)].first.name, "dir\\file" + std::to_string(i) + ".txt");
        EXPECT_TRUE(entries[std::size_t(i)].second == TextBytes(std::size_t(i % 300), unsigned(i)));
    }

    // A cabinet with nothing in it is still a cabinet, and reads as empty.
    ASSERT_FALSE(WriteCabinet(dir / "none.cab", {}));
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((dir / "none.cab").string()));
    EXPECT_TRUE(reader.Entries().empty());
    EXPECT_EQ(reader.Info().folderCount, 0);
    EXPECT_EQ(reader.Info().cabinetSize, 36u);
}

TEST(CabWriter, NamesAttributesAndStamps)
{
    TempDir dir;
    auto file = dir.Write("plain.txt", "x");
    auto hidden = dir.Write(".hidden", "y");
    ::chmod(file.c_str(), 0444);
    // 2021-06-15 13:45:30 local time.
    std::tm tm {};
    tm.tm_year = 121;
    tm.tm_mon = 5;
    tm.tm_mday = 15;
    tm.tm_hour = 13;
    tm.tm_min = 45;
    tm.tm_sec = 30;
    tm.tm_isdst = -1;
    struct timespec times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);

    cab::WriterSource fromFile;
    fromFile.sourcePath = file.string();
    fromFile.nameInCab = "plain.txt";
    cab::WriterSource fromHidden = fromFile;
    fromHidden.sourcePath = hidden.string();
    fromHidden.nameInCab = "Ünïcödé\\日本.txt";
    cab::WriterSource given = Source(file, "given.exe");
    given.attributes = 0x07;
    given.runAfterExtract = true;
    given.dosDate = 0x1234;
    given.dosTime = 0x5678;
    ASSERT_FALSE(WriteCabinet(dir / "out.cab", {fromFile, fromHidden, given}));

    auto entries = ReadBack(dir / "out.cab", dir);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].first.attributes, 0x21);  // archive, read-only
    EXPECT_EQ(entries[0].first.dosDate, (41 << 9) | (6 << 5) | 15);
    EXPECT_EQ(entries[0].first.dosTime, (13 << 11) | (45 << 5) | 15);
    EXPECT_EQ(entries[1].first.name, "Ünïcödé\\日本.txt");
    EXPECT_EQ(entries[1].first.storedName, "Ünïcödé\\日本.txt");
    EXPECT_EQ(entries[1].first.attributes, 0xA2); // UTF-8 name, archive, hidden
    EXPECT_EQ(entries[2].first.attributes, 0x47);
    EXPECT_EQ(entries[2].first.dosDate, 0x1234);
    EXPECT_EQ(entries[2].first.dosTime, 0x5678);
}

TEST(CabWriter, TheBytesDoNotDependOnTheThreadCount)
{
    TempDir dir;
    std::vector<cab::WriterSource> sources;
    for (int i = 0; i < 6; ++i) {
        std::string bytes = i % 3 == 0 ? RandomBytes(70000 + i, unsigned(i)) : TextBytes(150000 + 999 * i, unsigned(i));
        sources.push_back(Source(dir.Write("s" + std::to_string(i), bytes), "f" + std::to_string(i),
                                 i == 4 ? cab::Compression::None : cab::Compression::MsZip));
    }
    ASSERT_FALSE(WriteCabinet(dir / "one.cab", sources, 1));
    const std::string single = ReadAll(dir / "one.cab");
    for (unsigned threads : {2u, 3u, 8u}) {
        ASSERT_FALSE(WriteCabinet(dir / "many.cab", sources, threads));
        EXPECT_TRUE(ReadAll(dir / "many.cab") == single) << threads << " threads";
    }
}

TEST(CabWriter, RefusesWhatACabinetCannotHold)
{
    TempDir dir;
    auto file = dir.Write("f", "data");
    cab::CabWriter writer((dir / "out.cab").string());

    cab::CabError e = writer.AddFile(Source(dir / "missing.txt", "m"));
    EXPECT_EQ(e.code, cab::kErrorFileNotFound);
    EXPECT_EQ(e.message, "cannot open '" + (dir / "missing.txt").string() + "': No such file or directory");
    EXPECT_EQ(writer.AddFile(Source(dir / "nofolder" / "x", "m")).code, cab::kErrorPathNotFound);
    EXPECT_EQ(writer.AddFile(Source(dir.path(), "m")).code, cab::kErrorAccessDenied);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    e = writer.AddFile(Source(dir / "fifo", "m"));
    EXPECT_EQ(e.code, cab::kErrorAccessDenied);
    EXPECT_EQ(e.message, "'" + (dir / "fifo").string() + "' is a FIFO (named pipe), not a regular file");

    e = writer.AddFile(Source(file, ""));
    EXPECT_EQ(e.code, cab::kErrorInvalidName);
    EXPECT_EQ(e.message, "an entry needs a name");
    EXPECT_EQ(writer.AddFile(Source(file, "bad\xC0\xAFname")).code, cab::kErrorInvalidName);
    EXPECT_EQ(writer.AddFile(Source(file, std::string("nul\0name", 8))).code, cab::kErrorInvalidName);
    EXPECT_EQ(writer.AddFile(Source(file, std::string(256, 'n'))).code, cab::kErrorNameTooLong);
    EXPECT_FALSE(writer.AddFile(Source(file, std::string(255, 'n'))));

    // The refusals above did not spoil the cabinet.
    ASSERT_FALSE(writer.Commit());
    auto entries = ReadBack(dir / "out.cab", dir);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first.name, std::string(255, 'n'));

    e = writer.AddFile(Source(file, "late"));
    EXPECT_EQ(e.code, cab::kErrorInvalidFunction);
    EXPECT_EQ(e.message, "this cabinet has already been written or given up");
}

TEST(CabWriter, AMissingTargetFolderIsReportedAtTheFirstFile)
{
    TempDir dir;
    auto file = dir.Write("f", "data");
    cab::CabWriter writer((dir / "no" / "out.cab").string());
    EXPECT_EQ(writer.AddFile(Source(file, "f")).code, cab::kErrorPathNotFound);
}

TEST(CabWriter, CancellingOrFailingLeavesTheOldCabinetAndNoTemporaries)
{
    TempDir dir;
    auto big = dir.Write("src/big", TextBytes(300000, 9));
    const auto target = dir / "out" / "package.cab";
    std::filesystem::create_directories(target.parent_path());
    {
        std::ofstream(target) << "the old cabinet";
    }

    // Cancelled while compressing.
    {
        cab::CabWriter writer(target.string(), 2);
        int calls = 0;
        writer.SetProgress([&](const cab::WriteProgress& p) {
            EXPECT_EQ(p.kind, cab::WriteProgress::BlockCompressed);
            return ++calls < 3;
        });
        cab::CabError e = writer.AddFile(Source(big, "big"));
        EXPECT_EQ(e.code, cab::kErrorCancelled);
        EXPECT_EQ(e.message, "the write was cancelled");
        EXPECT_EQ(writer.Commit().code, cab::kErrorCancelled);
    }
    EXPECT_EQ(ReadAll(target), "the old cabinet");
    EXPECT_EQ(FolderContents(target.parent_path()), std::vector<std::string>{"package.cab"});

    // Cancelled while the finished blocks are copied into the cabinet.
    {
        cab::CabWriter writer(target.string(), 1);
        bool copying = false;
        writer.SetProgress([&](const cab::WriteProgress& p) {
            copying = copying || p.kind == cab::WriteProgress::FolderWritten;
            return !copying;
        });
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
        EXPECT_EQ(writer.Commit().code, cab::kErrorCancelled);
    }
    EXPECT_EQ(ReadAll(target), "the old cabinet");
    EXPECT_EQ(FolderContents(target.parent_path()), std::vector<std::string>{"package.cab"});

    // Given up, or dropped without a commit.
    {
        cab::CabWriter writer(target.string());
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
        writer.Abort();
        EXPECT_EQ(writer.Commit().code, cab::kErrorInvalidFunction);
    }
    {
        cab::CabWriter writer(target.string());
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
    }
    EXPECT_EQ(ReadAll(target), "the old cabinet");
    EXPECT_EQ(FolderContents(target.parent_path()), std::vector<std::string>{"package.cab"});

    // The rename itself fails: the target is a folder.
    std::filesystem::create_directory(target.parent_path() / "folder.cab");
    {
        cab::CabWriter writer((target.parent_path() / "folder.cab").string());
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
        EXPECT_EQ(writer.Commit().code, cab::kErrorAccessDenied);
    }
    EXPECT_EQ(FolderContents(target.parent_path()), (std::vector<std::string>{"folder.cab", "package.cab"}));

    // And a successful write replaces the old cabinet, keeping its permissions.
    ::chmod(target.c_str(), 0640);
    {
        cab::CabWriter writer(target.string());
        std::uint64_t finished = 0;
        writer.SetProgress([&](const cab::WriteProgress& p) {
            if (p.kind == cab::WriteProgress::CabinetWritten)
                finished = p.first;
            return true;
        });
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
        ASSERT_FALSE(writer.Commit());
        EXPECT_EQ(finished, std::filesystem::file_size(target));
    }
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(ReadBack(target, dir)[0].second == TextBytes(300000, 9));
}

TEST(CabWriter, ProgressCountsEveryByte)
{
    TempDir dir;
    auto a = dir.Write("a", TextBytes(100000, 1));
    auto b = dir.Write("b", RandomBytes(50000, 2));
    cab::CabWriter writer((dir / "out.cab").string());
    std::uint64_t raw = 0, packed = 0;
    cab::WriteProgress last;
    writer.SetProgress([&](const cab::WriteProgress& p) {
        if (p.kind == cab::WriteProgress::BlockCompressed) {
            raw += p.first;
            packed += p.second;
        }
        last = p;
        return true;
    });
    ASSERT_FALSE(writer.AddFile(Source(a, "a")));
    ASSERT_FALSE(writer.AddFile(Source(b, "b")));
    ASSERT_FALSE(writer.Commit());
    EXPECT_EQ(raw, 150000u);
    EXPECT_EQ(last.kind, cab::WriteProgress::CabinetWritten);
    EXPECT_EQ(last.totalRead, 150000u);
    EXPECT_EQ(last.totalWritten, packed);
}

TEST(CabWriter, AFolderEndsBeforeItsBlockCountOverflows)
{
    // The same boundary as the format's 65535 blocks, at 12 blocks a folder.
    TempDir dir;
    constexpr std::uint32_t kBlocks = 12;
    const std::uint64_t fullFolder = kBlocks * 32768ull;
    auto big = dir.Write("big", TextBytes(fullFolder - 100, 7));
    auto small = dir.Write("small", TextBytes(200, 1));
    {
        cab::CabWriter writer((dir / "out.cab").string(), 2);
        writer.SetFolderBlockLimit(kBlocks);
        ASSERT_FALSE(writer.AddFile(Source(big, "big")));
        ASSERT_FALSE(writer.AddFile(Source(small, "small")));
        ASSERT_FALSE(writer.Commit());
    }

    auto folders = ReadLayout(ReadAll(dir / "out.cab"));
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].blocks.size(), kBlocks);
    EXPECT_EQ(folders[0].blocks.back().uncompressedSize, 32768u - 100u);
    EXPECT_EQ(folders[1].blocks.size(), 1u);

    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((dir / "out.cab").string()));
    ASSERT_EQ(reader.Entries().size(), 2u);
    EXPECT_EQ(reader.Entries()[0].size, fullFolder - 100);
    EXPECT_EQ(reader.Entries()[1].folderIndex, 1);
    ASSERT_FALSE(reader.Extract(0, (dir / "big-back").string()));
    EXPECT_TRUE(ReadAll(dir / "big-back") == ReadAll(big));
    ASSERT_FALSE(reader.Extract(1, (dir / "small-back").string()));
    EXPECT_EQ(ReadAll(dir / "small-back"), TextBytes(200, 1));

    // One file that no folder can hold is refused before anything is read,
    // at the format's own limit as at a lower one.
    std::filesystem::resize_file(big, fullFolder + 1);
    cab::CabWriter limited((dir / "too-big.cab").string());
    limited.SetFolderBlockLimit(kBlocks);
    cab::CabError e = limited.AddFile(Source(big, "big"));
    EXPECT_EQ(e.code, cab::kErrorFileTooLarge);
    EXPECT_EQ(e.message, "'" + big.string() + "' is larger than a cabinet can hold (393216 bytes)");
    std::filesystem::resize_file(big, 65535ull * 32768ull + 1); // sparse: nothing on disk
    cab::CabWriter full((dir / "too-big.cab").string());
    e = full.AddFile(Source(big, "big"));
    EXPECT_EQ(e.code, cab::kErrorFileTooLarge);
    EXPECT_EQ(e.message, "'" + big.string() + "' is larger than a cabinet can hold (2 GiB less 32 KiB)");
}
