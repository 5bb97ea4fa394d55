// Filling the panels from a study and choosing each panel's images.
#include "WindowFixture.h"

#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTextEdit>

namespace windowtest {
namespace {

using PanelsTest = WindowTest;

TEST_F(PanelsTest, OneViewFillsPanelZeroOnly)
{
    Open(WriteStudy(SimpleStudy(1, 3)));
    EXPECT_EQ(window_->windowTitle(), "HALVEX Daystrand - Study Name: Test Study");
    EXPECT_EQ(Views(0)->currentText(), "View A");
    EXPECT_TRUE(Display(0)->isChecked());
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(Views(i)->currentText(), "<Select View>");
        EXPECT_FALSE(Display(i)->isChecked());
        EXPECT_TRUE(Panel(i)->isHidden());
        EXPECT_EQ(Panel(i)->ImageCount(), 0);
    }
    EXPECT_FALSE(Panel(0)->isHidden());
    EXPECT_EQ(Panel(0)->ImageCount(), 3);
    EXPECT_EQ(module_.TotalFrames, 3);
    EXPECT_EQ(Box("txtTotalFrames")->text(), " 3");
    EXPECT_EQ(Box("txtCurrentFrame")->text(), " 1");
    EXPECT_EQ(Shown(0), 1);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PanelsTest, SiteFieldsAreSpaceSigned)
{
    Open(WriteStudy(SimpleStudy(1, 1)));
    EXPECT_EQ(Find<QTextEdit>("rtfSiteName")->toPlainText(), "Test Site");
    EXPECT_EQ(Box("txtSiteLatitude")->text(), " 42.5");
    EXPECT_EQ(Box("txtSiteLongitude")->text(), "-71.25");
    EXPECT_EQ(Box("txtSiteCompass")->text(), " 0");
}

TEST_F(PanelsTest, TwoViewsLoadTwoPanelsAndTheProgressEndsAtOneHundred)
{
    std::vector<double> progress;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::LoadProgressChanged,
                     [&progress](double value) { progress.push_back(value); });
    Open(WriteStudy(SimpleStudy(2, 2)));
    EXPECT_EQ(Views(0)->currentText(), "View A");
    EXPECT_EQ(Views(1)->currentText(), "View B");
    EXPECT_EQ(Views(2)->currentText(), "<Select View>");
    EXPECT_EQ(Panel(2)->ImageCount(), 0);
    EXPECT_EQ(Panel(1)->ImageCount(), 2);
    EXPECT_EQ(progress, (std::vector<double>{0, 12.5, 25, 25, 37.5, 50, 50, 75, 100}));
    EXPECT_TRUE(Find<QGroupBox>("fraLoad")->isHidden());
}

TEST_F(PanelsTest, ACloseDuringAPanelLoadIsRefusedAndTheLoadCompletes)
{
    bool refused = false;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::LoadProgressChanged, [&](double value) {
        if (value > 0 && value < 25 && !refused)
            refused = !window_->close();
    });
    Open(WriteStudy(SimpleStudy(1, 4)));
    EXPECT_TRUE(refused);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(Panel(0)->ImageCount(), 4);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PanelsTest, SixViewsFillFourPanelsAndEveryListOffersAllSix)
{
    Open(WriteStudy(SimpleStudy(6, 1)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Views(i)->currentText(), QString("View ") + QChar('A' + i));
        ASSERT_EQ(Views(i)->count(), 7);
        EXPECT_EQ(Views(i)->itemText(0), "<Select View>");
        EXPECT_EQ(Views(i)->itemText(6), "View F");
        EXPECT_TRUE(Display(i)->isChecked());
    }
}

TEST_F(PanelsTest, ProgressOfAFourSampleViewInPanelTwo)
{
    Study study = SimpleStudy(3, 4);
    std::vector<double> progress;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::LoadProgressChanged,
                     [&progress](double value) { progress.push_back(value); });
    Open(WriteStudy(study));
    // Panel 2's images: 50 + 6.25 per image, then its quarter is complete.
    const std::vector<double> third(progress.begin() + 11, progress.begin() + 16);
    EXPECT_EQ(third, (std::vector<double>{56.25, 62.5, 68.75, 75, 75}));
}

TEST_F(PanelsTest, ColourAndElectricOptionsFollowTheMasks)
{
    Study study = SimpleStudy(1, 2);
    study.colorMask = 3;
    study.electricMask = 3;
    Open(WriteStudy(study));
    EXPECT_TRUE(Option("optRGB", 0)->isChecked());
    EXPECT_TRUE(Option("optPseudo", 0)->isEnabled());
    EXPECT_TRUE(Option("optElectricOn", 0)->isChecked());
    EXPECT_TRUE(Option("optElectricOff", 0)->isEnabled());
    // Lighting on matches none of these samples (all off): the panel is empty.
    EXPECT_EQ(Panel(0)->ImageCount(), 0);
    EXPECT_EQ(module_.TotalFrames, 0);

    study.colorMask = 2;
    study.electricMask = 2;
    Open(WriteStudy(study, "second.dvf"));
    EXPECT_FALSE(Option("optRGB", 3)->isEnabled());
    EXPECT_TRUE(Option("optPseudo", 3)->isChecked());
    EXPECT_FALSE(Option("optElectricOn", 3)->isEnabled());
    EXPECT_TRUE(Option("optElectricOff", 3)->isChecked());
    ASSERT_EQ(Panel(0)->ImageCount(), 2);
    EXPECT_EQ(ShownImage(0).pixelColor(16, 10).blue() > 150, true); // the pseudo-colour frame
}

TEST_F(PanelsTest, NoColourBitDisablesBothOptionsAndLoadsPseudoColour)
{
    Study study = SimpleStudy(1, 2);
    study.colorMask = 0;
    Open(WriteStudy(study));
    EXPECT_FALSE(Option("optRGB", 0)->isEnabled());
    EXPECT_FALSE(Option("optPseudo", 0)->isEnabled());
    ASSERT_EQ(Panel(0)->ImageCount(), 2);
    window_->cmdNext_Click();
    EXPECT_GT(ShownImage(0).pixelColor(16, 10).blue(), 150);
}

TEST_F(PanelsTest, SkyListsFollowTheMaskAndAnEmptyListMatchesSkyZero)
{
    Study study = SimpleStudy(1, 3);
    study.skyMask = 7 | 131072 | (1 << 20);
    Open(WriteStudy(study));
    ASSERT_EQ(Skies(2)->count(), 4);
    EXPECT_EQ(Skies(2)->itemText(0), "Clear");
    EXPECT_EQ(Skies(2)->itemText(1), "Partly Cloudy");
    EXPECT_EQ(Skies(2)->itemText(2), "Overcast");
    EXPECT_EQ(Skies(2)->itemText(3), "General Sky - Type 15");
    EXPECT_EQ(Skies(2)->currentText(), "Clear");

    study.skyMask = 0;
    study.samples[1].sky = 0;
    Open(WriteStudy(study, "skyless.dvf"));
    EXPECT_EQ(Skies(0)->count(), 0);
    EXPECT_EQ(Skies(0)->currentText(), "");
    ASSERT_EQ(Panel(0)->ImageCount(), 1);
    EXPECT_EQ(Shown(0), 2);
}

TEST_F(PanelsTest, AMissingImageKeepsItsFrameSoThePanelsStayAligned)
{
    Study study = SimpleStudy(2, 10);
    const QString path = WriteStudy(study);
    QFile::remove(PathOf(FrameName(1, 3)));
    QFile::remove(PathOf(FrameName(1, 10)));
    Open(path);
    EXPECT_EQ(Panel(0)->ImageCount(), 10);
    EXPECT_EQ(Panel(1)->ImageCount(), 10);
    EXPECT_EQ(module_.TotalFrames, 10);
    EXPECT_EQ(Box("txtTotalFrames")->text(), " 10");
    EXPECT_TRUE(ui_.messages.empty()); // no box in the way of the study

    // The gap shows a tile; the frame after it and the last one match the other panel and the date.
    const auto tileShown = [this] { return ShownImage(0).pixelColor(2, 2) == QColor(58, 58, 64); };
    window_->cmdNext_Click();
    window_->cmdNext_Click();
    EXPECT_TRUE(tileShown());
    EXPECT_EQ(Panel(0)->ShownTile(), imaging::FrameTileKind::Missing);
    EXPECT_EQ(Panel(0)->ShownFrameSize(), Panel(1)->ShownFrameSize()) << "the tile takes the frame's place";
    EXPECT_EQ(Shown(1), 3);
    window_->cmdNext_Click();
    EXPECT_EQ(Shown(0), 4);
    EXPECT_EQ(Shown(1), 4);
    EXPECT_EQ(Box("txtTime")->text(), "12:00");
    window_->cmdLast_Click();
    EXPECT_TRUE(tileShown());
    EXPECT_EQ(Shown(1), 10);
    window_->cmdPrevious_Click();
    EXPECT_EQ(Shown(0), 9);

    const viewer::PanelFrames& frames = window_->PanelPositions(0);
    ASSERT_EQ(frames.Positions.size(), 10);
    EXPECT_TRUE(frames.Positions[2].Missing());
    EXPECT_EQ(frames.Positions[2].Name, QString::fromStdString(FrameName(1, 3)));
    EXPECT_EQ(frames.Positions[3].Sample, 4);
    EXPECT_EQ(frames.Positions[3].Path, PathOf(FrameName(1, 4)));

    EXPECT_FALSE(window_->statusBar()->isHidden());
    EXPECT_EQ(Find<QLabel>("labStatus")->text(),
              "2 images are missing, in view: View A (2). Their frames show an \u201CImage missing\u201D tile.");

    // Where every image exists nothing is said.
    WriteFrame(FrameName(1, 3), FrameColor(1, 3));
    WriteFrame(FrameName(1, 10), FrameColor(1, 10));
    Open(path);
    EXPECT_TRUE(window_->statusBar()->isHidden());
    EXPECT_EQ(Panel(0)->ImageCount(), 10);
}

TEST_F(PanelsTest, AnImageNameFoundOnlyInAnotherLetterCaseIsStillLoaded)
{
    Study study = SimpleStudy(1, 2);
    WriteStudy(study);
    study.samples[1].rgb[0] = "V1_2_RGB.JPG";
    Open(WriteStudy(study, "study.dvf", false));
    EXPECT_EQ(Panel(0)->ImageCount(), 2);
}

TEST_F(PanelsTest, SamplesOfOtherSkiesAreLeftOutWhileDateAndTimeFollowViewOne)
{
    Study study = SimpleStudy(1, 6);
    study.skyMask = 3;
    for (int k = 0; k < 6; ++k)
        study.samples[k].sky = (k % 2 == 0) ? 1 : 2;
    Open(WriteStudy(study));
    ASSERT_EQ(Panel(0)->ImageCount(), 3);
    window_->cmdNext_Click();
    EXPECT_EQ(Shown(0), 3);
    EXPECT_EQ(Box("txtTime")->text(), "10:00");
    EXPECT_EQ(Combo("cbxDate")->currentText(), "June 20");
}

TEST_F(PanelsTest, ACorruptImageEndsTheLoadWithTheImageFailureMessage)
{
    Study study = SimpleStudy(3, 4);
    const QString path = WriteStudy(study);
    const QString broken = PathOf(FrameName(2, 3));
    temp_.Write(FrameName(2, 3), std::string("\xFF\xD8\xFF\xE0 this is no picture", 24));
    Open(path);

    ASSERT_EQ(ui_.messages.size(), 1u);
    const ui::MessageRequest& m = ui_.messages[0];
    EXPECT_EQ(m.title, "Daystrand");
    EXPECT_EQ(m.icon, ui::MessageIcon::Information);
    EXPECT_EQ(m.buttons, ui::MessageButtons::Ok);
    EXPECT_FALSE(m.systemModal);
    const QString head = "The following error occurred while attempting to load the images in the current "
                         "Daylight Study File (" + path + "): ";
    const QString tail = ". Please rerun this study or select another existing Daylight Study File. "
                         "Please contact Tessaly for more information.";
    ASSERT_TRUE(m.text.startsWith(head)) << m.text.toStdString();
    ASSERT_TRUE(m.text.endsWith(tail)) << m.text.toStdString();
    EXPECT_TRUE(m.text.mid(head.size()).startsWith("Image file is damaged or not a valid JPEG image: " + broken))
        << m.text.toStdString();

    // Panel 1 keeps the two images before the broken one (the closing layout
    // shows it again, its box being checked); panel 2 is not loaded; the frame
    // count is still panel 0's.
    EXPECT_EQ(Panel(1)->ImageCount(), 2);
    EXPECT_EQ(Panel(2)->ImageCount(), 0);
    EXPECT_EQ(module_.TotalFrames, 4);
    EXPECT_TRUE(Find<QGroupBox>("fraLoad")->isHidden());
}

TEST_F(PanelsTest, DatesAreListedInOrderOfFirstAppearance)
{
    Study study = SimpleStudy(1, 5);
    const char* dates[] = {"A", "A", "B", "A", "C"};
    for (int k = 0; k < 5; ++k)
        study.samples[k].date = dates[k];
    Open(WriteStudy(study));
    QComboBox* list = Combo("cbxDate");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), "C");
    EXPECT_EQ(list->currentText(), "A");
}

TEST_F(PanelsTest, AStudyWithoutSamplesLeavesTheDateListEmpty)
{
    Study study = SimpleStudy(2, 0);
    Open(WriteStudy(study));
    EXPECT_EQ(Combo("cbxDate")->count(), 0);
    EXPECT_EQ(module_.TotalFrames, 0);
    window_->cmdNext_Click();
    window_->cmdPlay_Click();
    EXPECT_FALSE(module_.PlaybackRunning);
}

TEST_F(PanelsTest, ASettingChangeFlagsThePanelAndDrawsTheNotice)
{
    Open(WriteStudy(SimpleStudy(2, 3)));
    Display(1)->setChecked(false);
    window_->msbResizeViews();
    ASSERT_TRUE(Panel(1)->isHidden());

    // Choosing the view already loaded still counts as a change.
    Choose(Views(1), "View B");
    EXPECT_FALSE(Panel(1)->isHidden());
    EXPECT_EQ(Panel(1)->DrawnTexts(), (QStringList{"Image Not Current", "Click Refresh"}));
    EXPECT_EQ(Panel(1)->TextColor(), QColor(255, 255, 255));
    EXPECT_EQ(Panel(1)->font().family(), "Times New Roman");
    EXPECT_EQ(Panel(1)->font().pointSize(), 16);
    // The second line sits directly under the first, both centred.
    const QRectF second = Panel(1)->TextRect();
    EXPECT_NEAR(second.center().x(), Panel(1)->width() / 2.0, 1.0);
    EXPECT_NEAR(second.top() - second.height() / 2, Panel(1)->height() / 2.0, 1.0);

    Option("optPseudo", 0)->click();
    EXPECT_EQ(Panel(0)->DrawnTexts(), (QStringList{"Image Not Current", "Click Refresh"}));

    // Refresh loads the pseudo-colour frames and clears the notice.
    Button("cmdRefresh(0)")->click();
    EXPECT_TRUE(Panel(0)->DrawnTexts().isEmpty());
    EXPECT_GT(ShownImage(0).pixelColor(16, 10).blue(), 150);
}

TEST_F(PanelsTest, APanelNeverPlacedShowsNoNoticeInTheCorner)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    Choose(Views(3), "View A");
    EXPECT_TRUE(Panel(3)->isHidden());
    // Placed by its Display box, it shows its images.
    Display(3)->click();
    EXPECT_FALSE(Panel(3)->isHidden());
    EXPECT_GT(Panel(3)->x(), Find<QWidget>("columnScroll")->geometry().right());
    EXPECT_EQ(Shown(3), 1);
}

TEST_F(PanelsTest, FrameCommandsLoadFlaggedPanelsFirst)
{
    Study study = SimpleStudy(1, 4);
    study.skyMask = 3;
    study.samples[3].sky = 2;
    Open(WriteStudy(study));
    ASSERT_EQ(module_.TotalFrames, 3);
    Choose(Skies(0), "Partly Cloudy");
    EXPECT_EQ(Panel(0)->ImageCount(), 3);
    window_->cmdFirst_Click();
    EXPECT_EQ(Panel(0)->ImageCount(), 1);
    EXPECT_EQ(module_.TotalFrames, 1);
    EXPECT_EQ(Shown(0), 4);
}

TEST_F(PanelsTest, NoNoticeOrLoadWhileAStudyThatFailedToReadIsOnDisplay)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    Open(QString::fromStdString(temp_.Write("broken.dvf", "[HEADER]\r\nName\r\n").string()));
    ASSERT_EQ(ui_.messages.size(), 1u);
    // The view list still names the study read before.
    Choose(Views(0), "View A");
    EXPECT_TRUE(Panel(0)->DrawnTexts().isEmpty());
    EXPECT_TRUE(Panel(0)->isHidden());
    Button("cmdRefresh(0)")->click();
    window_->cmdNext_Click();
    EXPECT_EQ(Panel(0)->ImageCount(), 0);
}

TEST_F(PanelsTest, SameNamedViewsLoadTheFirst)
{
    Study study = SimpleStudy(2, 2);
    study.views = {"Twin", "Twin"};
    Open(WriteStudy(study));
    ASSERT_EQ(Panel(1)->ImageCount(), 2);
    EXPECT_EQ(ShownImage(1).pixelColor(16, 10).green() / 40, 1);
}

TEST_F(PanelsTest, SelectViewAndRefreshEmptiesThePanelAndKeepsTheFrameCount)
{
    Study study = SimpleStudy(2, 4);
    Open(WriteStudy(study));
    Choose(Views(1), "<Select View>");
    Button("cmdRefresh(1)")->click();
    EXPECT_TRUE(Panel(1)->isHidden());
    EXPECT_EQ(Panel(1)->ImageCount(), 0);
    EXPECT_EQ(module_.TotalFrames, 4);
}

TEST_F(PanelsTest, TheFrameCountIsThatOfThePanelLoadedLast)
{
    Study study = SimpleStudy(2, 5);
    study.skyMask = 3;
    study.samples[4].sky = 2;
    Open(WriteStudy(study));
    EXPECT_EQ(module_.TotalFrames, 4);
    Choose(Skies(1), "Partly Cloudy");
    Button("cmdRefresh(1)")->click();
    EXPECT_EQ(module_.TotalFrames, 1);
}

} // namespace
} // namespace windowtest
