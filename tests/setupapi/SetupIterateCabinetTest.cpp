// The cabinet walk: notifications in order, the three answers, and the error
// codes a failed walk leaves behind.
#include "platform/setupapi/SetupIterateCabinet.h"
#include "tests/setupapi/StoredCabinet.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace setupapi;
using testcab::StoredCabinet;
using testcab::StoredFile;
namespace fs = std::filesystem;

struct Seen {
    UINT notification;
    std::string name;  // NameInCabinet, or the cabinet file of CABINETINFO, or Target
    DWORD size = 0;    // FileSize, or Win32Error of FILEEXTRACTED
    WORD dosDate = 0;
    WORD dosTime = 0;
    WORD attributes = 0;
    std::string param2;
};

// A walk callback driven by a lambda that answers each file.
struct Walker {
    std::vector<Seen> seen;
    std::function<UINT(FILE_IN_CABINET_INFO_A&)> onFile = [](FILE_IN_CABINET_INFO_A&) { return FILEOP_SKIP; };
    std::function<UINT(const FILEPATHS_A&)> onExtracted = [](const FILEPATHS_A&) { return NO_ERROR; };
    UINT cabinetInfoAnswer = NO_ERROR;
    CABINET_INFO_A cabinet{};
    std::string cabinetPath, cabinetFile;

    static UINT Callback(void* context, UINT notification, UINT_PTR param1, UINT_PTR param2)
    {
        auto& self = *static_cast<Walker*>(context);
        switch (notification) {
        case SPFILENOTIFY_CABINETINFO: {
            const auto& info = *reinterpret_cast<const CABINET_INFO_A*>(param1);
            self.cabinet = info;
            self.cabinetPath = info.CabinetPath;
            self.cabinetFile = info.CabinetFile;
            self.seen.push_back({notification, info.CabinetFile, 0, 0, 0, 0, {}});
            return self.cabinetInfoAnswer;
        }
        case SPFILENOTIFY_FILEINCABINET: {
            auto& info = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
            self.seen.push_back({notification, info.NameInCabinet, info.FileSize, info.DosDate, info.DosTime,
                                 info.DosAttribs, reinterpret_cast<const char*>(param2)});
            return self.onFile(info);
        }
        case SPFILENOTIFY_FILEEXTRACTED: {
            const auto& paths = *reinterpret_cast<const FILEPATHS_A*>(param1);
            self.seen.push_back({notification, paths.Target, paths.Win32Error, 0, 0, 0, paths.Source});
            return self.onExtracted(paths);
        }
        default:
            ADD_FAILURE() << "unexpected notification " << notification;
            return NO_ERROR;
        }
    }

    int Run(const fs::path& cabinet)
    {
        SetLastError(0xDEAD);
        return SetupIterateCabinetA(cabinet.c_str(), 0, &Callback, this);
    }
};

void SetTarget(FILE_IN_CABINET_INFO_A& info, const fs::path& target)
{
    std::strcpy(info.FullTargetName, target.c_str());
}

class SetupIterateCabinetTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fs::path threeFiles = dir.Write("three.cab", StoredCabinet({
        {"first.txt", "one", 0x5A21, 0x6000, 0x20},
        {"sub\\second.bin", std::string(70000, 'x'), 0x4A6F, 0x0000, 0x01},
        {"THIRD.DVF", "", 0x5A21, 0x6021, 0x80},
    }));
};

TEST_F(SetupIterateCabinetTest, SkippingEveryFileReportsThemAllInTableOrderAndWritesNothing)
{
    Walker walker;
    ASSERT_EQ(walker.Run(threeFiles), 1);
    EXPECT_EQ(GetLastError(), NO_ERROR);

    ASSERT_EQ(walker.seen.size(), 4u);
    EXPECT_EQ(walker.seen[0].notification, SPFILENOTIFY_CABINETINFO);
    EXPECT_EQ(walker.cabinetFile, "three.cab");
    EXPECT_EQ(walker.cabinetPath, dir.path().string() + "/");
    EXPECT_STREQ(walker.cabinet.DiskName, "");
    EXPECT_EQ(walker.cabinet.SetId, 0x1234);
    EXPECT_EQ(walker.cabinet.CabinetNumber, 0);

    const Seen& second = walker.seen[2];
    EXPECT_EQ(second.notification, SPFILENOTIFY_FILEINCABINET);
    EXPECT_EQ(second.name, "sub\\second.bin");
    EXPECT_EQ(second.size, 70000u);
    EXPECT_EQ(second.dosDate, 0x4A6F);
    EXPECT_EQ(second.dosTime, 0);
    EXPECT_EQ(second.attributes, 0x01);
    EXPECT_EQ(second.param2, threeFiles.string());
    EXPECT_EQ(walker.seen[1].name, "first.txt");
    EXPECT_EQ(walker.seen[3].name, "THIRD.DVF");
    EXPECT_EQ(walker.seen[3].attributes, 0x80);

    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(SetupIterateCabinetTest, DoItWritesTheTargetAndReportsItBeforeTheNextFile)
{
    Walker walker;
    walker.onFile = [&](FILE_IN_CABINET_INFO_A& info) {
        EXPECT_EQ(info.Win32Error, NO_ERROR);
        EXPECT_EQ(info.FullTargetName[0], '\0');
        if (std::string(info.NameInCabinet) == "THIRD.DVF")
            return FILEOP_SKIP;
        SetTarget(info, dir / (std::string("out-") + std::to_string(walker.seen.size())));
        return FILEOP_DOIT;
    };
    ASSERT_EQ(walker.Run(threeFiles), 1);

    ASSERT_EQ(walker.seen.size(), 6u);
    EXPECT_EQ(walker.seen[2].notification, SPFILENOTIFY_FILEEXTRACTED);
    EXPECT_EQ(walker.seen[2].name, (dir / "out-2").string());
    EXPECT_EQ(walker.seen[2].size, NO_ERROR);
    EXPECT_EQ(walker.seen[2].param2, threeFiles.string());
    EXPECT_EQ(walker.seen[4].notification, SPFILENOTIFY_FILEEXTRACTED);
    EXPECT_EQ(walker.seen[5].name, "THIRD.DVF");

    EXPECT_EQ(testsupport::ReadAll(dir / "out-2"), "one");
    EXPECT_EQ(testsupport::ReadAll(dir / "out-4"), std::string(70000, 'x'));
}

TEST_F(SetupIterateCabinetTest, AbortEndsTheWalkAsSuccessWithoutErrorAndAsFailureWithOne)
{
    Walker quiet;
    quiet.onFile = [](FILE_IN_CABINET_INFO_A&) { return FILEOP_ABORT; };
    EXPECT_EQ(quiet.Run(threeFiles), 1);
    EXPECT_EQ(GetLastError(), NO_ERROR);
    EXPECT_EQ(quiet.seen.size(), 2u);

    Walker failing;
    failing.onFile = [](FILE_IN_CABINET_INFO_A& info) {
        info.Win32Error = 5;
        return FILEOP_ABORT;
    };
    EXPECT_EQ(failing.Run(threeFiles), 0);
    EXPECT_EQ(GetLastError(), 5u);
    EXPECT_EQ(failing.seen.size(), 2u);
}

TEST_F(SetupIterateCabinetTest, RefusingAnswersEndTheWalkWithTheirCode)
{
    Walker refusingCabinet;
    refusingCabinet.cabinetInfoAnswer = 32;
    EXPECT_EQ(refusingCabinet.Run(threeFiles), 0);
    EXPECT_EQ(GetLastError(), 32u);
    EXPECT_EQ(refusingCabinet.seen.size(), 1u);

    Walker refusingExtracted;
    refusingExtracted.onFile = [&](FILE_IN_CABINET_INFO_A& info) {
        SetTarget(info, dir / "out");
        return FILEOP_DOIT;
    };
    refusingExtracted.onExtracted = [](const FILEPATHS_A&) { return UINT{39}; };
    EXPECT_EQ(refusingExtracted.Run(threeFiles), 0);
    EXPECT_EQ(GetLastError(), 39u);
    EXPECT_EQ(refusingExtracted.seen.size(), 3u);

    // A target that fills the whole buffer has lost its end.
    Walker unterminated;
    unterminated.onFile = [](FILE_IN_CABINET_INFO_A& info) {
        std::memset(info.FullTargetName, 'a', sizeof info.FullTargetName);
        return FILEOP_DOIT;
    };
    EXPECT_EQ(unterminated.Run(threeFiles), 0);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(unterminated.seen.size(), 2u);

    Walker strange;
    strange.onFile = [](FILE_IN_CABINET_INFO_A&) { return UINT{7}; };
    EXPECT_EQ(strange.Run(threeFiles), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SetupIterateCabinetTest, ExtractionFailuresReachTheCallbackWhichMayGoOn)
{
    Walker walker;
    walker.onFile = [&](FILE_IN_CABINET_INFO_A& info) {
        if (std::string(info.NameInCabinet) == "first.txt")
            SetTarget(info, dir / "no-such-folder" / "first.txt");
        return FILEOP_DOIT; // THIRD.DVF and the others get an empty target
    };
    ASSERT_EQ(walker.Run(threeFiles), 1);
    ASSERT_EQ(walker.seen.size(), 7u);
    EXPECT_EQ(walker.seen[2].size, 3u); // path not found
    EXPECT_EQ(walker.seen[4].name, "");
    EXPECT_EQ(walker.seen[4].size, ERROR_INVALID_NAME);
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST_F(SetupIterateCabinetTest, CabinetsThatCannotBeOpenedGiveTheirErrorCode)
{
    Walker missing;
    EXPECT_EQ(missing.Run(dir / "missing.cab"), 0);
    EXPECT_EQ(GetLastError(), 2u);
    EXPECT_TRUE(missing.seen.empty());

    Walker notCabinet;
    EXPECT_EQ(notCabinet.Run(dir.Write("text_not_cabinet.cab", "just some text, no cabinet header here\n")), 0);
    EXPECT_EQ(GetLastError(), 13u);

    const std::string whole = StoredCabinet({{"a.txt", "abc"}});
    Walker truncated;
    EXPECT_EQ(truncated.Run(dir.Write("truncated_in_file_table.cab", whole.substr(0, 50))), 0);
    EXPECT_EQ(GetLastError(), 13u);

    EXPECT_EQ(SetupIterateCabinetA(nullptr, 0, &Walker::Callback, &missing), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetupIterateCabinetA(threeFiles.c_str(), 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetupIterateCabinetA(threeFiles.c_str(), 1, &Walker::Callback, &missing), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

} // namespace
