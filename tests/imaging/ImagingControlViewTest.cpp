// A panel the user zooms and pans: the wheel about the pointer, a drag, clicks
// and double clicks told apart; and a panel showing its frame against
// another's, wiped or as their difference, following the other's frames and
// having them decoded while the other panel is hidden.
#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

using imaging::CompareMode;
using imaging::ImagingControl;
using imaging::ViewState;
using imagingtest::Near;
using imagingtest::Solid;

namespace {

void Mouse(ImagingControl& control, QEvent::Type type, QPointF at, Qt::MouseButton button,
           Qt::MouseButtons held)
{
    QMouseEvent event(type, at, control.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&control, &event);
}

void Press(ImagingControl& c, QPointF at, Qt::MouseButton b = Qt::LeftButton)
{
    Mouse(c, QEvent::MouseButtonPress, at, b, b);
}
void MoveHeld(ImagingControl& c, QPointF at, Qt::MouseButton b = Qt::LeftButton)
{
    Mouse(c, QEvent::MouseMove, at, Qt::NoButton, b);
}
void Release(ImagingControl& c, QPointF at, Qt::MouseButton b = Qt::LeftButton)
{
    Mouse(c, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}

void Wheel(ImagingControl& control, QPointF at, int notches)
{
    QWheelEvent event(at, control.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&control, &event);
}

QPointF UnderPointer(const ImagingControl& control, QPointF at)
{
    return imaging::ImagePointAt(control.View(), QSizeF(control.size()), QSizeF(control.ShownFrameSize()), at);
}

QImage Shown(ImagingControl& control)
{
    return control.grab().toImage().convertToFormat(QImage::Format_RGB32).scaled(
        control.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// An interactive control of 200 x 100 showing a 400 x 200 frame.
struct Zoomable {
    ImagingControl control;
    Zoomable()
    {
        control.resize(200, 100);
        control.SetInteractive(true);
        control.InsertImage(0, Solid(400, 200, Qt::darkCyan));
        control.SetShownPosition(0);
    }
};

} // namespace

TEST(ImagingControlView, TheWheelZoomsAboutThePointerAndADragPans)
{
    Zoomable z;
    QSignalSpy edited(&z.control, &ImagingControl::ViewEdited);
    const QPointF at(50, 30);
    const QPointF before = UnderPointer(z.control, at);
    Wheel(z.control, at, 3);
    EXPECT_EQ(z.control.DisplayMode(), imaging::kZoomMode);
    EXPECT_NEAR(z.control.ZoomPercent(), 50 * 1.953125, 1e-3) << "three notches from the fit at 50%";
    const QPointF after = UnderPointer(z.control, at);
    EXPECT_NEAR(after.x(), before.x(), 1e-9);
    EXPECT_NEAR(after.y(), before.y(), 1e-9);
    ASSERT_EQ(edited.count(), 1);

    // Dragged left and up by 20 x 10: the same image point is now 20 x 10 away.
    const QRectF rect = z.control.ImageRect();
    Press(z.control, {100, 50});
    MoveHeld(z.control, {90, 45});
    MoveHeld(z.control, {80, 40});
    Release(z.control, {80, 40});
    EXPECT_EQ(z.control.ImageRect(), rect.translated(-20, -10));

    // Out past the fit it is fitted again, centred.
    Wheel(z.control, at, -10);
    EXPECT_EQ(z.control.View(), (ViewState{true, z.control.View().scale, {0.5, 0.5}}));
    EXPECT_EQ(z.control.ImageRect(), QRectF(0, 0, 200, 100));

    // The hidden decoder does not take the wheel.
    ImagingControl plain;
    plain.resize(200, 100);
    plain.InsertImage(0, Solid(400, 200, Qt::darkCyan));
    plain.SetShownPosition(0);
    Wheel(plain, at, 3);
    EXPECT_EQ(plain.View(), ViewState{});
}

TEST(ImagingControlView, ClicksDragsAndDoubleClicksAreToldApart)
{
    Zoomable z;
    QSignalSpy down(&z.control, &ImagingControl::MouseDown);
    QSignalSpy clicked(&z.control, &ImagingControl::Clicked);
    QSignalSpy doubled(&z.control, &ImagingControl::DoubleClicked);

    Press(z.control, {40, 40});
    Release(z.control, {40, 40});
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.last().at(0).toInt(), 1);

    // A drag is no click, whichever button; the right button does not pan.
    Press(z.control, {40, 40}, Qt::RightButton);
    MoveHeld(z.control, {90, 70}, Qt::RightButton);
    Release(z.control, {90, 70}, Qt::RightButton);
    Press(z.control, {40, 40});
    MoveHeld(z.control, {90, 70});
    Release(z.control, {90, 70});
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(z.control.View(), ViewState{}) << "a fitted view does not pan";

    // A double click: its first click is a click, the release that ends it is not.
    Press(z.control, {40, 40});
    Release(z.control, {40, 40});
    Mouse(z.control, QEvent::MouseButtonDblClick, {40, 40}, Qt::LeftButton, Qt::LeftButton);
    Release(z.control, {40, 40});
    EXPECT_EQ(clicked.count(), 2);
    ASSERT_EQ(doubled.count(), 1);
    EXPECT_EQ(doubled.last().at(0).toInt(), 1);
    // Every press is still the control's mouse-down event.
    EXPECT_EQ(down.count(), 5);
}

TEST(ImagingControlView, TheWipeShowsAAndBOnEitherSideOfALineTheUserDrags)
{
    ImagingControl a;
    a.resize(100, 50);
    a.SetInteractive(true);
    a.InsertImage(0, Solid(100, 50, Qt::red));
    a.SetShownPosition(0);
    auto b = std::make_unique<ImagingControl>();
    // Twice the size: linked, it covers the same place.
    b->InsertImage(0, Solid(200, 100, Qt::blue));
    b->InsertImage(1, Solid(200, 100, Qt::green));
    b->SetShownPosition(0);
    a.SetCompare(b.get(), CompareMode::Wipe);
    a.SetWipeFraction(0.3);
    EXPECT_EQ(a.ComparePartner(), b.get());
    QImage shown = Shown(a);
    EXPECT_EQ(shown.pixel(10, 40), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(60, 40), qRgb(0, 0, 255));

    // B steps on: the comparison follows it.
    b->SetShownPosition(1);
    EXPECT_EQ(Shown(a).pixel(60, 40), qRgb(0, 255, 0));

    // Taking the line moves it, stopping at the edges; it does not pan.
    QSignalSpy moved(&a, &ImagingControl::WipeMoved);
    Press(a, {31, 20});
    MoveHeld(a, {80, 20});
    EXPECT_DOUBLE_EQ(a.WipeFraction(), 0.8);
    MoveHeld(a, {150, 20});
    Release(a, {150, 20});
    EXPECT_DOUBLE_EQ(a.WipeFraction(), 1.0);
    EXPECT_EQ(moved.count(), 2);
    EXPECT_EQ(Shown(a).pixel(95, 40), qRgb(255, 0, 0)) << "all A at the right edge";
    a.SetWipeFraction(-1);
    EXPECT_EQ(Shown(a).pixel(5, 40), qRgb(0, 255, 0)) << "all B at the left edge";
    EXPECT_EQ(a.View(), ViewState{});

    // B going away ends the comparison; A shows its own frame again.
    b.reset();
    EXPECT_EQ(a.Compare(), CompareMode::None);
    EXPECT_EQ(a.ComparePartner(), nullptr);
    EXPECT_EQ(Shown(a).pixel(60, 40), qRgb(255, 0, 0));
    EXPECT_THROW(a.SetCompare(&a, CompareMode::Wipe), imaging::ImagingError);
}

TEST(ImagingControlView, TheDifferenceFollowsBothFramesTheGainAndTheKind)
{
    ImagingControl a;
    ImagingControl b;
    a.resize(60, 40);
    a.InsertImage(0, Solid(60, 40, QColor(100, 100, 100)));
    a.SetShownPosition(0);
    b.InsertImage(0, Solid(60, 40, QColor(120, 120, 120)));
    b.InsertImage(1, Solid(60, 40, QColor(100, 100, 100)));
    b.SetShownPosition(0);
    a.SetCompare(&b, CompareMode::Difference);
    a.SetDifference(imaging::DifferenceKind::Absolute, 4);
    EXPECT_EQ(Shown(a).pixel(30, 5), qRgb(80, 80, 80));
    a.SetDifference(imaging::DifferenceKind::SignedLuminance, 4);
    EXPECT_EQ(Shown(a).pixel(30, 5), qRgb(80, 30, 15)) << "B brighter: towards orange red";
    a.SetDifference(imaging::DifferenceKind::Absolute, 1000);
    EXPECT_DOUBLE_EQ(a.DifferenceGain(), imaging::kMaxDifferenceGain);
    b.SetShownPosition(1);
    EXPECT_EQ(Shown(a).pixel(30, 5), qRgb(0, 0, 0)) << "equal frames: nothing";
    // From difference to wipe and back to its own frame.
    a.SetCompare(&b, CompareMode::Wipe);
    EXPECT_EQ(Shown(a).pixel(5, 5), qRgb(100, 100, 100));
    a.SetCompare(nullptr, CompareMode::None);
    EXPECT_EQ(a.ComparePartner(), nullptr);
    EXPECT_FALSE(b.OnScreen());
}

TEST(ImagingControlView, AHiddenPartnerHasItsFramesDecodedAtTheSizeTheyAreShown)
{
    testsupport::TempDir dir;
    std::vector<imaging::FrameSource> sources; // A's frame, then B's two
    for (int i = 0; i < 3; ++i) {
        const QString path = QString::fromStdString((dir / ("f" + std::to_string(i) + ".jpg")).string());
        ASSERT_TRUE(Solid(640, 400, QColor(200, 60 * i, 30)).save(path, "JPG", 95));
        sources.push_back(imaging::FrameSource::FromHeader(path, imaging::ReadImageHeader(path)));
    }
    imaging::FrameScheduler scheduler(qint64(64) << 20, -1);
    ImagingControl a;
    ImagingControl b;
    a.resize(320, 200);
    a.SetFrameScheduler(&scheduler);
    b.SetFrameScheduler(&scheduler);
    a.SetSources({sources[0]});
    b.SetSources({sources[1], sources[2]});
    a.show();
    const auto runAll = [&] {
        scheduler.Replan();
        while (scheduler.RunOneJob()) {
        }
    };
    runAll();
    EXPECT_TRUE(b.CurrentImage().isNull()) << "hidden and compared with nothing: not wanted";

    a.SetCompare(&b, CompareMode::Wipe);
    EXPECT_TRUE(b.OnScreen());
    runAll();
    ASSERT_FALSE(b.CurrentImage().isNull());
    const qreal ratio = a.devicePixelRatioF();
    EXPECT_EQ(b.CurrentImage().size(),
              imaging::ScaledSize({640, 400}, imaging::ScaleToCover({640, 400}, QSize(320, 200) * ratio)));
    // Zoomed in on A, B is wanted with more pixels too.
    a.SetView(ViewState{false, 2.0, {0.5, 0.5}});
    runAll();
    EXPECT_EQ(b.CurrentImage().size(), QSize(640, 400));
    b.SetShownPosition(1);
    runAll();
    EXPECT_TRUE(Near(b.CurrentImage().pixel(5, 5), QColor(200, 120, 30)));
    EXPECT_TRUE(Near(Shown(a).pixel(300, 100), QColor(200, 120, 30)));
}
