// Unpacking study packages: packages written by gcab, packages without a
// study file, damaged packages, and entries named to escape their folder.
#include "viewer/cabreader/ExtractPackage.h"
#include "platform/cab/CabReader.h"
#include "viewer/cabreader/CabFilesCallback.h"
#include "viewer/study/StudyModule.h"
#include "tests/cabreader/ExpectCabFileError.h"
#include "tests/setupapi/StoredCabinet.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

using namespace cabreader;
using testcab::StoredCabinet;
namespace fs = std::filesystem;

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// Every regular file below root, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& root)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), root).generic_string());
    }
    return files;
}

bool HaveGcab()
{
    return std::system("gcab --version >/dev/null 2>&1") == 0;
}

// Runs gcab in `folder` over the given relative names; -z compresses.
void Gcab(const fs::path& folder, const std::string& cabinet, bool compress, const std::string& names)
{
    const std::string command = "cd '" + folder.string() + "' && gcab -c" + (compress ? "z" : "") + " '" + cabinet
                                + "' " + names + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class ExtractPackageTest : public ::testing::Test {
protected:
    void TearDown() override { CabFilesCallback::SetCurrentCabFile(nullptr); }

    testsupport::TempDir dir;
    study::StudyModule module;
};

TEST_F(ExtractPackageTest, PackagesWrittenByGcabUnpackWithTheirStudyFile)
{
    if (!HaveGcab())
        GTEST_SKIP() << "gcab is not installed";
    const fs::path source = dir / "source";
    testsupport::TempDir scratch;
    dir.Write("source/daylight.DVF", "[study]\r\n");
    dir.Write("source/v1_001.jpg", std::string(100000, '\x7f'));
    dir.Write("source/images/v1_002.jpg", "second frame");
    dir.Write("source/other.dvf", "older study");
    for (const bool compress : {false, true}) {
        SCOPED_TRACE(compress ? "gcab -cz" : "gcab -c");
        const fs::path packageFolder = dir / (compress ? "zipped" : "stored");
        fs::create_directories(packageFolder);
        Gcab(source, (packageFolder / "study.dvp").string(), compress,
             "other.dvf v1_001.jpg images/v1_002.jpg daylight.DVF");

        qint16 count = -1;
        QString found = QStringLiteral("stale");
        module.PackageStudyFile = QStringLiteral("stale");
        PackageReport report;
        ExtractPackage(module, Q(packageFolder / "study.dvp"), Q(packageFolder), count, found, &report);
        EXPECT_EQ(count, 4);
        EXPECT_EQ(found, QStringLiteral("daylight.DVF")); // the last of the two study files
        EXPECT_EQ(module.PackageStudyFile, found);
        EXPECT_TRUE(report.RefusedEntries.isEmpty());
        EXPECT_EQ(report.ExtractError, 0);
        EXPECT_EQ(FilesBelow(packageFolder), (std::set<std::string>{"study.dvp", "other.dvf", "v1_001.jpg",
                                                                     "images/v1_002.jpg", "daylight.DVF"}));
        EXPECT_EQ(testsupport::ReadAll(packageFolder / "v1_001.jpg"), std::string(100000, '\x7f'));
        EXPECT_EQ(testsupport::ReadAll(packageFolder / "images/v1_002.jpg"), "second frame");
    }
}

TEST_F(ExtractPackageTest, ALowerCaseStudyFileIsFoundAndAPackageWithoutOneGivesNone)
{
    if (!HaveGcab())
        GTEST_SKIP() << "gcab is not installed";
    dir.Write("src/study.dvf", "[study]");
    dir.Write("src/frame.jpg", "jpeg");
    dir.Write("src/notes.dvf.txt", "not a study");
    Gcab(dir / "src", (dir / "with.dvp").string(), true, "frame.jpg study.dvf notes.dvf.txt");
    Gcab(dir / "src", (dir / "without.dvp").string(), true, "frame.jpg notes.dvf.txt");

    qint16 count = 0;
    QString found;
    ExtractPackage(module, Q(dir / "with.dvp"), Q(dir / "a"), count, found);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(found, QStringLiteral("study.dvf"));

    ExtractPackage(module, Q(dir / "without.dvp"), Q(dir / "b"), count, found);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(found, QString());
    EXPECT_EQ(module.PackageStudyFile, QString());
    EXPECT_TRUE(fs::exists(dir / "b/frame.jpg"));
}

TEST_F(ExtractPackageTest, APackageThatCannotBeReadRaisesTheWalkError)
{
    qint16 count = 7;
    QString found = QStringLiteral("stale");
    module.PackageStudyFile = QStringLiteral("stale");
    const QString notCabinet = Q(dir.Write("jpeg_not_cabinet.dvp", "\xFF\xD8\xFF\xE0 not a cabinet"));
    ExpectCabFileError([&] { ExtractPackage(module, notCabinet, Q(dir.path()), count, found); }, 13, "CabFile",
                       "Invalid data.");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(found, QString());
    EXPECT_EQ(module.PackageStudyFile, QString());

    EXPECT_THROW(ExtractPackage(module, Q(dir / "missing.dvp"), Q(dir.path()), count, found), CabFileError);
}

TEST_F(ExtractPackageTest, DamagedDataIsReportedWithItsText)
{
    std::string bytes = StoredCabinet({{"study.dvf", "[study]"}, {"frame.jpg", std::string(5000, 'j')}});
    bytes.resize(bytes.size() - 2000);
    const fs::path package = dir.Write("pkg/truncated_in_data.dvp", bytes);
    qint16 count = 0;
    QString found;
    PackageReport report;
    ExtractPackage(module, Q(package), Q(dir / "pkg"), count, found, &report);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(found, QStringLiteral("study.dvf"));
    EXPECT_EQ(report.ExtractError, 13);
    EXPECT_EQ(report.ExtractErrorText, QStringLiteral("Invalid data."));
    EXPECT_FALSE(fs::exists(dir / "pkg/frame.jpg"));
}

// Each hostile name in its own package, beside a harmless entry.
TEST_F(ExtractPackageTest, EntriesNamedToEscapeTheFolderAreRefusedAndReported)
{
    const std::pair<const char*, const char*> hostile[] = {
        {"entry_with_dotdot.dvp", "..\\..\\escaped.jpg"},
        {"entry_with_inner_dotdot.dvp", "images\\..\\..\\escaped.jpg"},
        {"entry_with_slash_dotdot.dvp", "../escaped.jpg"},
        {"entry_absolute_backslash.dvp", "\\tmp\\escaped.jpg"},
        {"entry_absolute_slash.dvp", "/tmp/escaped.jpg"},
        {"entry_drive_letter.dvp", "C:\\escaped.jpg"},
        {"entry_drive_relative.dvp", "C:escaped.jpg"},
        {"entry_study_with_dotdot.dvp", "..\\escaped.dvf"},
    };
    for (const auto& [package, name] : hostile) {
        SCOPED_TRACE(package);
        testsupport::TempDir root;
        const fs::path folder = root / "a/b/package";
        fs::create_directories(folder);
        const fs::path path = root.Write(std::string("a/b/package/") + package,
                                         StoredCabinet({{"study.dvf", "[study]"}, {name, "escaped!"},
                                                        {"frame.jpg", "jpeg"}}));
        qint16 count = 0;
        QString found;
        PackageReport report;
        ExtractPackage(module, Q(path), Q(folder), count, found, &report);

        EXPECT_EQ(count, 3);
        EXPECT_EQ(found, QStringLiteral("study.dvf"));
        ASSERT_EQ(report.RefusedEntries.size(), 1);
        EXPECT_EQ(report.RefusedEntries[0].Name, QString::fromLatin1(name));
        EXPECT_EQ(report.RefusedEntries[0].Reason,
                  QStringLiteral("Its name would place it outside the folder it is extracted to."));
        EXPECT_EQ(report.ExtractError, 0);
        EXPECT_EQ(FilesBelow(root.path()), (std::set<std::string>{std::string("a/b/package/") + package,
                                                                  "a/b/package/study.dvf",
                                                                  "a/b/package/frame.jpg"}));
    }
    EXPECT_FALSE(fs::exists("/tmp/escaped.jpg"));
}

TEST_F(ExtractPackageTest, AnEntryNamedLikeThePackageDoesNotReplaceIt)
{
    const std::string bytes = StoredCabinet({{"self.dvp", "inner"}, {"study.dvf", "[study]"}});
    const fs::path package = dir.Write("self.dvp", bytes);
    qint16 count = 0;
    QString found;
    PackageReport report;
    ExtractPackage(module, Q(package), Q(dir.path()), count, found, &report);
    EXPECT_EQ(testsupport::ReadAll(package), bytes);
    ASSERT_EQ(report.RefusedEntries.size(), 1);
    EXPECT_EQ(report.RefusedEntries[0].Reason, QStringLiteral("It would replace the package it comes from."));
    EXPECT_TRUE(fs::exists(dir / "study.dvf"));
}

TEST_F(ExtractPackageTest, NothingIsWrittenThroughALinkedFolderOrOverThePackageByAnotherName)
{
    const std::string bytes = StoredCabinet({{"images\\v1.jpg", "jpeg"}, {"study.dvf", "[study]"}, {"twin.dvp", "x"}});
    const fs::path package = dir.Write("pkg.dvp", bytes);
    fs::create_directories(dir / "elsewhere");
    fs::create_directories(dir / "out");
    fs::create_directory_symlink(dir / "elsewhere", dir / "out/images");
    fs::create_hard_link(package, dir / "out/twin.dvp");
    qint16 count = 0;
    QString found;
    PackageReport report;
    ExtractPackage(module, Q(package), Q(dir / "out"), count, found, &report);
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    EXPECT_EQ(testsupport::ReadAll(package), bytes);
    EXPECT_EQ(found, QStringLiteral("study.dvf"));
    ASSERT_EQ(report.RefusedEntries.size(), 2);
    EXPECT_TRUE(report.RefusedEntries[0].Reason.startsWith(QStringLiteral("It would be written through a link: '")))
        << report.RefusedEntries[0].Reason.toStdString();
    EXPECT_EQ(report.RefusedEntries[1].Name, QStringLiteral("twin.dvp"));
    EXPECT_EQ(report.RefusedEntries[1].Reason, QStringLiteral("It would replace the package it comes from."));
}

TEST_F(ExtractPackageTest, APackageClaimingMoreThanItsLimitOrTheDiskWritesNothingAndSaysHowMuch)
{
    const fs::path bomb = HALVEX_SOURCE_DIR "/tests/cab/data/declared_sizes_beyond_any_disk.cab";
    qint16 count = 0;
    QString found;
    PackageReport report;
    ExtractPackage(module, Q(bomb), Q(dir / "out"), count, found, &report);
    EXPECT_TRUE(report.NothingWritten);
    EXPECT_EQ(report.DeclaredBytes, 3000ull * 0xFFFF0000ull);
    EXPECT_EQ(report.ExtractErrorText.toStdString(),
              "The package would write 12.9 TB (12884705280000 bytes) when unpacked, more than the 1.1 GB allowed "
              "for a package of 87.0 kB; nothing was unpacked.");
    EXPECT_FALSE(fs::exists(dir / "out"));

    // Without a limit the free space of the disk still decides.
    report = {};
    ExtractPackage(module, Q(bomb), Q(dir / "out"), count, found, &report, 0);
    EXPECT_TRUE(report.NothingWritten);
    EXPECT_TRUE(report.ExtractErrorText.contains(QStringLiteral(" are free in "))) << report.ExtractErrorText.toStdString();

    const fs::path small = dir.Write("small.dvp", StoredCabinet({{"study.dvf", std::string(5000, 's')}}));
    report = {};
    ExtractPackage(module, Q(small), Q(dir / "small"), count, found, &report, 4999);
    EXPECT_TRUE(report.NothingWritten);
    report = {};
    ExtractPackage(module, Q(small), Q(dir / "small"), count, found, &report);
    EXPECT_FALSE(report.NothingWritten);
    EXPECT_EQ(report.DeclaredBytes, 5000u);
    EXPECT_EQ(DefaultUnpackLimit(100), quint64(1) << 30);
    EXPECT_EQ(DefaultUnpackLimit(quint64(1) << 30), quint64(20) << 30);
}

// A name that must not be written as it stands: rooted, with a drive, or
// with an empty, "." or ".." component.
bool EscapesItsFolder(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\' || (name.size() > 1 && name[1] == ':'))
        return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cut = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, cut - start);
        if (part.empty() || part == "." || part == "..")
            return true;
        if (cut == std::string::npos)
            return false;
        start = cut + 1;
    }
}

TEST_F(ExtractPackageTest, TheCorpusDirectoryWalkCabinetWritesNothingOutsideItsFolder)
{
    const auto corpus = testsupport::CorpusDir("cab");
    if (!corpus || !fs::exists(*corpus / "cabextract-cabs/dirwalk-vulns.cab"))
        GTEST_SKIP() << "no dirwalk-vulns.cab in the corpus";
    const bool absoluteBefore = fs::exists("/absolute");
    testsupport::TempDir root;
    const fs::path folder = root / "x/y/z";
    fs::create_directories(folder);
    fs::copy_file(*corpus / "cabextract-cabs/dirwalk-vulns.cab", folder / "dirwalk-vulns.cab");

    qint16 count = 0;
    QString found;
    PackageReport report;
    ExtractPackage(module, Q(folder / "dirwalk-vulns.cab"), Q(folder), count, found, &report);
    EXPECT_EQ(report.ExtractError, 0) << report.ExtractErrorText.toStdString();

    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((folder / "dirwalk-vulns.cab").string()));
    EXPECT_EQ(count, qint16(reader.Entries().size()));
    std::set<QString> escaping, refused;
    for (const cab::CabEntry& entry : reader.Entries()) {
        if (EscapesItsFolder(entry.name))
            escaping.insert(QString::fromStdString(entry.name));
    }
    for (const CabRefusal& refusal : report.RefusedEntries)
        refused.insert(refusal.Name);
    EXPECT_GE(escaping.size(), 19u);
    EXPECT_EQ(refused, escaping);

    for (const std::string& file : FilesBelow(root.path()))
        EXPECT_EQ(file.rfind("x/y/z/", 0), 0u) << file;
    EXPECT_EQ(fs::exists("/absolute"), absoluteBefore);
}

TEST_F(ExtractPackageTest, DamagedCorpusCabinetsGiveAClearErrorText)
{
    const auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    int failed = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*corpus)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".cab" || name == "large-files-cab.cab")
            continue;
        SCOPED_TRACE(entry.path().string());
        testsupport::TempDir root;
        qint16 count = 0;
        QString found;
        PackageReport report;
        try {
            ExtractPackage(module, Q(entry.path()), Q(root / "out"), count, found, &report);
            if (report.ExtractError != 0) {
                ++failed;
                EXPECT_NE(report.ExtractErrorText, QStringLiteral("Unknown error."));
            }
        } catch (const CabFileError& error) {
            ++failed;
            EXPECT_NE(error.Description(), QStringLiteral("Unknown error."));
            EXPECT_EQ(error.Source(), QStringLiteral("CabFile"));
        }
        for (const std::string& file : FilesBelow(root.path()))
            EXPECT_EQ(file.rfind("out/", 0), 0u) << file;
    }
    EXPECT_GT(failed, 10);
}

} // namespace
