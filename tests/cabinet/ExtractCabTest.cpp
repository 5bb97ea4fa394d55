#include "CabinetTestSupport.h"

#include <fstream>

namespace {

using namespace tessaly;
namespace fs = std::filesystem;

class ExtractCab : public cabtest::CabinetTest {
protected:
    void SetUp() override
    {
        CabinetTest::SetUp();
        dir_.Write("src/a.txt", std::string(3000, 'a'));
        dir_.Write("src/b.txt", std::string(5000, 'b'));
        dir_.Write("src/c.txt", std::string(7000, 'c'));
        cabinet_ = MakeCabinet("abc.cab", {{"src/a.txt", "a.txt"}, {"src/b.txt", "sub\\b.txt"}, {"src/c.txt", "c.txt"}},
                               {false, true, false});
    }

    std::vector<std::string> Written(const fs::path& folder)
    {
        std::vector<std::string> names;
        if (!fs::exists(folder))
            return names;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                names.push_back(fs::relative(e.path(), folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path cabinet_;
};

TEST_F(ExtractCab, GetFilesInfoListsEveryFileAndASecondCallListsThemAgain)
{
    auto reader = Listed(cabinet_);
    auto files = reader->CompressedFiles();
    ASSERT_EQ(EntryNames(*files), (std::vector<std::string>{"a.txt", "sub\\b.txt", "c.txt"}));
    EXPECT_EQ(reader->GetFileCount(), 3);
    EXPECT_EQ(files->Item(2)->FileSize(), 5000);
    EXPECT_NE(files->Item(2)->FileDate(), 0);
    EXPECT_EQ(files->Item(2)->Attribs() & 0x40, 0x40);
    EXPECT_EQ(files->Item(1)->Attribs() & 0x20, 0x20);
    EXPECT_FALSE(files->Item(1)->ExtractFlag());
    EXPECT_EQ(files->Item(1)->RelativePath(), "");
    EXPECT_FALSE(files->Item(1)->Extract());
    EXPECT_EQ(files->Item(0), nullptr);
    EXPECT_EQ(files->Item(4), nullptr);
    EXPECT_EQ(ExtractMode(), 0);
    EXPECT_EQ(reader->LastError(), "");

    reader->GetFilesInfo();
    EXPECT_EQ(reader->GetFileCount(), 6);
    EXPECT_EQ(files->Item(4)->FileCabName(), "a.txt");
}

TEST_F(ExtractCab, WithoutChoicesNothingIsWrittenAndEveryListedFileIsStillAnnounced)
{
    auto reader = Listed(cabinet_);
    auto events = std::make_shared<cabtest::ExtractRecorder>();
    reader->Advise(events);
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(reader->DestinationDir(), (dir_ / "out").string());
    EXPECT_EQ(ExtractMode(), 1);
    EXPECT_TRUE(Written(dir_ / "out").empty());
    ASSERT_EQ(events->Names(), (std::vector<std::string>{"a.txt", "sub\\b.txt", "c.txt"}));
    for (const auto& seen : events->seen) {
        EXPECT_EQ(seen.type, fdintCOPY_FILE);
        EXPECT_FALSE(seen.extract);
        EXPECT_EQ(seen.fDie, 0);
    }
    EXPECT_EQ(events->seen[1].cb, 5000);
    EXPECT_TRUE(reported_.empty());
    EXPECT_EQ(reader->LastError(), "");
}

TEST_F(ExtractCab, ChoicesAndCancelsDecideWhatIsWrittenButTheExtractArgumentDoesNot)
{
    auto reader = Listed(cabinet_);
    auto files = reader->CompressedFiles();
    files->Item(1)->ExtractFlag(true);
    files->Item(2)->ExtractFlag(true);
    auto events = std::make_shared<cabtest::ExtractRecorder>();
    events->act = [](const auto& seen, bool& extract, bool& cancel) {
        if (seen.name == "a.txt")
            cancel = true;
        if (seen.name == "c.txt")
            extract = true; // not chosen: saying yes here changes nothing
    };
    reader->Advise(events);
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(Written(dir_ / "out"), std::vector<std::string>{"sub/b.txt"});
    EXPECT_EQ(testsupport::ReadAll(dir_ / "out/sub/b.txt"), std::string(5000, 'b'));
    EXPECT_EQ(launched_, std::vector<std::string>{(dir_ / "out/sub/b.txt").string()});
}

TEST_F(ExtractCab, AFileChoiceIsTakenFromTheFirstListingOfItsName)
{
    auto reader = Listed(cabinet_);
    reader->GetFilesInfo();
    reader->CompressedFiles()->Item(4)->ExtractFlag(true); // the second "a.txt"
    reader->CompressedFiles()->Item(3)->ExtractFlag(true); // the first "c.txt"
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(Written(dir_ / "out"), std::vector<std::string>{"c.txt"});
}

TEST_F(ExtractCab, TwoObjectsUsedInTurnEachWorkOnTheirOwnListDestinationAndListeners)
{
    dir_.Write("src/x.txt", "xx");
    auto other = MakeCabinet("x.cab", {{"src/x.txt", "x.txt"}});
    auto first = Listed(cabinet_);
    auto second = Listed(other); // created last: the module state names it
    EXPECT_EQ(CurrentExtractCab(), second);
    auto firstEvents = std::make_shared<cabtest::ExtractRecorder>();
    auto secondEvents = std::make_shared<cabtest::ExtractRecorder>();
    first->Advise(firstEvents);
    second->Advise(secondEvents);
    first->CompressedFiles()->Item(3)->ExtractFlag(true);
    second->CompressedFiles()->Item(1)->ExtractFlag(true);

    first->ExtractFiles((dir_ / "one").string());
    second->ExtractFiles((dir_ / "two").string());
    first->GetFilesInfo();
    second->ExtractFiles((dir_ / "three").string());

    EXPECT_EQ(Written(dir_ / "one"), std::vector<std::string>{"c.txt"});
    EXPECT_EQ(Written(dir_ / "two"), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(Written(dir_ / "three"), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(firstEvents->Names(), (std::vector<std::string>{"a.txt", "sub\\b.txt", "c.txt"}));
    EXPECT_EQ(secondEvents->Names(), (std::vector<std::string>{"x.txt", "x.txt"}));
    EXPECT_EQ(first->GetFileCount(), 6);
    EXPECT_EQ(second->GetFileCount(), 1);
}

TEST_F(ExtractCab, ANestedListingByAnotherObjectDoesNotStopARunningExtraction)
{
    dir_.Write("src/x.txt", "xx");
    auto other = MakeCabinet("x.cab", {{"src/x.txt", "x.txt"}});
    auto first = Listed(cabinet_);
    auto second = Listed(other);
    for (std::int32_t i = 1; i <= 3; ++i)
        first->CompressedFiles()->Item(i)->ExtractFlag(true);
    auto events = std::make_shared<cabtest::ExtractRecorder>();
    events->act = [&](const auto& seen, bool&, bool&) {
        if (seen.name == "a.txt")
            second->GetFilesInfo(); // switches the process-wide mode to listing
    };
    first->Advise(events);
    first->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(Written(dir_ / "out"), (std::vector<std::string>{"a.txt", "c.txt", "sub/b.txt"}));
    EXPECT_EQ(second->GetFileCount(), 2);
    EXPECT_EQ(first->GetFileCount(), 3);
}

TEST_F(ExtractCab, TheListenerSeesTheSetIdentifier)
{
    std::string bytes = testsupport::ReadAll(cabinet_);
    bytes[0x20] = 0x34; // setID, little-endian
    bytes[0x21] = 0x12;
    std::ofstream(cabinet_, std::ios::binary | std::ios::trunc) << bytes;
    auto reader = Listed(cabinet_);
    auto events = std::make_shared<cabtest::ExtractRecorder>();
    reader->Advise(events);
    reader->ExtractFiles((dir_ / "out").string());
    ASSERT_FALSE(events->seen.empty());
    EXPECT_EQ(events->seen[0].setId, 0x1234);
}

TEST_F(ExtractCab, ReadingFailuresGoToTheReporterAndStayReadable)
{
    auto reader = clsExtractCab::Create();
    reader->CabFileName((dir_ / "missing.cab").string());
    reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
    EXPECT_NO_THROW(reader->GetFilesInfo());
    EXPECT_EQ(reader->LastError(), "Cabinet Not Found");
    reader->CabFileName(dir_.Write("text.cab", "plain text").string());
    reader->GetFilesInfo();
    EXPECT_EQ(reader->LastError(), "Not A Cab");
    EXPECT_EQ(reader->LastErrorDetail(), "'" + (dir_ / "text.cab").string() + "' is not a cabinet file");
    // The message names the file and the system's reason beside the numbered text.
    ASSERT_EQ(reported_.size(), 2u);
    EXPECT_EQ(reported_[0], "Cabinet Not Found (cannot open cabinet '" + (dir_ / "missing.cab").string()
                                + "': No such file or directory)");
    EXPECT_EQ(reported_[1], "Not A Cab (" + reader->LastErrorDetail() + ")");
    EXPECT_EQ(reader->GetFileCount(), 0);

    // A device is refused without being read, naming the file.
    reader->CabFileName("/dev/zero");
    reader->GetFilesInfo();
    EXPECT_EQ(reader->LastError(), "Not A Cab");
    EXPECT_EQ(reader->LastErrorDetail(),
              "'/dev/zero' is a character device, not a regular file");

    reader->CabFileName(cabinet_.string());
    EXPECT_FALSE(reader->Extract());
    EXPECT_EQ(reader->LastError(), "");

    // The default reporter writes to standard error.
    auto quiet = clsExtractCab::Create();
    quiet->CabFileName((dir_ / "missing.cab").string());
    testing::internal::CaptureStderr();
    quiet->GetFilesInfo();
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Cabinet Not Found (", 0), 0u);
}

TEST_F(ExtractCab, NoWriteGoesThroughALinkOverTheCabinetOrBeyondTheSizeAllowed)
{
    fs::create_directories(dir_ / "elsewhere");
    fs::create_directories(dir_ / "out");
    fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "out/sub");
    auto reader = Listed(cabinet_);
    for (std::int32_t i = 1; i <= 3; ++i)
        reader->CompressedFiles()->Item(i)->ExtractFlag(true);
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
    EXPECT_EQ(Written(dir_ / "out"), (std::vector<std::string>{"a.txt", "c.txt"}));
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(reported_[0], "Not extracted: \"sub\\b.txt\": '" + (dir_ / "out/sub").string()
                                + "' is a symbolic link: nothing is written through a link inside the folder "
                                  "extracted to");
    EXPECT_TRUE(launched_.empty()) << "a refused file is not opened";

    // The cabinet, reached under the name of one of its entries, stays as it is.
    reported_.clear();
    fs::create_directories(dir_ / "self");
    fs::create_hard_link(cabinet_, dir_ / "self/c.txt");
    reader->ExtractFiles((dir_ / "self").string());
    EXPECT_EQ(fs::file_size(dir_ / "self/c.txt"), fs::file_size(cabinet_));
    EXPECT_EQ(testsupport::ReadAll(dir_ / "self/a.txt"), std::string(3000, 'a'));
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_NE(reported_[0].find("is the cabinet being read"), std::string::npos) << reported_[0];

    // 15,000 bytes chosen: a lower limit writes nothing and says how much it would have written.
    reported_.clear();
    reader->MaxExtractSize(14999);
    reader->ExtractFiles((dir_ / "limited").string());
    EXPECT_FALSE(fs::exists(dir_ / "limited"));
    EXPECT_EQ(reported_, (std::vector<std::string>{"Not extracted: the chosen files would write 15.0 kB (15000 "
                                                   "bytes), more than the limit of 15.0 kB"}));
    reader->MaxExtractSize(15000);
    reader->ExtractFiles((dir_ / "limited").string());
    EXPECT_EQ(Written(dir_ / "limited").size(), 3u);

    auto bomb = Listed(HALVEX_SOURCE_DIR "/tests/cab/data/declared_sizes_beyond_any_disk.cab");
    reported_.clear();
    for (std::int32_t i = 1; i <= bomb->CompressedFiles()->Count(); ++i)
        bomb->CompressedFiles()->Item(i)->ExtractFlag(true);
    bomb->ExtractFiles((dir_ / "bomb").string());
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_NE(reported_[0].find("would write 12.9 TB (12884705280000 bytes), but only "), std::string::npos)
        << reported_[0];
    EXPECT_FALSE(fs::exists(dir_ / "bomb"));
}

TEST_F(ExtractCab, NamesThatWouldLeaveTheDestinationAreRefusedVisibly)
{
    auto corpus = testsupport::CorpusDir("cab/cabextract-cabs");
    if (!corpus || !fs::exists(*corpus / "dirwalk-vulns.cab"))
        GTEST_SKIP() << "corpus not present";
    auto reader = Listed(*corpus / "dirwalk-vulns.cab");
    auto files = reader->CompressedFiles();
    ASSERT_GT(files->Count(), 20);
    for (std::int32_t i = 1; i <= files->Count(); ++i)
        files->Item(i)->ExtractFlag(true);
    auto events = std::make_shared<cabtest::ExtractRecorder>();
    reader->Advise(events);
    fs::create_directories(dir_ / "jail/out");
    reader->ExtractFiles((dir_ / "jail/out").string());

    std::vector<std::string> refused;
    for (const auto& seen : events->seen)
        if (seen.fDie == 8) {
            EXPECT_FALSE(seen.extract) << seen.name;
            refused.push_back(seen.name);
        }
    ASSERT_GE(refused.size(), 15u);
    EXPECT_LT(refused.size(), events->seen.size()) << "names with replaced bytes stay inside and are written";
    EXPECT_EQ(reported_.size(), refused.size());
    EXPECT_EQ(reported_[0], "Not extracted: \"" + refused[0] + "\" would be written outside the destination folder");
    EXPECT_EQ(reader->LastError(), reported_.back());
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
        const auto relative = fs::relative(entry.path(), dir_.path()).string();
        EXPECT_TRUE(relative.rfind("src", 0) == 0 || relative == "abc.cab" || relative == "jail"
                    || relative.rfind("jail/out", 0) == 0)
            << relative;
    }
}

TEST_F(ExtractCab, ACancelInsideALargeFileStopsAtOnceAndKeepsNothingOfIt)
{
    std::string big(400000, '\0');
    unsigned state = 5;
    for (auto& c : big) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    dir_.Write("src/big.bin", big);
    const auto cabinet = MakeCabinet("big.cab", {{"src/a.txt", "a.txt"}, {"src/big.bin", "big.bin"}});
    struct Canceller : tessaly::clsExtractCabEvents {
        std::vector<std::int64_t> written;
        void ExtractProgress(const std::string& name, std::int64_t done, std::int64_t size, bool& cancel) override
        {
            EXPECT_EQ(size, name == "big.bin" ? 400000 : 3000);
            written.push_back(done);
            cancel = name == "big.bin" && done >= 65536;
        }
    };
    auto listener = std::make_shared<Canceller>();
    auto reader = Listed(cabinet);
    reader->Advise(listener);
    reader->CompressedFiles()->Item(1)->ExtractFlag(true);
    reader->CompressedFiles()->Item(2)->ExtractFlag(true);
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(reader->LastError(), "User Abort");
    EXPECT_EQ(reader->ExtractedCount(), 1);
    EXPECT_EQ(Written(dir_ / "out"), std::vector<std::string>{"a.txt"}) << "no partial file, no temporary";
    ASSERT_GE(listener->written.size(), 3u);
    EXPECT_EQ(listener->written.front(), 3000);
    EXPECT_LT(listener->written.back(), 400000);
}

TEST_F(ExtractCab, MarkedFilesAreOpenedOnlyWhenTheClientTurnedLaunchingOn)
{
    auto reader = clsExtractCab::Create();
    EXPECT_FALSE(reader->LaunchMarkedFiles());
    reader->CabFileName(cabinet_.string());
    reader->SetLauncher([this](const std::string& path) { launched_.push_back(path); });
    reader->GetFilesInfo();
    reader->CompressedFiles()->Item(2)->ExtractFlag(true);
    reader->ExtractFiles((dir_ / "off").string());
    EXPECT_TRUE(fs::exists(dir_ / "off/sub/b.txt"));
    EXPECT_TRUE(launched_.empty());
}

TEST_F(ExtractCab, ACabinetInsideAnotherFileIsReadFromItsOffsetWithNamesReadAsChosen)
{
    const std::string program = "MZ" + std::string(998, 'p');
    const fs::path setup = dir_.Write("setup.exe", program + testsupport::ReadAll(cabinet_));
    auto reader = clsExtractCab::Create();
    reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
    reader->CabFileName(setup.string());
    reader->CabinetOffset(program.size());
    reader->GetFilesInfo();
    ASSERT_EQ(EntryNames(*reader->CompressedFiles()), (std::vector<std::string>{"a.txt", "sub\\b.txt", "c.txt"}));
    for (std::int32_t i = 1; i <= 3; ++i)
        reader->CompressedFiles()->Item(i)->ExtractFlag(true);
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(reader->ExtractedCount(), 3);
    EXPECT_EQ(Written(dir_ / "out"), (std::vector<std::string>{"a.txt", "c.txt", "sub/b.txt"}));
    EXPECT_TRUE(reported_.empty());

    auto elsewhere = clsExtractCab::Create();
    elsewhere->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
    elsewhere->CabFileName(setup.string());
    elsewhere->CabinetOffset(program.size() - 1);
    elsewhere->GetFilesInfo();
    EXPECT_EQ(elsewhere->LastError(), "Not A Cab");
    EXPECT_EQ(elsewhere->LastErrorDetail(), "no cabinet starts at byte 999 of '" + setup.string() + "'");

    auto names = clsExtractCab::Create();
    names->CabFileName(HALVEX_SOURCE_DIR "/tests/cab/data/unmarked_utf8_name.cab");
    names->GetFilesInfo();
    names->UnmarkedNames(NameCharset::Windows1252);
    names->GetFilesInfo();
    EXPECT_EQ(EntryNames(*names->CompressedFiles()), (std::vector<std::string>{"café €.txt", "cafÃ© â‚¬.txt"}));
}

TEST_F(ExtractCab, DestinationDirWithOrWithoutATrailingSeparatorOpensTheSameFile)
{
    for (std::string suffix : {"", "/", "\\"}) {
        launched_.clear();
        auto reader = Listed(cabinet_);
        reader->CompressedFiles()->Item(2)->ExtractFlag(true);
        reader->ExtractFiles((dir_ / "out").string() + suffix);
        EXPECT_EQ(launched_, std::vector<std::string>{(dir_ / "out/sub/b.txt").string()}) << suffix;
    }
}

} // namespace
