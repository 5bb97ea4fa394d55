// Opening help topics, and what the user is told when the help file is absent.
#include "viewer/settings/HelpTopics.h"

#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingPresenter final : public settings::HelpPresenter {
public:
    bool OpenHelp(const QString& helpFile, qint32 topicId) override
    {
        opened.push_back({helpFile, topicId});
        return opens;
    }
    void ShowMessage(const QString& text, const QString& title) override { messages.push_back({text, title}); }

    bool opens = true;
    std::vector<std::pair<QString, qint32>> opened;
    std::vector<std::pair<QString, QString>> messages;
};

class HelpTopicsTest : public ::testing::Test {
protected:
    void SetUp() override { settings::SetHelpPresenter(&presenter_); }
    void TearDown() override { settings::SetHelpPresenter(nullptr); }

    RecordingPresenter presenter_;
    testsupport::TempDir temp_;
};

TEST_F(HelpTopicsTest, TheHelpIsTheContentsPageOfTheFirstDataFolderThatHasIt)
{
    const QString empty = QString::fromStdString((temp_ / "empty").string());
    const QString installed = QString::fromStdString((temp_ / "share").string());
    temp_.Write("share/help/index.html", "<title>Help</title>");
    EXPECT_EQ(settings::HelpFilePath({empty, installed}), installed + "/help/index.html");
    // Without any, messages name the place beside the program.
    EXPECT_EQ(settings::HelpFilePath({empty}), empty + "/help/index.html");
}

TEST_F(HelpTopicsTest, EveryTopicOpensAPageThatExistsAtAnAnchorItHolds)
{
    const QString pages = HALVEX_SOURCE_DIR "/data/help/";
    for (qint32 topic : {settings::kTopicContents, settings::kTopicReadme, settings::kTopicStudyProperties,
                         settings::kTopicPackage, settings::kTopicExportFrame, settings::kTopicExportAnimation,
                         settings::kTopicExportSheet}) {
        const QUrl url = settings::HelpTopicUrl(pages + "index.html", topic);
        QFile page(url.toLocalFile());
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << topic << " " << url.toString().toStdString();
        if (url.hasFragment()) {
            EXPECT_TRUE(page.readAll().contains("id=\"" + url.fragment().toUtf8() + "\"")) << topic;
        }
    }
    EXPECT_EQ(settings::HelpTopicPage(105), "properties.html");
    EXPECT_EQ(settings::HelpTopicPage(106), "packaging.html");
    EXPECT_EQ(settings::HelpTopicPage(4711), "index.html");
}

TEST_F(HelpTopicsTest, AMissingHelpFileIsNamedWithTheTopic)
{
    const QString missing = QString::fromStdString((temp_ / "help" / "index.html").string());
    settings::ShowHelpTopic(missing, 105);
    EXPECT_TRUE(presenter_.opened.empty());
    ASSERT_EQ(presenter_.messages.size(), 1u);
    EXPECT_EQ(presenter_.messages[0].first,
              "The help file (" + QDir::toNativeSeparators(missing) +
                  ") could not be found, so help topic 105 cannot be shown. "
                  "Please reinstall HALVEX Daystrand to restore its help file.");
    EXPECT_EQ(presenter_.messages[0].second, "HALVEX Daystrand Help");
}

TEST_F(HelpTopicsTest, NoHelpFilePathOrAFolderCountsAsMissing)
{
    settings::ShowHelpTopic(QString(), 101);
    settings::ShowHelpTopic(QString::fromStdString(temp_.path().string()), 102);
    EXPECT_TRUE(presenter_.opened.empty());
    ASSERT_EQ(presenter_.messages.size(), 2u);
    EXPECT_TRUE(presenter_.messages[0].first.contains("help topic 101"));
    EXPECT_TRUE(presenter_.messages[1].first.contains("help topic 102"));
}

TEST_F(HelpTopicsTest, AnExistingHelpFileIsOpenedAtTheTopicWithoutAMessage)
{
    const auto path = temp_.Write("help/index.html", "<title>Help</title>");
    settings::ShowHelpTopic(QString::fromStdString(path.string()), 106);
    ASSERT_EQ(presenter_.opened.size(), 1u);
    EXPECT_EQ(presenter_.opened[0].first, QString::fromStdString(path.string()));
    EXPECT_EQ(presenter_.opened[0].second, 106);
    EXPECT_TRUE(presenter_.messages.empty());
}

TEST_F(HelpTopicsTest, AHelpFileNothingCanOpenIsReported)
{
    presenter_.opens = false;
    const auto path = temp_.Write("help/index.html", "<title>Help</title>");
    const QString file = QString::fromStdString(path.string());
    settings::ShowHelpTopic(file, 101);
    ASSERT_EQ(presenter_.messages.size(), 1u);
    EXPECT_EQ(presenter_.messages[0].first,
              "No program was found to open the help file (" + QDir::toNativeSeparators(file) +
                  ") at help topic 101.");
}

} // namespace
