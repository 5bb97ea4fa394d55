// Which files of a study's folder are packed, and the creation test that must
// never harm a package already at the path.
#include "PackagingFixtures.h"

#include "viewer/packaging/PackageFiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using namespace packaging;
using namespace packtest;

namespace {

QStringList Names(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    return names;
}

QStringList Sorted(QStringList list)
{
    list.sort(Qt::CaseInsensitive);
    return list;
}

} // namespace

TEST(PackageFiles, EndingsAreComparedUpperCased)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    std::filesystem::create_directory(dir / "images.jpg"); // a folder is never packed
    const QString folder = Q(dir.path()) + QLatin1Char('/');

    const QStringList plain = PackageFileList(folder, false, false);
    EXPECT_EQ(Sorted(Names(plain)), Sorted({"a.jpg", "B.JPG", "c.Jpg", "second.DvF", "study.dvf"}));
    for (const QString& path : plain)
        EXPECT_TRUE(path.startsWith(folder)) << path.toStdString();

    EXPECT_EQ(Sorted(Names(PackageFileList(folder, true, false))),
              Sorted({"a.jpg", "B.JPG", "c.Jpg", "project.Hvx", "second.DvF", "study.dvf"}));
    EXPECT_EQ(Sorted(Names(PackageFileList(folder, false, true))),
              Sorted({"a.jpg", "B.JPG", "c.Jpg", "render.rsf", "second.DvF", "study.dvf"}));
    EXPECT_EQ(PackageFileList(folder, true, true).size(), 7);
}

TEST(PackageFiles, OnlyNormalFilesAreListed)
{
    testsupport::TempDir dir;
    dir.Write("shown.jpg", "x");
    dir.Write(".hidden.jpg", "x");
    dir.Write("sub/inner.jpg", "x");
    std::filesystem::create_symlink(dir / "missing.jpg", dir / "dangling.jpg");
    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_EQ(ListNormalFiles(Q(dir.path())), QStringList{"shown.jpg"});
    EXPECT_TRUE(ListNormalFiles(Q(dir / "no such folder")).isEmpty());
}

TEST(PackageFiles, EndingTests)
{
    EXPECT_TRUE(HasEnding(QStringLiteral("x.dvf"), kEndingStudy));
    EXPECT_TRUE(HasEnding(QStringLiteral(".JPG"), kEndingImage));
    EXPECT_FALSE(HasEnding(QStringLiteral("x.jpeg"), kEndingImage));
    EXPECT_FALSE(HasEnding(QStringLiteral("JPG"), kEndingImage));
    EXPECT_FALSE(HasEnding(QStringLiteral("x.jpg "), kEndingImage));
    EXPECT_TRUE(AnyHasEnding({"a.txt", "b.hVx"}, kEndingHalvex));
    EXPECT_FALSE(AnyHasEnding({"a.txt", "b.hvx.bak"}, kEndingHalvex));
    EXPECT_FALSE(AnyHasEnding({}, kEndingRsf));
}

TEST(PackageFiles, StudyFolderKeepsItsSeparator)
{
    EXPECT_EQ(StudyFolderOf(QStringLiteral("/data/studies/office.dvf")), QStringLiteral("/data/studies/"));
    EXPECT_EQ(StudyFolderOf(QStringLiteral("C:\\Data\\Study.dvf")), QStringLiteral("C:\\Data\\"));
    EXPECT_EQ(StudyFolderOf(QStringLiteral("office.dvf")), QString());
}

TEST(CanCreateFile, ANewNameIsCreatedAndRemovedAgain)
{
    testsupport::TempDir dir;
    const auto target = dir / "new.dvp";
    EXPECT_TRUE(CanCreateFile(Q(target)));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(CanCreateFile, AnExistingPackageIsLeftExactlyAsItWas)
{
    testsupport::TempDir dir;
    const auto target = dir.Write("old.dvp", "the old package, to be kept");
    const auto before = std::filesystem::last_write_time(target);
    EXPECT_TRUE(CanCreateFile(Q(target)));
    EXPECT_EQ(testsupport::ReadAll(target), "the old package, to be kept");
    EXPECT_EQ(std::filesystem::last_write_time(target), before);
    // Nothing of the test stays behind in the folder.
    EXPECT_EQ(FolderContents(dir.path()).size(), 1u);
}

TEST(CanCreateFile, PathsThatCannotTakeAPackage)
{
    testsupport::TempDir dir;
    EXPECT_FALSE(CanCreateFile(QString()));
    EXPECT_FALSE(CanCreateFile(Q(dir / "missing folder" / "x.dvp")));
    EXPECT_FALSE(CanCreateFile(Q(dir.path()))); // a folder
    std::filesystem::create_directory(dir / "folder.dvp");
    EXPECT_FALSE(CanCreateFile(Q(dir / "folder.dvp")));
    std::filesystem::create_symlink(dir / "nowhere" / "x", dir / "dangling.dvp");
    EXPECT_FALSE(CanCreateFile(Q(dir / "dangling.dvp")));
}

TEST(CanCreateFile, FilesAndFoldersWithoutWriteRights)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write anywhere";
    testsupport::TempDir dir;
    const auto readOnly = dir.Write("readonly.dvp", "kept");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    EXPECT_FALSE(CanCreateFile(Q(readOnly)));
    EXPECT_EQ(testsupport::ReadAll(readOnly), "kept");

    // A writable package in a folder that takes no new files: the new package
    // could not be written beside it.
    std::filesystem::create_directory(dir / "locked");
    const auto inLocked = dir.Write("locked/old.dvp", "kept too");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(CanCreateFile(Q(inLocked)));
    EXPECT_FALSE(CanCreateFile(Q(dir / "locked" / "new.dvp")));
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(testsupport::ReadAll(inLocked), "kept too");
}
