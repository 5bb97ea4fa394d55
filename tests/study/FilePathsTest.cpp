// SplitFilePath, FileBaseName, FileExists and ResolveStudyFile at their edges.
#include "StudyFiles.h"

#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyFolderIndex.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace studytest;

namespace {

struct Split {
    QString path;
    QString folder;
    QString ext;
};

Split SplitOf(const char* text)
{
    Split result{Q(text), Q("stale"), Q("stale")};
    study::SplitFilePath(result.path, result.folder, result.ext);
    return result;
}

QString BaseOf(const char* text)
{
    QString path = Q(text);
    const QString base = study::FileBaseName(path);
    EXPECT_EQ(path, base) << "Path must be replaced by the base name";
    return base;
}

QString Native(const std::filesystem::path& p)
{
    return QDir::toNativeSeparators(QString::fromStdString(p.string()));
}

} // namespace

TEST(FilePaths, SplitFilePathKeepsTheSeparatorAndTheDot)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\Data\\Study.dvf", "C:\\Data\\", "Study", ".dvf"},
        {"C:\\Data\\Study.north.dvf", "C:\\Data\\", "Study.north", ".dvf"},
        {"C:\\Data.old\\Study", "C:\\Data.old\\", "Study", ".old\\Study"},
        {"Study.dvf", "", "Study", ".dvf"},
        {"C:\\Data\\", "C:\\Data\\", "", ""},
        {"", "", "", ""},
        {"C:\\Data\\.hidden", "C:\\Data\\", "", ".hidden"},
        {"Study.", "", "Study", "."},
        // "/" separates folders as well, and the last separator of either kind counts.
        {"/home/ana/Study.dvf", "/home/ana/", "Study", ".dvf"},
        {"C:\\Data/sub\\v1.jpg", "C:\\Data/sub\\", "v1", ".jpg"},
        {"C:/Data.old\\Study", "C:/Data.old\\", "Study", ".old\\Study"},
        {"Caf\xC3\xA9\\\xE2\x82\xAC.dvf", "Caf\xC3\xA9\\", "\xE2\x82\xAC", ".dvf"},
    };
    for (const Case& c : cases) {
        const Split split = SplitOf(c.path);
        EXPECT_EQ(split.folder, Q(c.folder)) << c.path;
        EXPECT_EQ(split.path, Q(c.name)) << c.path;
        EXPECT_EQ(split.ext, Q(c.ext)) << c.path;
    }
}

TEST(FilePaths, FileBaseNameStopsAtTheFirstDot)
{
    EXPECT_EQ(BaseOf("C:\\Data\\Study.north.dvf"), "Study");
    EXPECT_EQ(BaseOf("C:\\Data.old\\Study"), "Study");
    EXPECT_EQ(BaseOf("/srv/studies/v1_001.jpg"), "v1_001");
    EXPECT_EQ(BaseOf("Study"), "Study");
    EXPECT_EQ(BaseOf("C:\\Data\\.hidden"), "");
    EXPECT_EQ(BaseOf("C:\\Data\\"), "");
    EXPECT_EQ(BaseOf(""), "");
}

TEST(FilePaths, FileExistsAsksTheFileSystemOnlyForPlausibleNames)
{
    testsupport::TempDir dir;
    const auto file = dir.Write("Study.dvf", "x");
    const auto hidden = dir.Write(".hidden", "x");
    dir.Write("sub/v1.jpg", "x");

    EXPECT_TRUE(study::FileExists(Native(file)));
    EXPECT_TRUE(study::FileExists(Native(dir.path()))); // a folder counts
    EXPECT_FALSE(study::FileExists(Native(dir / "Missing.dvf")));
    EXPECT_FALSE(study::FileExists(Native(hidden)));     // there, but its base name is empty
    EXPECT_FALSE(study::FileExists(Native(dir.path()) + "/")); // same: nothing after the separator
    EXPECT_FALSE(study::FileExists(""));
    EXPECT_FALSE(study::FileExists("    "));
    // Only the test trims: the file system is asked for the path as given.
    EXPECT_FALSE(study::FileExists(Native(file) + " "));
    // A Windows separator in a name put together from a study still finds the file.
    EXPECT_TRUE(study::FileExists(Native(dir.path()) + "/sub\\v1.jpg"));
}

TEST(FilePaths, ResolveStudyFileFallsBackToAnyCase)
{
    testsupport::TempDir dir;
    const auto image = dir.Write("Images/v1_001.jpg", "x");
    dir.Write("top.JPG", "x");
    const QString folder = Native(dir.path());

    // As written, with either separator and with or without a trailing one.
    EXPECT_EQ(study::ResolveStudyFile(folder + "/", "Images\\v1_001.jpg"), Native(image));
    EXPECT_EQ(study::ResolveStudyFile(folder, "Images/v1_001.jpg"), Native(image));
    EXPECT_EQ(study::ResolveStudyFile(folder + "\\", "Images\\v1_001.jpg"), Native(image));

    // A different case in the folder and in the file name.
    EXPECT_EQ(study::ResolveStudyFile(folder, "IMAGES\\V1_001.JPG"), Native(image));
    EXPECT_EQ(study::ResolveStudyFile(folder, "Top.jpg"), Native(dir / "top.JPG"));

    // Nothing matches: the path as written comes back, for the caller to report.
    EXPECT_EQ(study::ResolveStudyFile(folder, "images\\v1_002.jpg"), folder + "/images/v1_002.jpg");
    EXPECT_EQ(study::ResolveStudyFile(folder, "nothere\\v1_001.jpg"), folder + "/nothere/v1_001.jpg");
}

TEST(StudyFolderIndex, EachFolderIsListedOnceWhateverTheLetterCaseOfTheNames)
{
    testsupport::TempDir dir;
    for (int k = 1; k <= 40; ++k)
        dir.Write("Images/v1_" + std::to_string(k) + ".jpg", "x");
    dir.Write("a.jpg", "x");
    dir.Write("A.jpg", "x");
    const QString folder = Native(dir.path());

    study::StudyFolderIndex exact(folder);
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(exact.Find(QString("Images\\v1_%1.jpg").arg(k)), folder + QString("/Images/v1_%1.jpg").arg(k));
    EXPECT_EQ(exact.Listings(), 0); // names as written need no listing

    study::StudyFolderIndex anyCase(folder + "/");
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(anyCase.Find(QString("IMAGES\\V1_%1.JPG").arg(k)), folder + QString("/Images/v1_%1.jpg").arg(k));
    EXPECT_EQ(anyCase.Find("images/./v1_2.JPG"), folder + "/Images/./v1_2.jpg");
    EXPECT_EQ(anyCase.Listings(), 2); // the study folder and Images, once each

    // Two spellings on disk: the exact one wins, otherwise the first in order.
    EXPECT_EQ(anyCase.Find("a.jpg"), folder + "/a.jpg");
    EXPECT_EQ(anyCase.Find("A.jpg"), folder + "/A.jpg");
    EXPECT_EQ(anyCase.Find("a.JPG"), folder + "/A.jpg");

    // What FileExists never finds, and what is not there in any case.
    EXPECT_EQ(anyCase.Find(""), "");
    EXPECT_EQ(anyCase.Find("   "), "");
    EXPECT_EQ(anyCase.Find("images\\.v1_1.jpg"), "");
    EXPECT_EQ(anyCase.Find("images\\v1_41.jpg"), "");
    EXPECT_EQ(anyCase.Find("elsewhere\\v1_1.jpg"), "");
    EXPECT_EQ(anyCase.Listings(), 2);
}
