// The panels placed in a real window: sizes, Display boxes, shifts, Toggle
// Screen, the start-up picture and the zoom clicks.
#include "WindowFixture.h"

#include "viewer/window/PanelLayout.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

namespace windowtest {
namespace {

class WindowLayoutTest : public WindowTest {
protected:
    QRect Expected(const viewer::TwipRect& twips) const
    {
        const int dpiX = window_->logicalDpiX();
        const int dpiY = window_->logicalDpiY();
        const int left = viewer::TwipsToPixels(twips.Left, dpiX);
        const int top = viewer::TwipsToPixels(twips.Top, dpiY);
        return QRect(left, top, viewer::TwipsToPixels(twips.Left + twips.Width, dpiX) - left,
                     viewer::TwipsToPixels(twips.Top + twips.Height, dpiY) - top);
    }

    std::vector<int> VisiblePanels() const
    {
        std::vector<int> shown;
        for (int i = 0; i < 4; ++i) {
            if (!Panel(i)->isHidden())
                shown.push_back(i);
        }
        return shown;
    }

    // A window whose outer size is 12000 x 9000 twips at the screen's resolution.
    void StandardSize()
    {
        const QSize frame = window_->frameGeometry().size() - window_->geometry().size();
        window_->resize(viewer::TwipsToPixels(12000, window_->logicalDpiX()) - frame.width(),
                        viewer::TwipsToPixels(9000, window_->logicalDpiY()) - frame.height());
        QCoreApplication::processEvents();
    }
};

TEST_F(WindowLayoutTest, FourPanelsInATwelveThousandByNineThousandWindow)
{
    Open(WriteStudy(SimpleStudy(4, 2)));
    StandardSize();
    if (window_->logicalDpiX() == 96) {
        EXPECT_EQ(window_->WindowWidthTwips(), 12000);
        EXPECT_EQ(window_->WindowHeightTwips(), 9000);
    }
    const viewer::TwipRect expected[] = {
        {3780, 60, 4032, 2474}, {7812, 60, 4032, 2474}, {3780, 2534, 4032, 2474}, {7812, 2534, 4032, 2474}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(Panel(i)->isHidden()) << i;
        EXPECT_EQ(Panel(i)->geometry(), Expected(expected[i])) << i;
        EXPECT_EQ(Panel(i)->DisplayMode(), imaging::kFitMode);
    }
    // Neighbours touch: no gap and no overlap in pixels either.
    EXPECT_EQ(Panel(0)->geometry().right() + 1, Panel(1)->geometry().left());
}

TEST_F(WindowLayoutTest, ToggleScreenHidesTheColumnAndWidensTheOnePanel)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    StandardSize();
    EXPECT_EQ(Panel(0)->geometry(), Expected({3780, 60, 8064, 8200}));
    window_->ToggleScreen();
    EXPECT_TRUE(module_.ScreenToggled);
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(Find<QGroupBox>(QStringLiteral("fraHALVEX(%1)").arg(i))->isHidden()) << i;
    EXPECT_EQ(Panel(0)->geometry(), Expected({108, 60, 11736, 8200}));
    window_->ToggleScreen();
    EXPECT_FALSE(Find<QGroupBox>("fraHALVEX(1)")->isHidden());
    EXPECT_EQ(Panel(0)->geometry(), Expected({3780, 60, 8064, 8200}));
}

TEST_F(WindowLayoutTest, DisplayBoxesChooseThePanelsAndRestartAtFrameOne)
{
    Open(WriteStudy(SimpleStudy(3, 4)));
    StandardSize();
    window_->cmdLast_Click();
    Display(1)->click();
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{0, 2}));
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Shown(0), 1);
    EXPECT_EQ(Panel(2)->geometry(), Expected({3780, 4086, 6660, 4086}));

    Display(0)->click();
    Display(2)->click();
    EXPECT_TRUE(VisiblePanels().empty());
}

TEST_F(WindowLayoutTest, ShiftingMovesPanelsThroughTheSlotsAndResetRestoresThem)
{
    Open(WriteStudy(SimpleStudy(4, 2)));
    StandardSize();
    Display(2)->click();
    Display(3)->click();
    ASSERT_EQ(VisiblePanels(), (std::vector<int>{0, 1}));

    window_->msbShiftDisplay(0);
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Panel(1)->geometry(), Expected({3780, 60, 6660, 4086}));
    window_->msbShiftDisplay(0);
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{2, 3}));
    window_->msbShiftDisplay(7);
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{2, 3}));
    window_->msbShiftDisplay(1);
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{1, 2}));

    Button("cmdReset")->click();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Display(i)->text(), QString::number(i + 1));
    EXPECT_EQ(VisiblePanels(), (std::vector<int>{0, 1}));
}

TEST_F(WindowLayoutTest, ASmallWindowKeepsTheColumnReachableAndThePanelsBesideIt)
{
    Open(WriteStudy(SimpleStudy(4, 2)));
    window_->resize(120, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(window_->size(), window_->minimumSize());
    auto* column = Find<QScrollArea>("columnScroll");
    EXPECT_TRUE(column->verticalScrollBar()->isVisible());
    EXPECT_LE(column->geometry().bottom(), window_->centralWidget()->height());
    column->ensureWidgetVisible(Button("cmdPlay"));
    EXPECT_FALSE(Button("cmdPlay")->visibleRegion().isEmpty());
    for (int i : VisiblePanels()) {
        EXPECT_GT(Panel(i)->geometry().left(), column->geometry().right()) << i;
        EXPECT_LE(Panel(i)->geometry().bottom(), window_->centralWidget()->height()) << i;
    }
    // At the window's design size the whole column shows.
    window_->resize(viewer::TwipsToPixels(16800, window_->logicalDpiX()),
                    viewer::TwipsToPixels(11400, window_->logicalDpiY()));
    QCoreApplication::processEvents();
    EXPECT_FALSE(column->verticalScrollBar()->isVisible());
}

TEST_F(WindowLayoutTest, AWideLowWindowCutsNoPanelRowOffAndTheTabsLookAlike)
{
    Open(WriteStudy(SimpleStudy(4, 2)));
    window_->resize(1500, 400);
    QCoreApplication::processEvents();
    ASSERT_EQ(VisiblePanels(), (std::vector<int>{0, 1, 2, 3}));
    for (int i = 0; i < 4; ++i)
        EXPECT_LE(Panel(i)->geometry().bottom(), window_->centralWidget()->height()) << i;

    // The sky list of tab 2 is as wide as those of the other tabs, not clipped by its frame.
    auto* tabs = Find<QTabWidget>("sstViews");
    tabs->setCurrentIndex(1);
    QCoreApplication::processEvents();
    const int second = Skies(1)->width();
    tabs->setCurrentIndex(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(second, Skies(0)->width());
    EXPECT_LE(Find<QGroupBox>("fraHALVEX(2)")->geometry().right(), tabs->currentWidget()->width());
}

TEST_F(WindowLayoutTest, ZoomClicksStepByTenFromTheFittedScaleAndTheNextLayoutFitsAgain)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    ASSERT_EQ(Shown(0), 1); // once decoded
    imaging::ImagingControl* panel = Panel(0);
    // The 32 x 20 frames are fitted far above 100 percent; the first step
    // enlarges from there rather than shrinking to 110 percent.
    const double fitted = panel->ImageRect().width() * 100.0 / 32;
    ASSERT_GT(fitted, 200);
    const double fittedWidth = panel->ImageRect().width();
    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_EQ(panel->DisplayMode(), imaging::kZoomMode);
    EXPECT_NEAR(panel->ZoomPercent(), fitted + 10, 0.01);
    EXPECT_GT(panel->ImageRect().width(), fittedWidth);

    panel->SetZoomPercent(15);
    QTest::mouseClick(panel, Qt::RightButton);
    EXPECT_FLOAT_EQ(panel->ZoomPercent(), 5);
    QTest::mouseClick(panel, Qt::RightButton);
    EXPECT_FLOAT_EQ(panel->ZoomPercent(), 5);
    QTest::mouseClick(panel, Qt::MiddleButton);
    EXPECT_FLOAT_EQ(panel->ZoomPercent(), 5);

    window_->msbResizeViews();
    EXPECT_EQ(panel->DisplayMode(), imaging::kFitMode);
    EXPECT_FLOAT_EQ(panel->ZoomPercent(), 5);
}

TEST_F(WindowLayoutTest, ThePlaceholderIsShownByTheFirstLayoutOnly)
{
    temp_.Write("program/.keep", "");
    QImage picture(64, 40, QImage::Format_RGB888);
    picture.fill(QColor(10, 200, 30));
    ASSERT_TRUE(picture.save(PathOf("program/HALVEX-Daystrand.jpg"), "JPG"));
    module_.PlaceholderShown = false;
    Recreate();
    StandardSize();
    window_->msbResizeViews();
    EXPECT_TRUE(module_.PlaceholderShown);
    EXPECT_TRUE(window_->LEAD2()->isHidden());

    module_.PlaceholderShown = false;
    window_->msbResizeViews();
    imaging::ImagingControl* placeholder = window_->LEAD2();
    EXPECT_FALSE(placeholder->isHidden());
    EXPECT_EQ(placeholder->geometry(), Expected({3780, 60, 8064, 8172}));
    EXPECT_EQ(placeholder->DisplayMode(), imaging::kFitMode);
    EXPECT_GT(placeholder->CurrentImage().pixelColor(32, 20).green(), 150);

    window_->ToggleScreen();
    EXPECT_TRUE(placeholder->isHidden());
}

TEST_F(WindowLayoutTest, AMissingPlaceholderPictureLeavesTheAreaEmpty)
{
    module_.PlaceholderShown = false;
    window_->msbResizeViews();
    EXPECT_TRUE(module_.PlaceholderShown);
    EXPECT_FALSE(window_->LEAD2()->isHidden());
    EXPECT_TRUE(window_->LEAD2()->CurrentImage().isNull());
}

} // namespace
} // namespace windowtest
