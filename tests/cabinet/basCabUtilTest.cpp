#include "CabinetTestSupport.h"

namespace {

using namespace tessaly;

fcifdi::ERF Record(std::int32_t erfOper, std::int32_t fError)
{
    fcifdi::ERF erf;
    erf.erfOper = erfOper;
    erf.erfType = 77;
    erf.fError = fError;
    return erf;
}

// The number and description a check raises, or {0, ""} when it does not.
template <class Check>
std::pair<com::HRESULT, std::string> Raised(Check check, const fcifdi::ERF& erf)
{
    try {
        check(erf);
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Source(), "TessalyCabinet");
        return {e.Number(), e.Description()};
    }
    return {0, ""};
}

TEST(basCabUtil, AppendBackslashEndsAFolderPathInExactlyOneSeparator)
{
    EXPECT_EQ(AppendBackslash("C:\\data"), "C:\\data\\");
    EXPECT_EQ(AppendBackslash("C:\\data\\"), "C:\\data\\");
    EXPECT_EQ(AppendBackslash("/home/me/data/"), "/home/me/data/");
    EXPECT_EQ(AppendBackslash(""), "\\");
    EXPECT_EQ(AppendBackslash("   "), "\\");
    EXPECT_EQ(AppendBackslash(" x "), " x \\");
}

TEST(basCabUtil, TrimAtNullKeepsTheTextBeforeTheFirstNul)
{
    std::string buffer = "name.txt";
    buffer.resize(260, '\0');
    EXPECT_EQ(TrimAtNull(buffer), "name.txt");
    EXPECT_EQ(TrimAtNull(std::string("a\0b", 3)), "a");
    EXPECT_EQ(TrimAtNull("plain"), "plain");
    EXPECT_EQ(TrimAtNull("    "), "");
    EXPECT_EQ(TrimAtNull(std::string(10, '\0')), "");
    EXPECT_EQ(TrimAtNull(" lead"), " lead");
}

TEST(basCabUtil, WriterErrorsCarryTheirTableTextAndTheFlagInTheNumber)
{
    const std::vector<std::string> texts = {"Failed Opening File", "Failed Reading File",
                                            "Out Of Memory", "Could Not Create Temporary File",
                                            "Unknown Compression Type", "Could Not Create Cab File",
                                            "User Abort", "Failed Compressing Data"};
    for (std::int32_t oper = 1; oper <= 8; ++oper) {
        auto raised = Raised(CheckCompressError, Record(oper, 1));
        EXPECT_EQ(raised.first, -2147221403) << oper;
        EXPECT_EQ(raised.second, texts[oper - 1]);
    }
    EXPECT_EQ(Raised(CheckCompressError, Record(0, 1)).second, "Unknown Error 0 occured.");
    EXPECT_EQ(Raised(CheckCompressError, Record(9, 1)).second, "Unknown Error 9 occured.");
    EXPECT_EQ(Raised(CheckCompressError, Record(-4, 1)).second, "Unknown Error -4 occured.");
    EXPECT_EQ(Raised(CheckCompressError, Record(7, 2)).first, -2147221402);
    EXPECT_EQ(Raised(CheckCompressError, Record(7, -1)).first, -2147221405);
    EXPECT_EQ(static_cast<std::uint32_t>(Raised(CheckCompressError, Record(7, 1)).first), 0x80040065u);
}

TEST(basCabUtil, ReaderErrorsCarryTheirTableTextAndOneNumber)
{
    const std::vector<std::string> texts = {
        "Cabinet Not Found", "Not A Cab", "Unknow Cab Version", "Corrupt Cab File",
        "Out Of Memory", "Bad Compression Type", "Failed Decompressing File", "Failed Writing Target File",
        "Cab In Set Have Different Reserve Size", "Incorrect Next Cab File", "User Abort"};
    for (std::int32_t oper = 1; oper <= 11; ++oper) {
        auto raised = Raised(CheckExtractError, Record(oper, 1));
        EXPECT_EQ(raised.first, -2147211503) << oper;
        EXPECT_EQ(raised.second, texts[oper - 1]);
    }
    EXPECT_EQ(Raised(CheckExtractError, Record(12, 1)).second, "Unknown Error 12 occured");
    EXPECT_EQ(Raised(CheckExtractError, Record(0, 3)).second, "Unknown Error 0 occured");
    EXPECT_EQ(static_cast<std::uint32_t>(Raised(CheckExtractError, Record(4, 5)).first), 0x80042711u);
}

TEST(basCabUtil, ARecordWithoutTheFlagNeverRaises)
{
    for (std::int32_t oper : {0, 1, 5, 8, 11, 12, -1}) {
        EXPECT_EQ(Raised(CheckCompressError, Record(oper, 0)).first, 0);
        EXPECT_EQ(Raised(CheckExtractError, Record(oper, 0)).first, 0);
    }
    // Only the flag's 16 bits count.
    EXPECT_EQ(Raised(CheckCompressError, Record(1, 0x10000)).first, 0);
    EXPECT_EQ(Raised(CheckExtractError, Record(1, 0x10000)).first, 0);
}

class CompressProgressTest : public cabtest::CabinetTest {};

TEST_F(CompressProgressTest, ForwardsToTheWorkingObjectOrTheCurrentOneAndTurnsCancelIntoMinusOne)
{
    auto working = clsCreateCab::Create();
    auto current = clsCreateCab::Create();
    auto workingEvents = std::make_shared<cabtest::CreateRecorder>();
    auto currentEvents = std::make_shared<cabtest::CreateRecorder>();
    working->Advise(workingEvents);
    current->Advise(currentEvents);
    CurrentCreateCab(current);

    EXPECT_EQ(CompressProgress(0, 100, 40, working.get()), 0);
    ASSERT_EQ(workingEvents->statuses.size(), 1u);
    EXPECT_EQ(workingEvents->statuses[0].info1, 100);
    EXPECT_EQ(workingEvents->statuses[0].info2, 40);
    EXPECT_TRUE(currentEvents->statuses.empty());

    currentEvents->cancelStatus = [](const auto& s) { return s.type == fdintCOPY_FILE; };
    EXPECT_EQ(CompressProgress(1, 5, 10), 0);
    EXPECT_EQ(CompressProgress(2, 500, 0), -1);
    EXPECT_EQ(currentEvents->statuses.size(), 2u);
}

class Thrower : public clsCreateCabEvents {
public:
    void CompressStatus(FDINT&, std::int32_t&, std::int32_t&, bool& cancel) override
    {
        cancel = true;
        throw std::runtime_error("listener failed");
    }
};

TEST_F(CompressProgressTest, AFailingListenerOrNoObjectAtAllMeansGoOn)
{
    EXPECT_EQ(CompressProgress(0, 1, 1), 0); // nothing has compressed yet
    auto creator = clsCreateCab::Create();
    creator->Advise(std::make_shared<Thrower>());
    EXPECT_EQ(CompressProgress(0, 1, 1, creator.get()), 0);
}

TEST_F(CompressProgressTest, ModuleStateRecordsWithoutKeepingAlive)
{
    EXPECT_EQ(ExtractMode(), 0);
    {
        auto reader = clsExtractCab::Create();
        EXPECT_EQ(CurrentExtractCab(), reader);
        auto newer = clsExtractCab::Create();
        EXPECT_EQ(CurrentExtractCab(), newer);
    }
    EXPECT_EQ(CurrentExtractCab(), nullptr);
}

} // namespace
