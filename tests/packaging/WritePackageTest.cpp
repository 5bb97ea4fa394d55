// Writing packages: what they hold, read back by our reader and by the peer
// tools byte for byte, progress, the component's own refusals, and failures
// that must leave an older package untouched.
#include "PackagingFixtures.h"

#include "viewer/packaging/PackageFiles.h"
#include "viewer/packaging/WritePackage.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <random>

using namespace packaging;
using namespace packtest;

namespace {

// A study folder with a file the cabinet must compress well and one it cannot.
std::map<std::string, std::string> StudyWithImages()
{
    std::string noise(300000, '\0');
    std::mt19937 random(7);
    for (char& c : noise)
        c = char(random());
    return {
        {"study.dvf", kStudyFile},
        {"a.jpg", noise},
        {"B.JPG", std::string(200000, 'b')},
        {"Caf\xC3\xA9 north.jpg", "a name beyond ASCII"},
        {"empty.jpg", ""},
    };
}

} // namespace

TEST(WritePackage, EntriesAreStoredFlatUnderTheirOwnNames)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    std::filesystem::create_directory(dir / "out");
    const auto package = dir / "out" / "Office.dvp";
    const QStringList files = PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false);

    QString errMsg = QStringLiteral("not cleared");
    WritePackage(Q(package), files, errMsg);
    ASSERT_EQ(errMsg, QString());

    std::vector<std::string> expected;
    for (const QString& path : files)
        expected.push_back(QFileInfo(path).fileName().toStdString());
    EXPECT_EQ(EntryNames(package), expected);

    cab::CabReader reader;
    ASSERT_FALSE(reader.Open(package.string()));
    for (std::size_t k = 0; k < reader.Entries().size(); ++k) {
        const auto target = dir / "out" / ("check" + std::to_string(k));
        ASSERT_FALSE(reader.Extract(k, target.string()));
        EXPECT_EQ(testsupport::ReadAll(target), testsupport::ReadAll(dir / reader.Entries()[k].name))
            << reader.Entries()[k].name;
    }
    // No temporary file stays beside the package.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), long(1 + reader.Entries().size()));
}

TEST(WritePackage, PeerToolsExtractTheSameBytes)
{
    testsupport::TempDir dir;
    const auto files = StudyWithImages();
    WriteFiles(dir, files);
    const auto package = dir.path().parent_path() / (dir.path().filename().string() + ".dvp");
    QString errMsg;
    WritePackage(Q(package), PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false), errMsg);
    ASSERT_EQ(errMsg, QString());
    struct Cleanup {
        std::filesystem::path path;
        ~Cleanup() { std::filesystem::remove(path); }
    } cleanup{package};

    int peers = 0;
    if (HaveTool("gcab")) {
        ++peers;
        testsupport::TempDir out;
        ASSERT_EQ(RunQuiet("cd '" + out.path().string() + "' && gcab -x '" + package.string() + "'"), 0);
        EXPECT_EQ(FolderContents(out.path()), files);
    }
    if (HaveTool("cabextract")) {
        ++peers;
        testsupport::TempDir out;
        ASSERT_EQ(RunQuiet("cabextract -q -d '" + out.path().string() + "' '" + package.string() + "'"), 0);
        EXPECT_EQ(FolderContents(out.path()), files);
    }
    if (peers == 0)
        GTEST_SKIP() << "neither gcab nor cabextract is installed";
}

TEST(WritePackage, ProgressRunsForwardToTheEnd)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    std::vector<std::pair<quint64, quint64>> reports;
    QString errMsg;
    WritePackage(Q(dir / "p.dvp"), PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false), errMsg,
                 [&](quint64 done, quint64 total) { reports.emplace_back(done, total); });
    ASSERT_EQ(errMsg, QString());
    ASSERT_GT(reports.size(), 2u);
    const quint64 total = reports.front().second;
    quint64 last = 0;
    for (const auto& [done, reportedTotal] : reports) {
        EXPECT_EQ(reportedTotal, total);
        EXPECT_GE(done, last);
        EXPECT_LE(done, total);
        last = done;
    }
    EXPECT_EQ(reports.back().first, total);
}

TEST(WritePackage, AnEmptyListIsRefused)
{
    testsupport::TempDir dir;
    QString errMsg;
    WritePackage(Q(dir / "p.dvp"), {}, errMsg);
    EXPECT_EQ(errMsg, QStringLiteral("There are no files to put in the package."));
    EXPECT_FALSE(std::filesystem::exists(dir / "p.dvp"));
}

TEST(WritePackage, AFailureLeavesTheOldPackageAndNoLitter)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    const auto package = dir.Write("old/Office.dvp", "the old package");
    QStringList files = PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false);
    files.insert(1, Q(dir / "vanished.jpg")); // listed, then gone before it was read

    QString errMsg;
    WritePackage(Q(package), files, errMsg);
    EXPECT_FALSE(errMsg.isEmpty());
    EXPECT_TRUE(errMsg.contains(QStringLiteral("vanished.jpg"))) << errMsg.toStdString();
    EXPECT_EQ(testsupport::ReadAll(package), "the old package");
    EXPECT_EQ(FolderContents(dir / "old").size(), 1u);
}

TEST(WritePackage, APackagePathThatIsOneOfThePackedFilesIsRefusedAndTheFileKept)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    const QStringList files = PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false);
    for (const QString& target : files) {
        const std::string before = testsupport::ReadAll(target.toStdString());
        QString errMsg;
        WritePackage(target, files, errMsg);
        EXPECT_TRUE(errMsg.contains(QStringLiteral("is the cabinet being written"))) << errMsg.toStdString();
        EXPECT_EQ(testsupport::ReadAll(target.toStdString()), before) << target.toStdString();
    }
    EXPECT_EQ(FolderContents(dir.path()).size(), StudyWithImages().size()) << "no temporaries left";
}

TEST(WritePackage, TheWritersOwnWordsReachTheCaller)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    const auto package = dir.Write("Office.dvp", "the old package");
    const QStringList files = PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false);
    for (auto at : {FailingWriter::FailAt::Create, FailingWriter::FailAt::Add, FailingWriter::FailAt::Close}) {
        FailingWriterInstalled failing(at, QStringLiteral("The disk is full."));
        QString errMsg;
        WritePackage(Q(package), files, errMsg);
        EXPECT_EQ(errMsg, QStringLiteral("The disk is full.")) << int(at);
        EXPECT_EQ(testsupport::ReadAll(package), "the old package");
    }
    {
        // A writer that fails without a word still fails.
        FailingWriterInstalled failing(FailingWriter::FailAt::Close, QString());
        QString errMsg;
        WritePackage(Q(package), files, errMsg);
        EXPECT_EQ(errMsg, QStringLiteral("The cabinet writer failed with error 0x80070070."));
    }
    // With the stand-in gone the real writer is registered again.
    QString errMsg;
    WritePackage(Q(package), files, errMsg);
    EXPECT_EQ(errMsg, QString());
    EXPECT_EQ(EntryNames(package).size(), std::size_t(files.size()));
}

TEST(WritePackage, NoWriterNoPackage)
{
    testsupport::TempDir dir;
    WriteFiles(dir, StudyWithImages());
    // Something unrelated under the writer's identifier.
    struct Other : com::Object {
        Other() : com::Object(FailingWriter::TestModule()) {}
    };
    com::ClassRegistration wrong(com::ClassInfo{kClsidCabinetWriter, "", "tests", nullptr,
                                                [] { return std::shared_ptr<com::Object>(std::make_shared<Other>()); }});
    QString errMsg;
    WritePackage(Q(dir / "p.dvp"), PackageFileList(Q(dir.path()) + QLatin1Char('/'), false, false), errMsg);
    EXPECT_TRUE(errMsg.startsWith(QStringLiteral("The cabinet writer could not be started: "))) << errMsg.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir / "p.dvp"));
}

TEST(CabinetWriterComponent, CreatedByItsIdentifierAndProgId)
{
    RegisterCabinetWriterComponent();
    auto writer = com::CreateObject<ICabinetWriter>(kClsidCabinetWriter);
    ASSERT_NE(writer, nullptr);
    EXPECT_NE(com::CreateObject<ICabinetWriter>(kCabinetWriterProgId), nullptr);
    EXPECT_EQ(kIidCabinetWriter.ToString(), "{8E17FFF2-C5BA-11D1-8D8A-0060088F38C8}");
}

TEST(CabinetWriterComponent, CallsOutOfOrderAndMissingFilesAreRefusedInWords)
{
    RegisterCabinetWriterComponent();
    auto writer = com::CreateObject<ICabinetWriter>(kClsidCabinetWriter);
    EXPECT_EQ(writer->AddCabinetFile(QStringLiteral("/x"), QStringLiteral("x")), kEUnexpected);
    EXPECT_EQ(writer->ErrorDescription(), QStringLiteral("No package has been started."));
    EXPECT_EQ(writer->CloseCabinet(), kEUnexpected);
    EXPECT_EQ(writer->CreateCabinet(QString(), false, false, false), com::kEInvalidArg);
    EXPECT_EQ(writer->ErrorDescription(), QStringLiteral("The package needs a file name."));

    testsupport::TempDir dir;
    ASSERT_EQ(writer->CreateCabinet(Q(dir / "p.dvp"), false, false, false), com::kSOk);
    EXPECT_EQ(writer->AddCabinetFile(Q(dir / "missing.jpg"), QStringLiteral("missing.jpg")),
              static_cast<com::HRESULT>(0x80070002u));
    EXPECT_TRUE(writer->ErrorDescription().contains(QStringLiteral("missing.jpg")));
    // A failed cabinet is over: nothing more is added to it, and nothing is left.
    EXPECT_EQ(writer->CloseCabinet(), kEUnexpected);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
