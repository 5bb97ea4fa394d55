// The writer's and the reader's error codes, produced on purpose by
// stand-ins for the entry points, as clients of the objects see them.
#include "CabinetTestSupport.h"

namespace {

using namespace tessaly;
namespace fs = std::filesystem;

enum class Step { None, Create, Add, Flush };

class FailingFci : public fcifdi::FciApi {
public:
    Step failAt = Step::None;
    std::int32_t erfOper = 0;
    std::int32_t fError = 1;
    std::vector<std::int32_t> commits;
    std::vector<std::string> added;

    std::int32_t CreateCabFile(const char*, std::int32_t reserved, fcifdi::ERF* erf, std::int32_t threshold) override
    {
        EXPECT_EQ(reserved, 0);
        EXPECT_EQ(threshold, 500000);
        erf_ = erf;
        return Fail(Step::Create) ? 0 : 41;
    }
    std::int16_t AddFileToCab(std::int32_t handle, const char*, const char* name, std::int16_t, std::int32_t,
                              fcifdi::PFNCOMPRESSPROGRESS, void*) override
    {
        EXPECT_EQ(handle, 41);
        added.push_back(name);
        return Fail(Step::Add) ? 0 : 1;
    }
    std::int16_t FlushCabinet(std::int32_t) override { return Fail(Step::Flush) ? 0 : 1; }
    std::int16_t Commit(std::int32_t handle) override
    {
        commits.push_back(handle);
        return 1;
    }

private:
    bool Fail(Step step)
    {
        if (step != failAt)
            return false;
        erf_->erfOper = erfOper;
        erf_->fError = fError;
        return true;
    }
    fcifdi::ERF* erf_ = nullptr;
};

enum class ReadStep { None, Open, IsCab, Extract };

class FailingFdi : public fcifdi::FdiApi {
public:
    ReadStep failAt = ReadStep::None;
    std::int32_t erfOper = 0;
    std::int16_t isCab = 1;
    std::vector<std::int32_t> released;
    int walks = 0;
    // Notifications the walk sends before it fails or ends.
    std::vector<std::pair<std::int32_t, fcifdi::FdiNotifyRecord>> notices;

    std::int32_t OpenCabFile(fcifdi::ERF* erf) override
    {
        erf_ = erf;
        return Fail(ReadStep::Open) ? 0 : 17;
    }
    std::int16_t IsCabFile(std::int32_t handle, const char*) override
    {
        EXPECT_EQ(handle, 17);
        return Fail(ReadStep::IsCab) ? 0 : isCab;
    }
    std::int16_t ExtractCab(std::int32_t, const char*, fcifdi::PFNEXTRACTNOTIFY notify, const char*,
                            void* context) override
    {
        ++walks;
        for (auto& [kind, record] : notices)
            notify(kind, &record, context);
        return Fail(ReadStep::Extract) ? 0 : 1;
    }
    std::int16_t Release(std::int32_t handle) override
    {
        released.push_back(handle);
        return 1;
    }

private:
    bool Fail(ReadStep step)
    {
        if (step != failAt)
            return false;
        erf_->erfOper = erfOper;
        erf_->fError = 1;
        return true;
    }
    fcifdi::ERF* erf_ = nullptr;
};

class FailingApis : public cabtest::CabinetTest {
protected:
    void SetUp() override
    {
        CabinetTest::SetUp();
        UseCabinetApis(&fci_, &fdi_);
        dir_.Write("a.txt", "a");
        dir_.Write("b.txt", "b");
    }

    std::shared_ptr<clsCreateCab> Creator()
    {
        auto creator = clsCreateCab::Create();
        creator->CabinetFile((dir_ / "out.cab").string());
        creator->ToCompressFiles()->AddFile((dir_ / "a.txt").string());
        creator->ToCompressFiles()->AddFile((dir_ / "b.txt").string());
        return creator;
    }

    FailingFci fci_;
    FailingFdi fdi_;
};

const std::vector<std::string> kWriterTexts = {
    "Failed Opening File", "Failed Reading File", "Out Of Memory", "Could Not Create Temporary File",
    "Unknown Compression Type", "Could Not Create Cab File", "User Abort", "Failed Compressing Data"};

TEST_F(FailingApis, EveryWriterErrorReachesTheClientAfterTheContextIsLetGo)
{
    for (Step step : {Step::Create, Step::Add, Step::Flush}) {
        for (std::int32_t oper = 1; oper <= 9; ++oper) {
            fci_ = FailingFci();
            fci_.failAt = step;
            fci_.erfOper = oper;
            try {
                Creator()->Compress();
                ADD_FAILURE() << "no error raised";
            } catch (const com::ComError& e) {
                EXPECT_EQ(e.Number(), -2147221403);
                EXPECT_EQ(e.Source(), "TessalyCabinet");
                EXPECT_EQ(e.Description(), oper <= 8 ? kWriterTexts[oper - 1] : "Unknown Error 9 occured.");
            }
            // Handle 0 when the cabinet never started.
            EXPECT_EQ(fci_.commits, std::vector<std::int32_t>{step == Step::Create ? 0 : 41});
            EXPECT_EQ(fci_.added.size(), step == Step::Add ? 1u : step == Step::Flush ? 2u : 0u);
        }
    }
}

TEST_F(FailingApis, TheWriterFlagIsAddedToTheNumberAndAGoodRunLetsTheContextGoToo)
{
    fci_.failAt = Step::Flush;
    fci_.erfOper = 7;
    fci_.fError = 3;
    try {
        Creator()->Compress();
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), -2147221401);
    }
    fci_ = FailingFci();
    Creator()->Compress();
    EXPECT_EQ(fci_.commits, std::vector<std::int32_t>{41});
}

const std::vector<std::string> kReaderTexts = {
    "Cabinet Not Found", "Not A Cab", "Unknow Cab Version", "Corrupt Cab File",
    "Out Of Memory", "Bad Compression Type", "Failed Decompressing File", "Failed Writing Target File",
    "Cab In Set Have Different Reserve Size", "Incorrect Next Cab File", "User Abort"};

TEST_F(FailingApis, EveryReaderErrorIsReportedAndKeptButNeverRaised)
{
    for (ReadStep step : {ReadStep::Open, ReadStep::IsCab, ReadStep::Extract}) {
        for (std::int32_t oper = 1; oper <= 12; ++oper) {
            fdi_ = FailingFdi();
            fdi_.failAt = step;
            fdi_.erfOper = oper;
            reported_.clear();
            auto reader = clsExtractCab::Create();
            reader->CabFileName("whatever.cab");
            reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
            bool result = true;
            EXPECT_NO_THROW(result = reader->Extract());
            EXPECT_FALSE(result);
            const std::string expected = oper <= 11 ? kReaderTexts[oper - 1] : "Unknown Error 12 occured";
            EXPECT_EQ(reported_, std::vector<std::string>{expected});
            EXPECT_EQ(reader->LastError(), expected);
            // A context that was made is let go even after a failure.
            EXPECT_EQ(fdi_.released, step == ReadStep::Open ? std::vector<std::int32_t>{}
                                                            : std::vector<std::int32_t>{17});
            EXPECT_EQ(fdi_.walks, step == ReadStep::Extract ? 1 : 0);
        }
    }
}

TEST_F(FailingApis, ANonCabinetWithoutAnErrorIsNotWalkedAndAGoodRunClearsTheLastError)
{
    fdi_.failAt = ReadStep::IsCab;
    fdi_.erfOper = 2;
    auto reader = clsExtractCab::Create();
    reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
    reader->GetFilesInfo();
    EXPECT_EQ(reader->LastError(), "Not A Cab");

    fdi_.failAt = ReadStep::None;
    fdi_.isCab = 0;
    reader->GetFilesInfo();
    EXPECT_EQ(fdi_.walks, 0);
    EXPECT_EQ(reader->LastError(), "");
    EXPECT_EQ(reported_.size(), 1u);
}

TEST_F(FailingApis, AReaderThatCannotReadAtAnOffsetOrChooseACharsetSaysSoAndLetsTheContextGo)
{
    auto reader = clsExtractCab::Create();
    reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
    reader->CabinetOffset(4096);
    reader->GetFilesInfo();
    EXPECT_EQ(reader->LastError(), "This cabinet reader cannot read a cabinet inside another file, nor choose how "
                                   "names are read");
    reader->CabinetOffset(0);
    reader->UnmarkedNames(NameCharset::Windows1252);
    reader->GetFilesInfo();
    EXPECT_EQ(reported_.size(), 2u);
    EXPECT_EQ(fdi_.walks, 0);
    EXPECT_EQ(fdi_.released, (std::vector<std::int32_t>{17, 17}));
    reader->UnmarkedNames(NameCharset::Auto);
    reader->GetFilesInfo();
    EXPECT_EQ(fdi_.walks, 1);
    EXPECT_EQ(reader->LastError(), "");
}

TEST_F(FailingApis, AWrittenFileNamedRelativelyIsFoundBelowTheDestination)
{
    auto written = dir_.Write("dest/rel.txt", "x");
    fs::permissions(written, fs::perms::owner_write, fs::perm_options::add);
    fcifdi::FdiNotifyRecord closed;
    closed.psz1 = "rel.txt";
    closed.date = static_cast<std::uint16_t>(((2001 - 1980) << 9) | (2 << 5) | 3); // 3 Feb 2001
    closed.time = static_cast<std::uint16_t>((4 << 11) | (5 << 5) | 3);          // 04:05:06
    closed.attribs = 0x21;
    closed.cb = 1;
    fdi_.notices = {{fcifdi::kNotifyCloseFileInfo, closed}};

    for (std::string destination : {(dir_ / "dest").string(), (dir_ / "dest").string() + "/",
                                    (dir_ / "dest").string() + "\\"}) {
        fs::permissions(written, fs::perms::owner_write, fs::perm_options::add);
        launched_.clear();
        auto reader = clsExtractCab::Create();
        reader->SetLauncher([this](const std::string& path) { launched_.push_back(path); });
        reader->LaunchMarkedFiles(true);
        reader->ExtractFiles(destination);
        EXPECT_EQ(launched_, std::vector<std::string>{(dir_ / "dest/rel.txt").string()}) << destination;
        EXPECT_EQ(cabtest::ModifiedTime(written), cabtest::LocalTime(2001, 2, 3, 4, 5, 6));
        EXPECT_FALSE(cabtest::Writable(written));
    }
}

} // namespace
