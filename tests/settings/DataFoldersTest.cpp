// Where the viewer finds its data: beside the program in the build tree,
// then the installed share/ folder relative to the program, then the
// desktop's data folders.
#include "viewer/settings/DataFolders.h"

#include "TestPaths.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(DataFolders, BesideTheProgramThenTheInstalledShareFolderThenTheDesktops)
{
    testsupport::TempDir temp;
    const QString prefix = QString::fromStdString(temp.path().string());
    const QByteArray saved = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", (prefix + "/xdg1:" + prefix + "/xdg2").toUtf8());
    const QStringList folders = settings::DataFolders(prefix + "/bin");
    qputenv("XDG_DATA_DIRS", saved);

    ASSERT_GE(folders.size(), 4);
    EXPECT_EQ(folders[0], prefix + "/bin");
    EXPECT_EQ(folders[1], prefix + "/share/halvex-daystrand");
    EXPECT_TRUE(folders.contains(prefix + "/xdg1/halvex-daystrand"));
    EXPECT_LT(folders.indexOf(prefix + "/xdg1/halvex-daystrand"), folders.indexOf(prefix + "/xdg2/halvex-daystrand"));
}

TEST(DataFolders, TheFirstFolderThatHoldsTheFileWins)
{
    testsupport::TempDir temp;
    const QString root = QString::fromStdString(temp.path().string());
    temp.Write("installed/help/index.html", "installed");
    temp.Write("beside/HALVEX-Daystrand.jpg", "picture");
    temp.Write("installed/HALVEX-Daystrand.jpg", "older picture");
    const QStringList folders{root + "/beside", root + "/installed"};
    EXPECT_EQ(settings::FindDataFile(folders, "HALVEX-Daystrand.jpg"), root + "/beside/HALVEX-Daystrand.jpg");
    EXPECT_EQ(settings::FindDataFile(folders, "help/index.html"), root + "/installed/help/index.html");
    EXPECT_EQ(settings::FindDataFile(folders, "help/missing.html"), "");
    EXPECT_EQ(settings::FindDataFile({}, "help/index.html"), "");
}

} // namespace
