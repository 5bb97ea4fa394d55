// Composing panels into one frame: the window's arrangement, the panels' own
// pixels wherever no caption lies, zoomed panels clipped to their cells.
#include "ExportStudy.h"

#include "platform/imaging/ImageDecoder.h"
#include "viewer/export/FrameComposer.h"

#include <gtest/gtest.h>

using namespace exporting;
using exporttest::ExportStudy;

namespace {

std::vector<QRect> CellsOf(const FrameLayout& layout)
{
    std::vector<QRect> cells;
    for (const PanelCell& c : layout.Cells)
        cells.push_back(c.Cell);
    return cells;
}

TEST(FrameLayout, PanelsStandAsInTheWindow)
{
    struct Case {
        int count;
        QSize size;
        std::vector<QRect> cells;
    };
    const QSize cell(100, 60);
    const Case cases[] = {
        {0, QSize(), {}},
        {1, QSize(100, 60), {QRect(0, 0, 100, 60)}},
        {2, QSize(100, 120), {QRect(0, 0, 100, 60), QRect(0, 60, 100, 60)}},
        {3, QSize(100, 180), {QRect(0, 0, 100, 60), QRect(0, 60, 100, 60), QRect(0, 120, 100, 60)}},
        {4, QSize(200, 120), {QRect(0, 0, 100, 60), QRect(100, 0, 100, 60), QRect(0, 60, 100, 60), QRect(100, 60, 100, 60)}},
        {5, QSize(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const FrameLayout layout = ArrangePanels(c.count, cell);
        EXPECT_EQ(layout.Size, c.size);
        EXPECT_EQ(CellsOf(layout), c.cells);
    }

    // Scaled by a ratio that splits pixels, neighbours still share their edges and fill the frame.
    const FrameLayout odd = ResizeLayout(ArrangePanels(3, cell), QSize(101, 200));
    EXPECT_EQ(CellsOf(odd), (std::vector<QRect>{QRect(0, 0, 101, 67), QRect(0, 67, 101, 66), QRect(0, 133, 101, 67)}));
    EXPECT_EQ(FitInside(QSize(3840, 2160), QSize(1920, 1080)), QSize(1920, 1080));
    EXPECT_EQ(FitInside(QSize(640, 800), QSize(1920, 1080)), QSize(640, 800));
    EXPECT_EQ(FitInside(QSize(1000, 2000), QSize(1920, 1080)), QSize(540, 1080));
}

TEST(FrameComposer, TheFrameHoldsThePanelsOwnPixelsWhereNoCaptionIsDrawn)
{
    const ExportStudy study;
    const ExportScene plain = study.Scene(4);
    ASSERT_EQ(plain.Layout.Size, QSize(128, 80));
    const RenderedFrame frame = plain.Render(5);
    ASSERT_TRUE(frame.ok()) << frame.Error.toStdString();

    ExportScene captioned = plain;
    captioned.Captions = true;
    const RenderedFrame withCaptions = captioned.Render(5);
    ASSERT_TRUE(withCaptions.ok());

    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(p);
        const QImage own = imaging::DecodeImageFile(study.Path(QStringLiteral("v%1_005_rgb.jpg").arg(p + 1))).image;
        const QRect cell = plain.Layout.Cells[p].Cell;
        const QRect box = CaptionBox(cell, QRectF(cell), captioned.Caption(p, 5), 1.0);
        ASSERT_FALSE(box.isEmpty());
        EXPECT_TRUE(cell.contains(box));
        int differentUnderCaption = 0;
        for (int y = 0; y < cell.height(); ++y) {
            for (int x = 0; x < cell.width(); ++x) {
                const QRgb expected = own.pixel(x, y);
                ASSERT_EQ(frame.Image.pixel(cell.x() + x, cell.y() + y), expected) << x << "," << y;
                const QRgb withCaption = withCaptions.Image.pixel(cell.x() + x, cell.y() + y);
                if (!box.contains(cell.x() + x, cell.y() + y))
                    ASSERT_EQ(withCaption, expected) << "outside the caption " << x << "," << y;
                else
                    differentUnderCaption += withCaption != expected;
            }
        }
        EXPECT_GT(differentUnderCaption, 0);
    }
}

TEST(FrameComposer, FittedAndZoomedImagesStayInsideTheirCells)
{
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    FrameLayout layout = ArrangePanels(2, QSize(100, 50));
    layout.Cells[1].ZoomPercent = 400; // 160 x 160 pixels, far more than its cell
    const QImage frame = ComposeFrame(layout, {{red, {}, {}}, {red, {}, {}}});

    // Fitted: a 50 x 50 square centred in the first cell, black bars beside it.
    EXPECT_EQ(frame.pixel(24, 25), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(25, 0), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(74, 49), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(75, 25), qRgb(0, 0, 0));
    // Zoomed: the second cell is red all over, and the first kept its bars.
    for (int x : {0, 50, 99})
        for (int y : {50, 75, 99})
            EXPECT_EQ(frame.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    EXPECT_EQ(ImageRectInCell(layout.Cells[1], red.size(), 1.0), QRectF(-30, -5, 160, 160));
    // Panned: the image's point at the cell's centre is the one the panel showed there.
    PanelCell panned = layout.Cells[1];
    panned.Centre = {0.25, 1.0};
    EXPECT_EQ(ImageRectInCell(panned, red.size(), 1.0), QRectF(10, -85, 160, 160));
    EXPECT_EQ(NeededImageSize(layout.Cells[0], QSize(400, 400), 1.0), QSize(50, 50));
    EXPECT_EQ(NeededImageSize(layout.Cells[1], QSize(40, 40), 1.0), QSize(40, 40));
}

TEST(FrameComposer, AMissingImageShowsTheWindowsTileAndAPanelPastItsEndStaysBlack)
{
    // The tile stands for a 16:9 picture, so it is fitted with bars in a 4:3 cell.
    const FrameLayout layout = ArrangePanels(2, QSize(120, 90));
    const PanelPicture tile = MissingPicture(layout.Cells[0], QSize(1920, 1080), 1.0, QStringLiteral("v1_002_rgb.jpg"));
    EXPECT_EQ(tile.Image.size(), QSize(120, 68));
    const QImage frame = ComposeFrame(layout, {tile, {}});
    EXPECT_EQ(frame.pixel(60, 0), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(1, 12), qRgb(58, 58, 64));
    EXPECT_EQ(frame.pixel(60, 120), qRgb(0, 0, 0));
}

} // namespace
