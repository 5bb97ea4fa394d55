// Reading the values the HALVEX product leaves, from a private settings folder.
#include "viewer/settings/StudySettings.h"

#include "TestPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

class StudySettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config_ = QString::fromStdString((temp_ / "config").string());
        documents_ = QString::fromStdString((temp_ / "home" / "My Documents").string());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_);
        // The documents folder comes from the user's folder list in the
        // configuration folder.
        savedXdg_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", (temp_ / "xdg").string().c_str());
        temp_.Write("xdg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + documents_.toStdString() + "\"\n");
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedXdg_); }

    void WriteIni(const std::string& text) { temp_.Write("config/HALVEX-FileSystem/HALVEX-FileSystem.ini", text); }

    testsupport::TempDir temp_;
    QString config_;
    QString documents_;
    QByteArray savedXdg_;
};

TEST_F(StudySettingsTest, NothingStoredGivesNoFileAndTheHalvexFolderInDocuments)
{
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFile, QString());
    EXPECT_EQ(values.CurrentFolder, documents_ + "/HALVEX");
    // The documents folder is made for the user; the HALVEX folder is the product's to make.
    EXPECT_TRUE(QFileInfo(documents_).isDir());
    EXPECT_FALSE(QFileInfo::exists(documents_ + "/HALVEX"));
}

TEST_F(StudySettingsTest, StoredValuesAreUsedAsTheyStandEvenForAMissingFolder)
{
    WriteIni("[FSSettings]\r\n"
             "FSDaylightStudyCurrentFolder=/nowhere/Studies/\r\n"
             "FSDaylightStudyCurrentFile=/elsewhere/North Office.dvf\r\n");
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFolder, "/nowhere/Studies/");
    EXPECT_EQ(values.CurrentFile, "/elsewhere/North Office.dvf");
}

TEST_F(StudySettingsTest, AnEmptyFolderValueGetsTheDefault)
{
    WriteIni("[FSSettings]\nFSDaylightStudyCurrentFolder=\nFSDaylightStudyCurrentFile=/s/a.dvf\n");
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFolder, documents_ + "/HALVEX");
    EXPECT_EQ(values.CurrentFile, "/s/a.dvf");
}

TEST_F(StudySettingsTest, NamesAreMatchedExactly)
{
    WriteIni("[FSSettings]\nfsdaylightstudycurrentfile=/wrong/case.dvf\n"
             "[OtherSettings]\nFSDaylightStudyCurrentFolder=/wrong/section/\n");
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFile, QString());
    EXPECT_EQ(values.CurrentFolder, documents_ + "/HALVEX");
}

TEST_F(StudySettingsTest, ValuesWrittenThroughTheSettingsStoreComeBackWhole)
{
    {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, "HALVEX-FileSystem", "HALVEX-FileSystem");
        store.setValue("FSSettings/FSDaylightStudyCurrentFolder", "C:\\Studies\\North, 2024\\");
        store.setValue("FSSettings/FSDaylightStudyCurrentFile", QString::fromUtf8("/home/zoë/Café; \"A\"=1.dvf"));
    }
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFolder, "C:\\Studies\\North, 2024\\");
    EXPECT_EQ(values.CurrentFile, QString::fromUtf8("/home/zoë/Café; \"A\"=1.dvf"));
}

TEST_F(StudySettingsTest, AHandWrittenValueWithACommaIsNotCutIntoPieces)
{
    WriteIni("[FSSettings]\nFSDaylightStudyCurrentFolder=/data/Studies, 2024/\n"
             "FSDaylightStudyCurrentFile=/data/Studies, 2024/North,  Office.dvf\n");
    const settings::StudySettings values = settings::ReadStudySettings();
    EXPECT_EQ(values.CurrentFolder, "/data/Studies, 2024/");
    EXPECT_EQ(values.CurrentFile, "/data/Studies, 2024/North,  Office.dvf");
}

TEST_F(StudySettingsTest, TheStoreIsTheProductsIniFileInTheUsersConfiguration)
{
    EXPECT_EQ(QDir::cleanPath(settings::StudySettingsLocation()),
              QDir::cleanPath(config_ + "/HALVEX-FileSystem/HALVEX-FileSystem.ini"));
}

} // namespace
