// The Recent Studies list: order, limit, one entry per file, files that have
// gone, the menu texts, and the list kept in the viewer's own settings file.
#include "viewer/settings/RecentStudies.h"
#include "viewer/settings/ViewerPreferences.h"

#include "TestPaths.h"

#include <QDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

QStringList Files(int from, int to)
{
    QStringList files;
    for (int k = from; k <= to; ++k)
        files << QStringLiteral("/studies/s%1.dvf").arg(k);
    return files;
}

TEST(RecentStudies, TheNewestComesFirstEachFileOnceAndEightAtMost)
{
    QStringList list;
    for (int k = 1; k <= 10; ++k)
        list = settings::WithRecentStudy(list, QStringLiteral("/studies/s%1.dvf").arg(k));
    QStringList expected = Files(3, 10);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(list, expected);

    // Opening one again moves it up; a path written another way is the same file.
    list = settings::WithRecentStudy(list, "/studies/other/../s5.dvf");
    EXPECT_EQ(list.size(), 8);
    EXPECT_EQ(list.front(), "/studies/s5.dvf");
    EXPECT_EQ(list.count("/studies/s5.dvf"), 1);
    EXPECT_EQ(list[1], "/studies/s10.dvf");

    EXPECT_EQ(settings::WithoutRecentStudy(list, "/studies/s10.dvf").size(), 7);
    EXPECT_EQ(settings::WithoutRecentStudy(list, "/studies/none.dvf"), list);
}

TEST(RecentStudies, FilesThatHaveGoneAreNamedToTheUser)
{
    const QString gone = "/a/Gone.dvp";
    const QString alsoGone = "/a/Moved.dvf";
    EXPECT_EQ(settings::MissingRecentStudyMessage({gone}),
              "The study " + QDir::toNativeSeparators(gone) +
                  " can no longer be found and has been taken off Recent Studies.");
    EXPECT_TRUE(settings::MissingRecentStudyMessage({gone, alsoGone}).endsWith(
        "\n" + QDir::toNativeSeparators(gone) + "\n" + QDir::toNativeSeparators(alsoGone)));
}

TEST(RecentStudies, MenuTextsNumberTheEntriesAndTellSameNamesApart)
{
    const QStringList list{"/a/Atrium.dvf", "/b/Atrium.dvf", "/c/R&D.dvp"};
    EXPECT_EQ(settings::RecentStudyCaption(list, 0), "&1 Atrium.dvf  (" + QDir::toNativeSeparators("/a") + ")");
    EXPECT_EQ(settings::RecentStudyCaption(list, 1), "&2 Atrium.dvf  (" + QDir::toNativeSeparators("/b") + ")");
    EXPECT_EQ(settings::RecentStudyCaption(list, 2), "&3 R&&D.dvp");
}

TEST(ViewerPreferences, KeepTheListAndTheWindowInTheirOwnFile)
{
    testsupport::TempDir temp;
    const QString file = QString::fromStdString((temp / "viewer.conf").string());
    {
        settings::ViewerPreferences preferences(file);
        EXPECT_TRUE(preferences.RecentStudies().isEmpty());
        EXPECT_TRUE(preferences.WindowGeometry().isEmpty());
        preferences.SetRecentStudies({"/a/one.dvf", "/b/two, three.dvp"});
        preferences.SetWindowGeometry(QByteArray("\x01\xd9\xd0\xcb", 4));
    }
    settings::ViewerPreferences again(file);
    EXPECT_EQ(again.FileName(), file);
    EXPECT_EQ(again.RecentStudies(), (QStringList{"/a/one.dvf", "/b/two, three.dvp"}));
    EXPECT_EQ(again.WindowGeometry(), QByteArray("\x01\xd9\xd0\xcb", 4));
    again.SetRecentStudies({});
    EXPECT_TRUE(settings::ViewerPreferences(file).RecentStudies().isEmpty());
}

} // namespace
