// A panel's view as numbers: linked panels of different image sizes show the
// same spot, the image is kept over the panel at its edges, zooming about the
// pointer keeps the point under it, and the pixel under a point is found in
// full-size and reduced decodes alike.
#include "platform/imaging/ViewGeometry.h"

#include <gtest/gtest.h>

#include <vector>

using imaging::ViewState;

namespace {

constexpr double kTolerance = 1e-9;

void ExpectPoint(QPointF actual, QPointF expected, const char* what)
{
    EXPECT_NEAR(actual.x(), expected.x(), kTolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), kTolerance) << what;
}

} // namespace

TEST(ViewGeometry, LinkedPanelsShowTheSameShareOfImagesOfAnySize)
{
    const QSizeF panel(480, 294);
    const QSizeF source(1920, 1080);
    const ViewState zoomed{false, 0.75, {0.3, 0.6}};
    const struct {
        QSizeF target;
        double scale; // what the linked panel is drawn at
    } cases[] = {
        {{1920, 1080}, 0.75},
        {{960, 540}, 1.5},
        {{3840, 2160}, 0.375},
        {{1280, 720}, 1.125},
    };
    for (const auto& c : cases) {
        const ViewState linked = imaging::LinkedView(zoomed, source, c.target);
        EXPECT_FALSE(linked.fit);
        EXPECT_NEAR(linked.scale, c.scale, kTolerance) << c.target.width();
        // The same image-relative spot at every corner of the panel.
        for (QPointF corner : {QPointF(0, 0), QPointF(480, 294), QPointF(240, 147), QPointF(17, 250)}) {
            ExpectPoint(imaging::ImagePointAt(linked, panel, c.target, corner),
                        imaging::ImagePointAt(zoomed, panel, source, corner), "same spot under the pointer");
        }
    }
    // A fitted panel makes the others fitted, whatever their scale was.
    const ViewState fitted = imaging::LinkedView(ViewState{true, 2.0, {0.5, 0.5}}, source, QSizeF(960, 540));
    EXPECT_TRUE(fitted.fit);
    EXPECT_EQ(imaging::ImageRectIn(fitted, panel, QSizeF(960, 540)),
              imaging::ImageRectIn(ViewState{}, panel, source));
    // A panel with nothing shown yet takes the view as it is.
    EXPECT_EQ(imaging::LinkedView(zoomed, source, QSizeF()), zoomed);
}

TEST(ViewGeometry, TheImageIsKeptOverThePanelAtItsEdges)
{
    const QSizeF panel(100, 100);
    const QSizeF wide(200, 100);
    const struct {
        double scale;
        QPointF wanted;
        QRectF rect; // where the image lands
    } cases[] = {
        {1.0, {0.5, 0.5}, {-50, 0, 200, 100}},   // centred: the plain zoom about the middle
        {1.0, {0.1, 0.1}, {0, 0, 200, 100}},     // left edge stops at the panel's; y stays centred
        {1.0, {0.9, 0.9}, {-100, 0, 200, 100}},  // right edge
        {2.0, {0.0, 1.0}, {0, -100, 400, 200}},  // the bottom left corner: both axes stop
        {2.0, {0.3, 0.4}, {-70, -30, 400, 200}}, // inside: as wanted
        {0.25, {0.1, 0.9}, {25, 37.5, 50, 25}},  // smaller than the panel: centred
    };
    for (const auto& c : cases) {
        const ViewState view{false, c.scale, c.wanted};
        EXPECT_EQ(imaging::ImageRectIn(view, panel, wide), c.rect) << c.scale << " " << c.wanted.x();
        // Clamped gives the centre that draws there, and clamping twice changes nothing.
        const ViewState clamped = imaging::Clamped(view, panel, wide);
        EXPECT_EQ(imaging::ImageRectIn(clamped, panel, wide), c.rect);
        EXPECT_EQ(imaging::Clamped(clamped, panel, wide), clamped);
    }
    // Panning past an edge stops there; the way back starts at once.
    ViewState view{false, 1.0, {0.5, 0.5}};
    view = imaging::Panned(view, panel, wide, {500, 500});
    EXPECT_EQ(imaging::ImageRectIn(view, panel, wide), QRectF(0, 0, 200, 100));
    view = imaging::Panned(view, panel, wide, {-10, 0});
    EXPECT_EQ(imaging::ImageRectIn(view, panel, wide), QRectF(-10, 0, 200, 100));
    // A fitted view never moves.
    EXPECT_EQ(imaging::Panned(ViewState{}, panel, wide, {30, 30}), ViewState{});
    // Nonsense centres come back to the middle.
    EXPECT_EQ(imaging::Clamped(ViewState{false, 1.0, {qQNaN(), 0.5}}, panel, wide).centre, QPointF(0.5, 0.5));
}

TEST(ViewGeometry, ZoomingKeepsThePointUnderThePointer)
{
    const QSizeF panel(400, 250);
    const QSizeF image(1920, 1080);
    const struct {
        ViewState from;
        double scale;
        QPointF anchor;
    } cases[] = {
        {ViewState{}, 0.5, {200, 125}},               // from fit, at the centre
        {ViewState{}, 1.0, {120, 80}},                // from fit, off centre
        {ViewState{false, 0.5, {0.4, 0.4}}, 2.0, {330, 40}},
        {ViewState{false, 3.0, {0.5, 0.5}}, 0.9, {10, 240}},
        {ViewState{false, 1.0, {0.2, 0.7}}, 8.0, {399, 1}},
    };
    for (const auto& c : cases) {
        const QPointF under = imaging::ImagePointAt(c.from, panel, image, c.anchor);
        const ViewState zoomed = imaging::ZoomedAbout(c.from, panel, image, c.scale, c.anchor);
        EXPECT_FALSE(zoomed.fit);
        EXPECT_DOUBLE_EQ(zoomed.scale, c.scale);
        ExpectPoint(imaging::PanelPointOf(zoomed, panel, image, under), c.anchor, "point stays under the pointer");
    }
    // Near an edge the image stays over the panel rather than under the pointer.
    const ViewState atEdge = imaging::ZoomedAbout(ViewState{false, 1.0, {0.5, 0.5}}, panel, image, 0.25, {0, 0});
    EXPECT_EQ(imaging::ImageRectIn(atEdge, panel, image), QRectF(-80, -20, 480, 270));
}

TEST(ViewGeometry, ZoomStepsStopAtFitAndAtTheLargestScale)
{
    const QSizeF panel(400, 225);
    const QSizeF image(1920, 1080); // fits at 400 / 1920
    const double fit = imaging::FitScale(panel, image);
    const QPointF centre(200, 112.5);
    ViewState view = imaging::ZoomedBy(ViewState{}, panel, image, imaging::kZoomStep, centre);
    EXPECT_NEAR(view.scale, fit * 1.25, kTolerance);
    EXPECT_TRUE(imaging::ZoomedBy(view, panel, image, 1 / 1.3, centre).fit) << "out past fit gives fit";
    EXPECT_EQ(imaging::ZoomedBy(ViewState{}, panel, image, 0.8, centre), ViewState{}) << "no further out than fit";
    // Below fit already (the zoom clicks go there): zooming out leaves it.
    const ViewState small{false, fit / 4, {0.5, 0.5}};
    EXPECT_EQ(imaging::ZoomedBy(small, panel, image, 0.8, centre), small);
    view = imaging::ZoomedBy(ViewState{false, 30, {0.5, 0.5}}, panel, image, 2, centre);
    EXPECT_DOUBLE_EQ(view.scale, imaging::kMaxViewScale);
    EXPECT_DOUBLE_EQ(imaging::ZoomedBy(view, panel, image, 2, centre).scale, imaging::kMaxViewScale);
    // A tiny image already fitted above the largest scale is not shrunk by
    // zooming in; zooming out of it stops at its own pixels.
    const QSizeF tiny(4, 2);
    EXPECT_TRUE(imaging::ZoomedBy(ViewState{}, panel, tiny, 2, centre).fit);
    EXPECT_DOUBLE_EQ(imaging::ZoomedBy(ViewState{false, 1.5, {0.5, 0.5}}, panel, tiny, 0.5, centre).scale, 1.0);
    EXPECT_DOUBLE_EQ(imaging::ZoomedBy(ViewState{false, 3, {0.5, 0.5}}, panel, tiny, 0.8, centre).scale, 2.4);
    EXPECT_NEAR(imaging::WheelFactor(120), 1.25, kTolerance);
    EXPECT_NEAR(imaging::WheelFactor(-240), 1 / 1.5625, kTolerance);
    EXPECT_DOUBLE_EQ(imaging::WheelFactor(0), 1.0);
}

TEST(ViewGeometry, ThePixelUnderAPointInFullAndReducedDecodes)
{
    const struct {
        QPointF point;
        bool inside;
        QPoint full;
        QPoint decoded;
    } cases[] = {
        {{0, 0}, true, {0, 0}, {0, 0}},
        {{0.5, 0.5}, true, {960, 540}, {120, 67}}, // 1/8 scale: 240 x 135
        {{0.9999, 0.9999}, true, {1919, 1079}, {239, 134}},
        {{1.0, 0.5}, false, {1919, 540}, {239, 67}},
        {{-0.1, 0.5}, false, {0, 540}, {0, 67}},
    };
    for (const auto& c : cases) {
        const imaging::PixelSpot spot = imaging::PixelSpotAt(c.point, {1920, 1080}, {240, 135});
        EXPECT_EQ(spot.inside, c.inside) << c.point.x();
        EXPECT_EQ(spot.full, c.full) << c.point.x();
        EXPECT_EQ(spot.decoded, c.decoded) << c.point.x();
    }
    EXPECT_FALSE(imaging::PixelSpotAt({0.5, 0.5}, {}, {}).inside);
}
