// Two frames over each other: the difference of known images in both kinds,
// and where the wipe line splits a panel, at its edges above all.
#include "platform/imaging/ImageComparison.h"

#include <gtest/gtest.h>

using imaging::DifferenceImage;
using imaging::DifferenceKind;

namespace {

QImage Solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(QColor::fromRgb(colour));
    return image;
}

// Every pixel of `image` has `colour`.
::testing::AssertionResult AllPixels(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != (colour | 0xff000000u))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << image.pixel(x, y) << ", not " << colour;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ImageComparison, KnownImagesGiveKnownDifferences)
{
    const QRgb black = qRgb(0, 0, 0);
    const struct {
        QRgb a;
        QRgb b;
        DifferenceKind kind;
        double gain;
        QRgb expected;
    } cases[] = {
        // Equal images give no difference in either kind.
        {qRgb(90, 140, 200), qRgb(90, 140, 200), DifferenceKind::Absolute, 8, black},
        {qRgb(90, 140, 200), qRgb(90, 140, 200), DifferenceKind::SignedLuminance, 64, black},
        // Absolute: each colour on its own, times the gain, clipped.
        {qRgb(100, 100, 100), qRgb(120, 120, 120), DifferenceKind::Absolute, 1, qRgb(20, 20, 20)},
        {qRgb(100, 100, 100), qRgb(120, 120, 120), DifferenceKind::Absolute, 4, qRgb(80, 80, 80)},
        {qRgb(100, 100, 100), qRgb(120, 120, 120), DifferenceKind::Absolute, 16, qRgb(255, 255, 255)},
        {qRgb(10, 200, 30), qRgb(40, 180, 30), DifferenceKind::Absolute, 2, qRgb(60, 40, 0)},
        // Signed: B brighter by 20 at gain 4 is 80/255 of the way to orange red;
        // A brighter by as much, as far towards azure.
        {qRgb(100, 100, 100), qRgb(120, 120, 120), DifferenceKind::SignedLuminance, 4, qRgb(80, 30, 15)},
        {qRgb(120, 120, 120), qRgb(100, 100, 100), DifferenceKind::SignedLuminance, 4, qRgb(20, 50, 80)},
        // Full strength at 255 / gain, no further.
        {qRgb(0, 0, 0), qRgb(255, 255, 255), DifferenceKind::SignedLuminance, 1, imaging::kDifferenceBrighterB},
        {qRgb(100, 100, 100), qRgb(0, 0, 0), DifferenceKind::SignedLuminance, 8, imaging::kDifferenceBrighterA},
        // Luminance, not colour: pure green against grey of the same luma is no difference.
        {qRgb(0, 255, 0), qRgb(182, 182, 182), DifferenceKind::SignedLuminance, 64, black},
    };
    for (const auto& c : cases) {
        const QImage diff = DifferenceImage(Solid(5, 3, c.a), Solid(5, 3, c.b), c.kind, c.gain);
        ASSERT_EQ(diff.size(), QSize(5, 3));
        EXPECT_TRUE(AllPixels(diff, c.expected)) << std::hex << c.a << " " << c.b << " gain " << c.gain;
    }
    EXPECT_EQ(imaging::Luma(qRgb(77, 77, 77)), 77);
}

TEST(ImageComparison, ImagesOfDifferentSizesAreComparedAtTheFirstOnesSize)
{
    // A frame decoded at full size against one at half size, and a 32-bit
    // image against a 24-bit one: still the difference of the colours.
    QImage a = Solid(8, 4, qRgb(50, 50, 50)).convertToFormat(QImage::Format_RGB32);
    const QImage b = Solid(4, 2, qRgb(60, 60, 60));
    const QImage diff = DifferenceImage(a, b, DifferenceKind::Absolute, 1);
    EXPECT_EQ(diff.size(), QSize(8, 4));
    EXPECT_TRUE(AllPixels(diff, qRgb(10, 10, 10)));
    // Only where the images differ does the difference show.
    a = Solid(8, 4, qRgb(50, 50, 50));
    QImage c = a.copy();
    c.setPixel(3, 1, qRgb(50, 90, 50));
    const QImage spot = DifferenceImage(a, c, DifferenceKind::Absolute, 2);
    EXPECT_EQ(spot.pixel(3, 1), qRgb(0, 80, 0));
    EXPECT_EQ(spot.pixel(4, 1), qRgb(0, 0, 0));
    EXPECT_TRUE(DifferenceImage(QImage(), b, DifferenceKind::Absolute, 1).isNull());
    EXPECT_TRUE(DifferenceImage(a, QImage(), DifferenceKind::SignedLuminance, 1).isNull());
}

TEST(ImageComparison, TheWipeLineSplitsThePanelExactlyUpToItsEdges)
{
    const struct {
        double fraction;
        int width;
        int splitX; // columns 0 .. splitX - 1 show A, the rest B
    } cases[] = {
        {0.0, 640, 0},     // all B
        {1.0, 640, 640},   // all A
        {0.5, 640, 320},
        {0.5, 101, 51},    // an odd width: no column twice, none left out
        {-0.3, 640, 0},    // dragged past the left edge
        {1.7, 640, 640},   // past the right edge
        {0.25, 0, 0},      // no panel
        {qQNaN(), 200, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imaging::WipeSplitX(c.fraction, c.width), c.splitX) << c.fraction << " of " << c.width;
    }
    // Dragging the line: the fraction follows the pointer and stops at the edges.
    EXPECT_DOUBLE_EQ(imaging::WipeFractionAt(160, 640), 0.25);
    EXPECT_DOUBLE_EQ(imaging::WipeFractionAt(-20, 640), 0.0);
    EXPECT_DOUBLE_EQ(imaging::WipeFractionAt(700, 640), 1.0);
    EXPECT_DOUBLE_EQ(imaging::WipeFractionAt(10, 0), 0.5);
    // The line is taken within a few pixels either side, also at the edges.
    EXPECT_TRUE(imaging::NearWipeLine(325, 0.5, 640));
    EXPECT_FALSE(imaging::NearWipeLine(330, 0.5, 640));
    EXPECT_TRUE(imaging::NearWipeLine(3, 0.0, 640));
    EXPECT_TRUE(imaging::NearWipeLine(637, 1.0, 640));
}
