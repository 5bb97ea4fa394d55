#include "CabinetFixture.h"
#include "TestPaths.h"

#include "platform/fcifdi/Fdi.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fcifditest::TextLike;

struct Notice {
    std::int32_t kind;
    std::int32_t cb;
    std::string psz1;
    std::uint16_t date, time, attribs;
};

struct Walk {
    std::vector<Notice> notices;
    std::function<std::int32_t(const Notice&)> answer = [](const Notice&) { return 0; };
};

std::int32_t Notify(std::int32_t kind, fcifdi::FdiNotifyRecord* record, void* context)
{
    auto* walk = static_cast<Walk*>(context);
    walk->notices.push_back({kind, record->cb, record->psz1, record->date, record->time, record->attribs});
    return walk->answer(walk->notices.back());
}

// Runs IsCabFile and ExtractCab as a caller does; the record keeps the outcome.
bool ExtractAll(const fs::path& cabinet, const fs::path& destination, Walk& walk, fcifdi::ERF& erf)
{
    std::int32_t handle = fcifdi::OpenCabFile(&erf);
    bool ok = fcifdi::IsCabFile(handle, cabinet.c_str()) != 0
        && fcifdi::ExtractCab(handle, cabinet.c_str(), Notify, destination.c_str(), &walk) != 0;
    EXPECT_EQ(fcifdi::Release(handle), 1);
    return ok;
}

class Fdi : public ::testing::Test {
protected:
    void SetUp() override
    {
        a_ = dir_.Write("src/a.txt", TextLike(50000, 1));
        b_ = dir_.Write("src/b.txt", TextLike(90000, 2));
        fcifdi::ERF erf;
        ASSERT_TRUE(fcifditest::WriteCabinet(cabinet_, {{a_.string(), "a.txt"}, {b_.string(), "sub\\b.txt", true}}, erf));
    }

    std::string Bytes() { return testsupport::ReadAll(cabinet_); }
    void Rewrite(const std::string& bytes)
    {
        std::ofstream(cabinet_, std::ios::binary | std::ios::trunc) << bytes;
    }

    testsupport::TempDir dir_;
    fs::path a_, b_;
    fs::path cabinet_ = dir_ / "test.cab";
};

TEST_F(Fdi, OffersEveryEntryAndWritesOnlyThoseAnsweredOne)
{
    Walk walk;
    walk.answer = [](const Notice& n) { return n.kind == fcifdi::kNotifyCopyFile && n.psz1 == "sub\\b.txt" ? 1 : 0; };
    fcifdi::ERF erf;
    ASSERT_TRUE(ExtractAll(cabinet_, dir_ / "out", walk, erf));
    EXPECT_EQ(erf.fError, 0);

    // Progress comes while b.txt is written, rising to its size.
    std::vector<std::int32_t> kinds;
    std::vector<std::int32_t> written;
    for (const auto& n : walk.notices) {
        if (n.kind == fcifdi::kNotifyWriteProgress)
            written.push_back(n.cb);
        else
            kinds.push_back(n.kind);
    }
    walk.notices.erase(std::remove_if(walk.notices.begin(), walk.notices.end(),
                                      [](const Notice& n) { return n.kind == fcifdi::kNotifyWriteProgress; }),
                       walk.notices.end());
    EXPECT_EQ(kinds, (std::vector<std::int32_t>{fcifdi::kNotifyCabinetInfo, fcifdi::kNotifyCopyFile,
                                                 fcifdi::kNotifyCopyFile, fcifdi::kNotifyCloseFileInfo}));
    ASSERT_GE(written.size(), 2u);
    EXPECT_TRUE(std::is_sorted(written.begin(), written.end()));
    EXPECT_EQ(written.back(), 90000);
    EXPECT_EQ(walk.notices[1].psz1, "a.txt");
    EXPECT_EQ(walk.notices[1].cb, 50000);
    EXPECT_EQ(walk.notices[2].cb, 90000);
    EXPECT_NE(walk.notices[2].date, 0);

    const Notice& closed = walk.notices[3];
    EXPECT_EQ(closed.cb, 1) << "b.txt was stored to be run after extraction";
    EXPECT_EQ(fs::path(closed.psz1), fs::absolute(dir_ / "out/sub/b.txt").lexically_normal());
    EXPECT_EQ(closed.date, walk.notices[2].date);
    EXPECT_EQ(testsupport::ReadAll(dir_ / "out/sub/b.txt"), testsupport::ReadAll(b_));
    EXPECT_FALSE(fs::exists(dir_ / "out/a.txt"));
}

TEST_F(Fdi, AStopAnswerEndsTheWalkWithUserAbort)
{
    Walk walk;
    walk.answer = [](const Notice& n) { return n.kind == fcifdi::kNotifyCopyFile ? -1 : 0; };
    fcifdi::ERF erf;
    EXPECT_FALSE(ExtractAll(cabinet_, dir_ / "out", walk, erf));
    EXPECT_EQ(erf.erfOper, fcifdi::FDIERROR_USER_ABORT);
    EXPECT_EQ(walk.notices.size(), 2u);
}

TEST_F(Fdi, TellsMissingFilesNonCabinetsUnknownVersionsAndDamagedHeadersApart)
{
    auto check = [&](const fs::path& path, fcifdi::FDIERROR code) {
        fcifdi::ERF erf;
        std::int32_t handle = fcifdi::OpenCabFile(&erf);
        EXPECT_EQ(fcifdi::IsCabFile(handle, path.c_str()), 0) << path;
        EXPECT_EQ(erf.erfOper, code) << path;
        EXPECT_NE(erf.fError, 0);
        fcifdi::Release(handle);
    };
    check(dir_ / "missing.cab", fcifdi::FDIERROR_CABINET_NOT_FOUND);
    check(dir_.path(), fcifdi::FDIERROR_CABINET_NOT_FOUND);
    check(dir_.Write("text.cab", "just some text, not a cabinet"), fcifdi::FDIERROR_NOT_A_CABINET);
    check(dir_.Write("empty.cab", ""), fcifdi::FDIERROR_NOT_A_CABINET);

    std::string bytes = Bytes();
    check(dir_.Write("short_header.cab", bytes.substr(0, 20)), fcifdi::FDIERROR_CORRUPT_CABINET);
    std::string version = bytes;
    version[0x19] = 2;
    check(dir_.Write("version_2.cab", version), fcifdi::FDIERROR_UNKNOWN_CABINET_VERSION);
    std::string cut = bytes.substr(0, 60); // header and folder, file table cut off
    check(dir_.Write("cut_in_file_table.cab", cut), fcifdi::FDIERROR_CORRUPT_CABINET);
}

TEST_F(Fdi, EntryFailuresNameTheirCause)
{
    Walk all;
    all.answer = [](const Notice& n) { return n.kind == fcifdi::kNotifyCopyFile ? 1 : 0; };

    // Compression type 5 in the folder table.
    std::string bytes = Bytes();
    std::string badType = bytes;
    badType[0x24 + 6] = 5;
    Rewrite(badType);
    fcifdi::ERF erf;
    EXPECT_FALSE(ExtractAll(cabinet_, dir_ / "out1", all, erf));
    EXPECT_EQ(erf.erfOper, fcifdi::FDIERROR_BAD_COMPR_TYPE);

    // A flipped byte deep in the compressed data.
    std::string damaged = bytes;
    damaged[damaged.size() - 100] ^= 0x55;
    Rewrite(damaged);
    erf = {};
    EXPECT_FALSE(ExtractAll(cabinet_, dir_ / "out2", all, erf));
    EXPECT_EQ(erf.erfOper, fcifdi::FDIERROR_MDI_FAIL);

    // A destination below a plain file cannot be made.
    Rewrite(bytes);
    auto blocker = dir_.Write("blocker", "a file where a folder should go");
    erf = {};
    EXPECT_FALSE(ExtractAll(cabinet_, blocker / "out", all, erf));
    EXPECT_EQ(erf.erfOper, fcifdi::FDIERROR_TARGET_FILE);
}

TEST(FdiHostile, NamesThatLeaveTheDestinationAreNeverWrittenEvenWhenAnsweredOne)
{
    auto corpus = testsupport::CorpusDir("cab/cabextract-cabs");
    if (!corpus || !fs::exists(*corpus / "dirwalk-vulns.cab"))
        GTEST_SKIP() << "corpus not present";
    testsupport::TempDir dir;
    fs::create_directories(dir / "deep/down/out");
    Walk walk;
    walk.answer = [](const Notice& n) { return n.kind == fcifdi::kNotifyCopyFile ? 1 : 0; };
    fcifdi::ERF erf;
    EXPECT_TRUE(ExtractAll(*corpus / "dirwalk-vulns.cab", dir / "deep/down/out", walk, erf));
    int offered = 0, closed = 0;
    for (const auto& n : walk.notices) {
        offered += n.kind == fcifdi::kNotifyCopyFile;
        if (n.kind == fcifdi::kNotifyCloseFileInfo) {
            ++closed;
            const std::string out = fs::absolute(dir / "deep/down/out").lexically_normal().string() + "/";
            EXPECT_EQ(n.psz1.compare(0, out.size(), out), 0) << n.psz1;
        }
    }
    EXPECT_GT(offered, 20);
    EXPECT_LT(closed, offered);
    // Nothing appeared beside or above the destination.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        const auto relative = fs::relative(entry.path(), dir.path()).string();
        EXPECT_TRUE(relative == "deep" || relative == "deep/down" || relative.rfind("deep/down/out", 0) == 0)
            << relative;
    }
    EXPECT_FALSE(fs::exists("/absolute/path"));
}

TEST(FdiCorpus, EveryCorpusCabinetIsReadOrRefusedWithoutHarm)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "corpus not present";
    testsupport::TempDir dir;
    int read = 0, refused = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*corpus)) {
        if (entry.path().extension() != ".cab" || entry.path().filename() == "large-files-cab.cab")
            continue;
        const fs::path out = dir / entry.path().filename().string();
        Walk walk;
        walk.answer = [](const Notice& n) { return n.kind == fcifdi::kNotifyCopyFile ? 1 : 0; };
        fcifdi::ERF erf;
        if (ExtractAll(entry.path(), out, walk, erf)) {
            ++read;
            EXPECT_EQ(erf.fError, 0);
        } else {
            ++refused;
            EXPECT_GE(erf.erfOper, fcifdi::FDIERROR_CABINET_NOT_FOUND) << entry.path();
            EXPECT_LE(erf.erfOper, fcifdi::FDIERROR_USER_ABORT) << entry.path();
        }
    }
    EXPECT_GT(read, 10);
    EXPECT_GT(refused, 10);
}

} // namespace
