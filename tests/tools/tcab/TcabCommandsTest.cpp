// tcab's commands called in-process: cancelling through the events, the
// progress line and the listing format.
#include "TestPaths.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/Listing.h"
#include "tools/tcab/ProgressLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;

class TcabCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(dir_.path());
        dir_.Write("tree/a.txt", std::string(40000, 'a'));
        dir_.Write("tree/sub/b.txt", std::string(40000, 'b'));
    }
    void TearDown() override
    {
        tcab::SetCancelRequested(false);
        fs::current_path(previous_);
    }

    int Run(const std::vector<std::string>& args)
    {
        out_.str("");
        err_.str("");
        return tcab::Run(args, tcab::Console{out_, err_, false});
    }

    testsupport::TempDir dir_;
    fs::path previous_;
    std::ostringstream out_, err_;
};

TEST_F(TcabCommands, ACancelBeforeTheFirstFileLeavesNoCabinet)
{
    dir_.Write("keep.cab", "an older cabinet");
    tcab::SetCancelRequested(true);
    EXPECT_EQ(Run({"create", "keep.cab", "tree"}), tcab::kExitCancelled);
    EXPECT_EQ(err_.str(), "tcab: cancelled; no cabinet was written\n");
    EXPECT_EQ(testsupport::ReadAll(dir_ / "keep.cab"), "an older cabinet");
}

TEST_F(TcabCommands, ACancelDuringExtractionSkipsWhatIsLeft)
{
    ASSERT_EQ(Run({"create", "t.cab", "tree"}), tcab::kExitOk) << err_.str();
    tcab::SetCancelRequested(true);
    EXPECT_EQ(Run({"extract", "t.cab", "out"}), tcab::kExitCancelled);
    EXPECT_EQ(err_.str(), "tcab: cancelled; 0 of 2 files were extracted, and no partly written file was kept\n");
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(TcabCommands, PlainProgressNamesEachFileAndTheSummaryGoesToStandardOutput)
{
    ASSERT_EQ(Run({"create", "-v", "t.cab", "tree"}), tcab::kExitOk);
    EXPECT_NE(err_.str().find("adding tree/sub/b.txt\n"), std::string::npos) << err_.str();
    EXPECT_EQ(out_.str().rfind("stored 2 files, 80000 bytes, in t.cab (", 0), 0u) << out_.str();
    ASSERT_EQ(Run({"--verbose", "extract", "t.cab", "out", "tree\\sub\\b.txt"}), tcab::kExitOk);
    EXPECT_EQ(err_.str(), "extracting tree/sub/b.txt\n");
    EXPECT_EQ(out_.str(), "extracted 1 file to out\n");
}

TEST(ProgressLine, OnATerminalOneLineIsRedrawnInPlaceAndClearedAtTheEnd)
{
    std::ostringstream err;
    {
        tcab::ProgressLine line(err, true);
        line.File("adding", "a.txt");
        line.Update("compressing", 50, 100);
        line.Update("compressing", 50, 100); // nothing changed: nothing drawn
        line.Message("tcab: a note");
    }
    const std::string text = err.str();
    EXPECT_NE(text.find("\r\033[K[############............]  50% compressing a.txt"), std::string::npos) << text;
    EXPECT_EQ(text.find("50%"), text.rfind("50%"));
    EXPECT_NE(text.find("\r\033[Ktcab: a note\n"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "only the message ends a line";
}

TEST(Listing, ShowsDateTimeSizeAttributesAndName)
{
    EXPECT_EQ(tcab::DosDateTimeText(((2024 - 1980) << 9) | (5 << 5) | 1, (13 << 11) | (45 << 5) | 5),
              "2024-05-01 13:45:10");
    EXPECT_EQ(tcab::AttributeText(0x61), "R--AX");
    EXPECT_EQ(tcab::AttributeText(0x06), "-HS--");
    tessaly::clsCompressedFile file;
    file.FileCabName("sub\\a.txt");
    file.FileSize(-1); // sizes above 2 GiB arrive as negative 32-bit values
    file.FileDate(((2001 - 1980) << 9) | (2 << 5) | 3);
    file.FileTime(0);
    file.Attribs(0x20);
    EXPECT_EQ(tcab::ListingLine(file), "2001-02-03 00:00:00 4294967295  ---A-  sub\\a.txt");
}

} // namespace
