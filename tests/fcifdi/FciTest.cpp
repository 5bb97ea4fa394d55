#include "CabinetFixture.h"
#include "TestPaths.h"

#include "platform/cab/CabReader.h"
#include "platform/fcifdi/Fci.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fcifditest::TextLike;

struct Report {
    std::int32_t status, info1, info2;
};

struct ProgressLog {
    std::vector<Report> reports;
};

std::int16_t Record(std::int32_t status, std::int32_t info1, std::int32_t info2, void* context)
{
    auto* log = static_cast<ProgressLog*>(context);
    log->reports.push_back({status, info1, info2});
    return 0;
}

void ExpectError(const fcifdi::ERF& erf, fcifdi::FCIERR code)
{
    EXPECT_EQ(erf.erfOper, code);
    EXPECT_NE(erf.fError, 0);
}

TEST(Fci, ReportsBlocksThenTheFolderCopyThenTheCabinetSize)
{
    testsupport::TempDir dir;
    auto source = dir.Write("in/a.txt", TextLike(200000));
    auto random = dir.Write("in/b.bin", std::string(70000, '\x7f'));
    fcifdi::ERF erf;
    ProgressLog log;
    std::int32_t handle = fcifdi::CreateCabFile((dir / "out.cab").c_str(), 0, &erf, 500000);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(fcifdi::AddFileToCab(handle, source.c_str(), "a.txt", 0, 1, Record, &log), 1);
    EXPECT_EQ(fcifdi::AddFileToCab(handle, random.c_str(), "sub/b.bin", -1, 0, Record, &log), 1);
    EXPECT_EQ(fcifdi::FlushCabinet(handle), 1);
    EXPECT_EQ(fcifdi::Commit(handle), 1);
    EXPECT_EQ(fcifdi::Commit(handle), 0); // the context is gone
    EXPECT_EQ(erf.fError, 0);

    std::int64_t bytesIn = 0;
    int phase = 0;
    Report lastCopy{};
    for (const auto& r : log.reports) {
        ASSERT_GE(r.status, phase) << "statuses arrive in order";
        phase = r.status;
        if (r.status == 0) {
            bytesIn += r.info1;
            EXPECT_GT(r.info1, 0);
            EXPECT_GT(r.info2, 0);
        } else if (r.status == 1) {
            EXPECT_LE(r.info1, r.info2);
            lastCopy = r;
        }
    }
    EXPECT_EQ(bytesIn, 270000);
    EXPECT_EQ(lastCopy.info1, lastCopy.info2);
    ASSERT_EQ(log.reports.back().status, 2);
    EXPECT_EQ(log.reports.back().info1, static_cast<std::int32_t>(fs::file_size(dir / "out.cab")));

    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((dir / "out.cab").string()));
    ASSERT_EQ(reader.Entries().size(), 2u);
    EXPECT_EQ(reader.Entries()[1].name, "sub\\b.bin"); // the slash became the cabinet's separator
    EXPECT_EQ(reader.Entries()[1].attributes & 0x40, 0x40);
    EXPECT_EQ(reader.Entries()[0].attributes & 0x40, 0);
}

TEST(Fci, RefusesWhatItCannotWriteWithTheMatchingCode)
{
    testsupport::TempDir dir;
    auto source = dir.Write("a.txt", "data");
    fcifdi::ERF erf;
    EXPECT_EQ(fcifdi::CreateCabFile((dir / "no/such/folder/out.cab").c_str(), 0, &erf, 500000), 0);
    ExpectError(erf, fcifdi::FCIERR_CAB_FILE);
    EXPECT_EQ(fcifdi::CreateCabFile(dir.path().c_str(), 0, &erf, 500000), 0); // a folder is no cabinet
    ExpectError(erf, fcifdi::FCIERR_CAB_FILE);
    EXPECT_EQ(fcifdi::CreateCabFile("", 0, &erf, 500000), 0);
    ExpectError(erf, fcifdi::FCIERR_CAB_FILE);

    std::int32_t handle = fcifdi::CreateCabFile((dir / "out.cab").c_str(), 0, &erf, 500000);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(erf.fError, 0) << "a new context starts with a clean record";
    EXPECT_EQ(fcifdi::AddFileToCab(handle, source.c_str(), "a.txt", 0, 3, nullptr), 0);
    ExpectError(erf, fcifdi::FCIERR_BAD_COMPR_TYPE);
    EXPECT_EQ(fcifdi::AddFileToCab(handle, (dir / "missing.txt").c_str(), "m.txt", 0, 1, nullptr), 0);
    ExpectError(erf, fcifdi::FCIERR_OPEN_SRC);
    EXPECT_EQ(fcifdi::AddFileToCab(handle, dir.path().c_str(), "d", 0, 1, nullptr), 0);
    ExpectError(erf, fcifdi::FCIERR_OPEN_SRC);
    EXPECT_EQ(fcifdi::AddFileToCab(handle, source.c_str(), std::string(300, 'n').c_str(), 0, 1, nullptr), 0);
    ExpectError(erf, fcifdi::FCIERR_CAB_FILE);
    fcifdi::Commit(handle);
    EXPECT_FALSE(fs::exists(dir / "out.cab"));

    EXPECT_EQ(fcifdi::AddFileToCab(987654, source.c_str(), "a.txt", 0, 1, nullptr), 0);
    EXPECT_EQ(fcifdi::FlushCabinet(987654), 0);
}

TEST(Fci, AVanishedFolderMeansNoTemporaryFile)
{
    testsupport::TempDir dir;
    auto source = dir.Write("a.txt", "data");
    fs::create_directory(dir / "gone");
    fcifdi::ERF erf;
    std::int32_t handle = fcifdi::CreateCabFile((dir / "gone/out.cab").c_str(), 0, &erf, 500000);
    ASSERT_NE(handle, 0);
    fs::remove(dir / "gone");
    EXPECT_EQ(fcifdi::AddFileToCab(handle, source.c_str(), "a.txt", 0, 1, nullptr), 0);
    ExpectError(erf, fcifdi::FCIERR_TEMP_FILE);
    fcifdi::Commit(handle);
}

TEST(Fci, FlushingWithoutFilesWritesNothingAndKeepsAnEarlierFile)
{
    testsupport::TempDir dir;
    dir.Write("out.cab", "keep me");
    fcifdi::ERF erf;
    std::int32_t handle = fcifdi::CreateCabFile((dir / "out.cab").c_str(), 0, &erf, 500000);
    EXPECT_EQ(fcifdi::FlushCabinet(handle), 1);
    EXPECT_EQ(erf.fError, 0);
    fcifdi::Commit(handle);
    EXPECT_EQ(testsupport::ReadAll(dir / "out.cab"), "keep me");
}

} // namespace
