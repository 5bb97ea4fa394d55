// The menu bar: its items as the user sees them, the commands they run, and
// the About box.
#include "WindowFixture.h"

#include "viewer/window/UiHelpPresenter.h"
#include "viewer/window/frmAbout.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace windowtest {
namespace {

class MenuTest : public WindowTest {
protected:
    // Each menu as "caption|item|item|-|item", separators as "-".
    QStringList MenuTexts()
    {
        QStringList menus;
        for (QAction* title : window_->stbMain()->actions()) {
            QStringList items{title->objectName() + "=" + title->text()};
            for (QAction* item : title->menu()->actions())
                items << (item->isSeparator() ? QStringLiteral("-") : item->objectName() + "=" + item->text());
            menus << items.join('|');
        }
        return menus;
    }

    // Clicks an item the way the user does, through its action.
    void Click(const char* id)
    {
        QAction* action = window_->findChild<QAction*>(QLatin1String(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
};

TEST_F(MenuTest, TheMenuBarHoldsEveryItemInOrderWithItsSeparators)
{
    EXPECT_EQ(window_->stbMain()->objectName(), "stbMain");
    // The key of each item in the shortcut column, after a tab.
    const QStringList expected{
        "ID_FileMenu=&File|ID_Open=&Open...\tCtrl+O|ID_RecentStudies=Recent S&tudies|-|"
        "ID_StudyProperties=&Study Properties...|"
        "ID_PackageStudy=&Package Study...|-|ID_ExportFrame=Export &Frame...|"
        "ID_ExportAnimation=Export &Animation...|ID_ExportContactSheet=Export &Contact Sheet...|-|"
        "ID_Exit=&Exit\tCtrl+Q",
        "ID_EditMenu=&Edit|ID_CopyFrame=&Copy Frame\tCtrl+C",
        "ID_PlaybackMenu=&Playback|ID_FirstFrame=&First Frame\tHome|"
        "ID_PreviousFrame=&Previous Frame\tLeft Arrow|ID_StartPlayback=&Start Playback\tUp Arrow, Space|"
        "ID_StopPlayback=St&op Playback\tDown Arrow, Space|ID_NextFrame=&Next Frame\tRight Arrow|"
        "ID_LastFrame=&Last Frame\tEnd|-|ID_ToggleScreen=&Toggle Screen\tF11|-|"
        "ID_ShiftViewDisplayUp=Shift View Display &Up\tPgUp|"
        "ID_ShiftViewDisplayDown=Shift View Display &Down\tPgDn",
        "ID_ViewMenu=&View|ID_PanelCaptions=Panel &Captions|-|ID_LinkPanels=&Link Panels|ID_ZoomIn=Zoom &In\t+|"
        "ID_ZoomOut=Zoom &Out\t-|ID_ZoomFit=&Fit to Panel\t0|ID_ZoomActualSize=&Actual Size\t1",
        "ID_CompareMenu=&Compare|ID_CompareWipe=&Wipe|ID_CompareDifference=&Difference|-|"
        "ID_CompareSigned=&Signed Luminance Colours|ID_CompareMoreGain=&More Gain\t]|"
        "ID_CompareLessGain=&Less Gain\t[|-|ID_ComparePanels=Compare &Panels...",
        "ID_HelpMenu=&Help|ID_Readme=&Readme...|ID_ContentsAndIndex=&Contents And Index...\tF1|-|"
        "ID_About...=&About...",
    };
    EXPECT_EQ(MenuTexts(), expected);
}

TEST_F(MenuTest, MenuTitlesAndUnknownOrMiscasedIdentifiersRunNothing)
{
    Open(WriteStudy(SimpleStudy(1, 3)));
    window_->cmdLast_Click();
    for (const char* tool :
         {"ID_FileMenu", "ID_PlaybackMenu", "ID_ViewMenu", "ID_CompareMenu", "ID_HelpMenu", "id_firstframe",
          "ID_FirstFrame ", ""})
        window_->stbMain_ToolClick(QString::fromLatin1(tool));
    EXPECT_EQ(module_.CurrentFrame, 3);
    EXPECT_TRUE(ui_.modals.empty());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MenuTest, PlaybackItemsStepThroughTheFrames)
{
    Open(WriteStudy(SimpleStudy(1, 4)));
    Click("ID_LastFrame");
    EXPECT_EQ(module_.CurrentFrame, 4);
    Click("ID_PreviousFrame");
    EXPECT_EQ(module_.CurrentFrame, 3);
    Click("ID_FirstFrame");
    EXPECT_EQ(module_.CurrentFrame, 1);
    Click("ID_NextFrame");
    EXPECT_EQ(module_.CurrentFrame, 2);
    EXPECT_EQ(Shown(0), 2);

    Click("ID_StartPlayback");
    EXPECT_TRUE(module_.PlaybackRunning);
    Click("ID_StopPlayback");
    EXPECT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
}

TEST_F(MenuTest, ToggleScreenTwiceBringsTheColumnBack)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    auto* site = Find<QGroupBox>("fraHALVEX(1)");
    const int left = Panel(0)->x();
    Click("ID_ToggleScreen");
    EXPECT_TRUE(module_.ScreenToggled);
    EXPECT_TRUE(site->isHidden());
    EXPECT_LT(Panel(0)->x(), left);
    Click("ID_ToggleScreen");
    EXPECT_FALSE(module_.ScreenToggled);
    EXPECT_FALSE(site->isHidden());
    EXPECT_EQ(Panel(0)->x(), left);
}

TEST_F(MenuTest, ShiftItemsRotateTheDisplayCaptions)
{
    Open(WriteStudy(SimpleStudy(4, 1)));
    Click("ID_ShiftViewDisplayUp");
    const QString up = Display(0)->text() + Display(1)->text() + Display(2)->text() + Display(3)->text();
    Click("ID_ShiftViewDisplayDown");
    EXPECT_EQ(Display(0)->text() + Display(1)->text() + Display(2)->text() + Display(3)->text(), "1234");
    EXPECT_NE(up, "1234");
}

TEST_F(MenuTest, StudyPropertiesNeedsFramesAndThenOpensTheTableModally)
{
    Click("ID_StudyProperties");
    EXPECT_TRUE(ui_.modals.empty());
    EXPECT_TRUE(ui_.messages.empty());

    Open(WriteStudy(SimpleStudy(2, 3)));
    Click("ID_StudyProperties");
    ASSERT_EQ(ui_.modals.size(), 1u);
    EXPECT_EQ(ui_.modals[0].objectName, "frmDSFProperties");
    EXPECT_EQ(ui_.modals[0].windowTitle, "Daylight Study Properties");
}

TEST_F(MenuTest, PackageStudyWithoutAStudyTellsTheUserToOpenOne)
{
    Click("ID_PackageStudy");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, "Package Study");
    EXPECT_TRUE(ui_.modals.empty());

    Open(WriteStudy(SimpleStudy(1, 2)));
    Click("ID_PackageStudy");
    ASSERT_EQ(ui_.modals.size(), 1u);
    EXPECT_EQ(ui_.modals[0].objectName, "frmDSFPackage");
}

TEST_F(MenuTest, ExitIsRefusedDuringPlaybackAndClosesAfterStop)
{
    window_->show();
    Open(WriteStudy(SimpleStudy(1, 50)));
    window_->cmdPlay_Click();
    Click("ID_Exit");
    EXPECT_TRUE(window_->isVisible());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Can not exit during study playback. Please stop playback and try again.");

    window_->cmdStop_Click();
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    Click("ID_Exit");
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MenuTest, HelpItemsAskForTheirTopics)
{
    viewer::UiHelpPresenter presenter(ui_);
    settings::SetHelpPresenter(&presenter);
    module_.HelpFile = PathOf("missing-help.chm");
    Click("ID_Readme");
    Click("ID_ContentsAndIndex");
    settings::SetHelpPresenter(nullptr);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, settings::MissingHelpMessage(module_.HelpFile, settings::kTopicReadme));
    EXPECT_EQ(ui_.messages[1].text, settings::MissingHelpMessage(module_.HelpFile, settings::kTopicContents));
}

TEST_F(MenuTest, AboutShowsTheBuildsVersionAndClosesLikeClose)
{
    QString version;
    bool onTop = false;
    ui_.onModal = [&](QDialog& dialog) {
        version = dialog.findChild<QLabel*>("labVersion")->text();
        onTop = dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        dialog.show();
        dialog.close(); // the title bar's close button
        return dialog.result();
    };
    Click("ID_About...");
    ASSERT_EQ(ui_.modals.size(), 1u);
    EXPECT_EQ(ui_.modals[0].objectName, "frmAbout");
    EXPECT_EQ(ui_.modals[0].windowTitle, "About HALVEX Daystrand");
    EXPECT_EQ(version, "Version: 2.0  Revision:  0");
    EXPECT_TRUE(onTop);
}

TEST(AboutBox, LabelsComeFromTheVersionInformation)
{
    viewer::VersionInfo info{"Other Product", 12, 3, 45, "", "Copyright line"};
    viewer::frmAbout about(nullptr, info);
    EXPECT_EQ(about.windowTitle(), "About Other Product");
    EXPECT_EQ(about.findChild<QLabel*>("labProductName")->text(), "Other Product");
    EXPECT_EQ(about.findChild<QLabel*>("labVersion")->text(), "Version: 12.3  Revision:  45");
    EXPECT_EQ(about.findChild<QLabel*>("labDescription")->text(), "");
    EXPECT_EQ(about.findChild<QLabel*>("labCopyright")->text(), "Copyright line");
    EXPECT_EQ(about.findChild<QPushButton*>("cmdOk")->text(), "Close");
    EXPECT_EQ(about.findChild<QGroupBox*>("fraAbout")->title(), "Information");
    EXPECT_EQ(about.findChild<QLabel*>("imgLogo")->pixmap().size(), QSize(16, 16));

    about.show();
    about.findChild<QPushButton*>("cmdOk")->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

} // namespace
} // namespace windowtest
