// Looking closely in the window: linked zoom and pan over panels whose images
// differ in size, the zoom keys and double click, the link switch remembered,
// the pixel readout, and compare mode coming and going without disturbing the
// layout it replaces.
#include "WindowFixture.h"

#include "viewer/settings/ViewerPreferences.h"
#include "viewer/window/ComparePanelsDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QWheelEvent>

namespace windowtest {
namespace {

using imaging::CompareMode;
using imaging::ViewState;

class CompareTest : public WindowTest {
protected:
    // Two views of `frames` samples; view 2's frames are twice the size of view 1's.
    void OpenTwoSizes(int frames = 3)
    {
        const QString study = WriteStudy(SimpleStudy(2, frames));
        for (int k = 1; k <= frames; ++k) {
            QImage large(64, 40, QImage::Format_RGB888);
            large.fill(FrameColor(2, k));
            ASSERT_TRUE(large.save(PathOf(FrameName(2, k)), "JPG", 95));
        }
        Open(study);
        ASSERT_TRUE(PumpUntil([&] { return !Panel(0)->CurrentImage().isNull() && !Panel(1)->CurrentImage().isNull(); }));
    }

    void Wheel(int panel, QPointF at, int notches)
    {
        QWheelEvent event(at, Panel(panel)->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Panel(panel), &event);
    }
    void Mouse(int panel, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, Panel(panel)->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(Panel(panel), &event);
    }
    void Drag(int panel, QPointF from, QPointF to)
    {
        Mouse(panel, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(panel, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        Mouse(panel, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(panel, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void Hover(int panel, QPointF at) { Mouse(panel, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }

    // The image-relative point at a panel's centre and the share of the image's width it shows.
    QPointF Centre(int panel)
    {
        const imaging::ImagingControl* p = Panel(panel);
        return imaging::ImagePointAt(p->View(), QSizeF(p->size()), QSizeF(p->ShownFrameSize()),
                                     QPointF(p->width() / 2.0, p->height() / 2.0));
    }
    double WidthShare(int panel) { return Panel(panel)->width() / Panel(panel)->ImageRect().width(); }

    void ExpectSameSpot(int a, int b)
    {
        EXPECT_NEAR(Centre(a).x(), Centre(b).x(), 1e-9);
        EXPECT_NEAR(Centre(a).y(), Centre(b).y(), 1e-9);
        EXPECT_NEAR(WidthShare(a), WidthShare(b), 1e-9);
    }

    struct Placed {
        bool hidden;
        QRect geometry;
        ViewState view;
        friend bool operator==(const Placed&, const Placed&) = default;
    };
    std::vector<Placed> Layout()
    {
        std::vector<Placed> out;
        for (int i = 0; i < 4; ++i)
            out.push_back({Panel(i)->isHidden(), Panel(i)->geometry(), Panel(i)->View()});
        return out;
    }
    bool Checked(const char* id) { return window_->findChild<QAction*>(QLatin1String(id))->isChecked(); }
};

TEST_F(CompareTest, LinkedPanelsOfDifferentImageSizesShowTheSameSpot)
{
    OpenTwoSizes();
    EXPECT_TRUE(window_->LinkPanels()) << "linked by default";
    EXPECT_TRUE(Checked("ID_LinkPanels"));
    ASSERT_EQ(Panel(1)->ShownFrameSize(), QSize(64, 40));

    Wheel(0, {30, 20}, 4);
    EXPECT_EQ(Panel(1)->DisplayMode(), imaging::kZoomMode);
    ExpectSameSpot(0, 1);
    EXPECT_NEAR(Panel(1)->ZoomPercent() * 2, Panel(0)->ZoomPercent(), 1e-3) << "half the scale for twice the pixels";
    Drag(0, {60, 40}, {20, 10});
    ExpectSameSpot(0, 1);
    // Panning the other one leads the first alike.
    Drag(1, {20, 20}, {70, 50});
    ExpectSameSpot(0, 1);

    // The view persists as the frames step.
    const ViewState view = Panel(0)->View();
    window_->cmdNext_Click();
    EXPECT_EQ(Shown(0), 2);
    EXPECT_EQ(Panel(0)->View(), view);
    ExpectSameSpot(0, 1);

    // Unlinked, each panel has its own view; the choice is remembered.
    window_->stbMain_ToolClick("ID_LinkPanels");
    EXPECT_FALSE(Checked("ID_LinkPanels"));
    const ViewState other = Panel(1)->View();
    Wheel(0, {30, 20}, 2);
    EXPECT_EQ(Panel(1)->View(), other);
    Recreate();
    EXPECT_FALSE(window_->LinkPanels());
    EXPECT_FALSE(settings::ViewerPreferences(options_.PreferencesFile).LinkPanels());
}

TEST_F(CompareTest, ZoomKeysActOnThePanelUnderThePointerAndDoubleClickToggles)
{
    OpenTwoSizes();
    window_->SetLinkPanels(false);
    const double actual = 100.0 / Panel(0)->devicePixelRatioF();

    // Over panel 1: only it zooms, about the pointer.
    Hover(1, {10, 10});
    Key(Qt::Key_1);
    EXPECT_NEAR(Panel(1)->ZoomPercent(), actual, 1e-3);
    EXPECT_EQ(Panel(0)->DisplayMode(), imaging::kFitMode);
    Key(Qt::Key_Plus);
    EXPECT_NEAR(Panel(1)->ZoomPercent(), actual * imaging::kZoomStep, 1e-3);
    Key(Qt::Key_0);
    EXPECT_EQ(Panel(1)->DisplayMode(), imaging::kFitMode);

    // Over no panel: every shown panel.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Panel(1), &leave);
    Key(Qt::Key_1);
    EXPECT_NEAR(Panel(0)->ZoomPercent(), actual, 1e-3);
    EXPECT_NEAR(Panel(1)->ZoomPercent(), actual, 1e-3);
    Key(Qt::Key_Plus);
    Key(Qt::Key_Plus);
    Key(Qt::Key_Minus);
    EXPECT_NEAR(Panel(0)->ZoomPercent(), actual * imaging::kZoomStep, 1e-3);
    EXPECT_NEAR(Panel(1)->ZoomPercent(), actual * imaging::kZoomStep, 1e-3);

    // Linked, the panel under the pointer leads and the other follows.
    window_->SetLinkPanels(true);
    Hover(0, {12, 9});
    Key(Qt::Key_0);
    EXPECT_EQ(Panel(1)->DisplayMode(), imaging::kFitMode);

    // A double click from the fit goes to the frame's own pixels; its first
    // click's zoom step is undone. Again, and it is fitted.
    const auto doubleClick = [&](QPointF at) {
        Mouse(0, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(0, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        Mouse(0, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(0, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    };
    doubleClick({15, 15});
    EXPECT_NEAR(Panel(0)->ZoomPercent(), actual, 1e-3);
    ExpectSameSpot(0, 1);
    doubleClick({15, 15});
    EXPECT_EQ(Panel(0)->DisplayMode(), imaging::kFitMode);
    EXPECT_EQ(Panel(1)->DisplayMode(), imaging::kFitMode);
}

TEST_F(CompareTest, ThePixelReadoutGivesEveryShownPanelAtTheSameSpot)
{
    OpenTwoSizes();
    EXPECT_EQ(window_->PixelReadout(), "");
    const QRectF image = Panel(0)->ImageRect();
    Hover(0, image.topLeft() + QPointF(image.width() * 0.51, image.height() * 0.26));
    const QStringList parts = window_->PixelReadout().split(QStringLiteral("     "));
    ASSERT_EQ(parts.size(), 2) << window_->PixelReadout().toStdString();
    // Same image-relative spot: (16, 5) of 32 x 20 and (32, 10) of 64 x 40.
    EXPECT_TRUE(parts[0].startsWith("1: (16, 5) RGB ")) << parts[0].toStdString();
    EXPECT_TRUE(parts[1].startsWith("2: (32, 10) RGB ")) << parts[1].toStdString();
    const QStringList rgb = parts[1].section(QStringLiteral("RGB "), 1).split(' ');
    ASSERT_EQ(rgb.size(), 3);
    EXPECT_NEAR(rgb[0].toInt(), FrameColor(2, 1).red(), 12);
    EXPECT_NEAR(rgb[1].toInt(), FrameColor(2, 1).green(), 12);
    // Beside the image, inside the panel.
    Panel(0)->SetView(ViewState{false, 1.0, {0.5, 0.5}});
    Hover(0, {1, 1});
    EXPECT_TRUE(window_->PixelReadout().startsWith(QStringLiteral("1: \u2013")));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Panel(0), &leave);
    EXPECT_EQ(window_->PixelReadout(), "");
}

TEST_F(CompareTest, CompareModeTakesOnePanelsRoomAndLeavingRestoresTheLayout)
{
    Open(WriteStudy(SimpleStudy(4, 3)));
    ASSERT_TRUE(PumpUntil([&] { return !Panel(3)->CurrentImage().isNull(); }));
    window_->SetLinkPanels(false);
    Wheel(2, {20, 20}, 3);
    Drag(2, {30, 30}, {10, 20});
    const std::vector<Placed> before = Layout();

    window_->stbMain_ToolClick("ID_CompareWipe");
    EXPECT_EQ(window_->Comparison().Mode, CompareMode::Wipe);
    EXPECT_TRUE(Checked("ID_CompareWipe"));
    EXPECT_FALSE(Panel(0)->isHidden());
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(Panel(i)->isHidden()) << i;
    EXPECT_GT(Panel(0)->width(), before[0].geometry.width()) << "the room of one panel";
    EXPECT_EQ(Panel(0)->Compare(), CompareMode::Wipe);
    EXPECT_EQ(Panel(0)->ComparePartner(), Panel(1));

    // Panel B, hidden, follows the frames.
    window_->cmdLast_Click();
    EXPECT_TRUE(PumpUntil([&] { return Shown(0) == 3 && Shown(1) == 3; }));

    // Wipe to difference: same room, same view.
    Wheel(0, {40, 40}, 2);
    const QRect room = Panel(0)->geometry();
    const ViewState zoomed = Panel(0)->View();
    window_->stbMain_ToolClick("ID_CompareDifference");
    EXPECT_EQ(Panel(0)->Compare(), CompareMode::Difference);
    EXPECT_FALSE(Checked("ID_CompareWipe"));
    EXPECT_EQ(Panel(0)->geometry(), room);
    EXPECT_EQ(Panel(0)->View(), zoomed);
    window_->stbMain_ToolClick("ID_CompareMoreGain");
    window_->stbMain_ToolClick("ID_CompareSigned");
    EXPECT_EQ(Panel(0)->DifferenceGain(), 4);
    EXPECT_EQ(Panel(0)->DifferenceKindShown(), imaging::DifferenceKind::SignedLuminance);
    // The readout keeps off the legend at the difference's foot.
    Hover(0, QPointF(room.width() / 2.0, room.height() / 2.0));
    const auto* readout = window_->findChild<QLabel*>(QStringLiteral("labReadout"));
    ASSERT_FALSE(readout->isHidden());
    EXPECT_EQ(readout->geometry().top(), room.top());

    // The checked item again leaves the mode: every panel as it was.
    window_->stbMain_ToolClick("ID_CompareDifference");
    EXPECT_EQ(window_->Comparison().Mode, CompareMode::None);
    EXPECT_EQ(Panel(0)->ComparePartner(), nullptr);
    EXPECT_TRUE(Layout() == before);
    EXPECT_FALSE(Checked("ID_CompareDifference"));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareTest, ComparingNeedsTwoPanelsWithViewsAndTheDialogChoosesThem)
{
    Open(WriteStudy(SimpleStudy(1, 2)));
    window_->SetCompareMode(CompareMode::Difference);
    EXPECT_EQ(window_->Comparison().Mode, CompareMode::None);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Panels 1 and 2 must each show a view to be compared. Choose the panels with "
                                    "Compare Panels... in the Compare menu.");
    EXPECT_FALSE(Checked("ID_CompareDifference"));

    Open(WriteStudy(SimpleStudy(3, 2)));
    ASSERT_TRUE(PumpUntil([&] { return !Panel(2)->CurrentImage().isNull(); }));
    ui_.onModal = [](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("cbxPanelA"))->setCurrentIndex(2);
        dialog.findChild<QComboBox*>(QStringLiteral("cbxPanelB"))->setCurrentIndex(2);
        EXPECT_FALSE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled())
            << "a panel against itself";
        dialog.findChild<QComboBox*>(QStringLiteral("cbxPanelB"))->setCurrentIndex(0);
        return int(QDialog::Accepted);
    };
    window_->stbMain_ToolClick("ID_ComparePanels");
    EXPECT_EQ(window_->Comparison().A, 2);
    EXPECT_EQ(window_->Comparison().B, 0);
    window_->SetCompareMode(CompareMode::Wipe);
    EXPECT_EQ(Panel(2)->ComparePartner(), Panel(0));
    EXPECT_TRUE(Panel(0)->isHidden());

    // A study with one view takes panel A's view away: the mode ends.
    Open(WriteStudy(SimpleStudy(1, 2), "one.dvf"));
    EXPECT_EQ(window_->Comparison().Mode, CompareMode::None);
    EXPECT_EQ(Panel(2)->ComparePartner(), nullptr);
    EXPECT_FALSE(Panel(0)->isHidden());
}

} // namespace
} // namespace windowtest
