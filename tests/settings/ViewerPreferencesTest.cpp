// The viewer's own settings: a file of their own beside, never inside, the
// values the HALVEX product shares.
#include "viewer/settings/ViewerPreferences.h"

#include "TestPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

TEST(ViewerPreferences, CaptionsAndLinkedPanelsAreRememberedInTheViewersOwnFile)
{
    testsupport::TempDir temp;
    const QString config = QString::fromStdString((temp / "config").string());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    {
        settings::ViewerPreferences preferences;
        EXPECT_EQ(QDir::cleanPath(preferences.FileName()), config + "/HALVEX/HALVEX-Daystrand.ini");
        EXPECT_FALSE(preferences.ShowCaptions());
        EXPECT_TRUE(preferences.LinkPanels());
        preferences.SetShowCaptions(true);
        preferences.SetLinkPanels(false);
    }
    EXPECT_TRUE(settings::ViewerPreferences().ShowCaptions());
    EXPECT_FALSE(settings::ViewerPreferences().LinkPanels());
    EXPECT_FALSE(QFileInfo::exists(config + "/HALVEX-FileSystem")) << "the shared settings stay untouched";

    const QString own = QString::fromStdString((temp / "elsewhere.ini").string());
    settings::ViewerPreferences other(own);
    EXPECT_EQ(other.FileName(), own);
    EXPECT_FALSE(other.ShowCaptions());
    other.SetShowCaptions(true);
    other.Sync();
    EXPECT_TRUE(QFileInfo::exists(own));
}
