// A panel listing frame sources: the shown frame decoded at the size it takes
// on screen, the previous picture kept while the next is awaited, its arrival
// announced, a larger decode when the panel grows, and tiles for files that are
// missing or gone since loading.
#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QSignalSpy>
#include <QFile>
#include <gtest/gtest.h>

using imaging::FrameScheduler;
using imaging::FrameSource;
using imaging::ImagingControl;

namespace {

std::vector<FrameSource> WriteSources(const testsupport::TempDir& dir, int count)
{
    std::vector<FrameSource> sources;
    for (int i = 0; i < count; ++i) {
        const QString path = QString::fromStdString((dir / ("f" + std::to_string(i) + ".jpg")).string());
        EXPECT_TRUE(imagingtest::Solid(320, 200, QColor(40 * i, 200, 90)).save(path, "JPG", 95));
        sources.push_back(FrameSource::FromHeader(path, imaging::ReadImageHeader(path)));
    }
    return sources;
}

struct Panel {
    FrameScheduler scheduler{qint64(64) << 20, -1};
    ImagingControl control;
    Panel()
    {
        control.resize(80, 50);
        control.SetFrameScheduler(&scheduler);
        control.show();
    }
    void RunAll()
    {
        scheduler.Replan();
        while (scheduler.RunOneJob()) {
        }
    }
};

} // namespace

TEST(ImagingControlFrames, ShownFrameComesAtPanelSizeAndThePreviousStaysUntilTheNextArrives)
{
    testsupport::TempDir dir;
    auto sources = WriteSources(dir, 5);
    Panel p;
    QSignalSpy arrived(&p.control, &ImagingControl::ShownFrameArrived);
    p.control.SetSources(sources);
    EXPECT_EQ(p.control.ImageCount(), 5);
    EXPECT_FALSE(p.control.ShownFrameReady()) << "nothing is decoded at load";
    p.RunAll();
    EXPECT_TRUE(p.control.ShownFrameReady());
    ASSERT_EQ(arrived.count(), 1);
    const qreal ratio = p.control.devicePixelRatioF();
    EXPECT_EQ(p.control.CurrentImage().size(),
              imaging::ScaledSize({320, 200}, imaging::ScaleToCover({320, 200}, QSize(80, 50) * ratio)));
    EXPECT_EQ(p.control.ImageRect(), QRectF(0, 0, 80, 50)) << "fit refers to the full size";

    // Read-ahead took the next frames too: stepping shows them at once.
    p.control.SetShownPosition(1);
    EXPECT_TRUE(p.control.ShownFrameReady());
    EXPECT_TRUE(imagingtest::Near(p.control.CurrentImage().pixel(2, 2), QColor(40, 200, 90)));
    p.control.SetShownPosition(0); // First Frame: position 0 of a list of sources
    EXPECT_TRUE(imagingtest::Near(p.control.CurrentImage().pixel(2, 2), QColor(0, 200, 90)));
    p.control.SetShownPosition(1);

    // A jump beyond the read-ahead: the old picture stays until the new one lands.
    imaging::ReadAheadLimits none{0, 0, 1.0};
    p.scheduler.SetLimits(none);
    p.scheduler.Cache().Clear();
    p.control.SetShownPosition(4);
    EXPECT_FALSE(p.control.ShownFrameReady());
    EXPECT_TRUE(imagingtest::Near(p.control.CurrentImage().pixel(2, 2), QColor(40, 200, 90)));
    p.RunAll();
    EXPECT_TRUE(imagingtest::Near(p.control.CurrentImage().pixel(2, 2), QColor(160, 200, 90)));
    EXPECT_EQ(arrived.count(), 2);
    EXPECT_EQ(arrived.last().at(0).toInt(), 4);

    // The panel grows: the frame is decoded again with more pixels.
    const int before = p.control.CurrentImage().width();
    p.control.resize(320, 200);
    p.RunAll();
    EXPECT_GT(p.control.CurrentImage().width(), before);
    EXPECT_EQ(p.control.CurrentImage().width(), 320);
}

TEST(ImagingControlFrames, MissingAndVanishedFilesShowATileAndCountAsShown)
{
    testsupport::TempDir dir;
    auto sources = WriteSources(dir, 3);
    sources[1] = FrameSource::Missing(QString::fromStdString((dir / "v1_missing.jpg").string()));
    Panel p;
    p.control.SetSources(sources);
    p.RunAll();
    p.control.SetShownPosition(1);
    EXPECT_TRUE(p.control.ShownFrameReady());
    EXPECT_TRUE(p.control.CurrentImage().isNull());
    EXPECT_EQ(p.control.grab().toImage().pixelColor(3, 3), QColor(48, 48, 52));

    // Deleted after the load: the panel says so instead of failing.
    ASSERT_TRUE(QFile::remove(sources[2].path));
    p.scheduler.Cache().Clear();
    p.control.SetShownPosition(2);
    p.RunAll();
    EXPECT_TRUE(p.control.ShownFrameReady());
    EXPECT_TRUE(p.control.CurrentImage().isNull());
    EXPECT_EQ(p.control.grab().toImage().pixelColor(3, 3), QColor(48, 48, 52));

    // Decoded images and sources do not mix in one list.
    EXPECT_THROW(p.control.InsertImage(0, imagingtest::Solid(4, 4, Qt::red)), imaging::ImagingError);
    p.control.DeleteImages(0, 3);
    EXPECT_EQ(p.control.ImageCount(), 0);
    p.scheduler.Clear();
    EXPECT_EQ(p.scheduler.Cache().HeldBytes(), 0) << "an emptied panel pins nothing";
}

TEST(ImagingControlFrames, SmoothingWaitsUntilEveryPanelOnScreenShowsItsFrame)
{
    // Squares of one pixel: drawn by nearest pixels at a quarter of the size
    // they stay black or white; smoothly scaled they turn grey.
    testsupport::TempDir dir;
    QImage checker(320, 200, QImage::Format_RGB888);
    for (int y = 0; y < checker.height(); ++y)
        for (int x = 0; x < checker.width(); ++x)
            checker.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
    std::vector<FrameSource> a, b;
    for (const char* name : {"a.png", "b.png"}) {
        const QString path = QString::fromStdString((dir / name).string());
        ASSERT_TRUE(checker.save(path, "PNG"));
        (a.empty() ? a : b).push_back(FrameSource::FromHeader(path, imaging::ReadImageHeader(path)));
    }
    auto grey = [](ImagingControl& panel) {
        const QColor c = panel.grab().toImage().pixelColor(40, 25);
        return c.red() > 40 && c.red() < 215;
    };
    // The other panel's frame arrives, or the other panel is hidden.
    for (const bool arrives : {true, false}) {
        SCOPED_TRACE(arrives ? "arrives" : "hidden");
        Panel first;
        ImagingControl second;
        second.resize(80, 50);
        second.SetFrameScheduler(&first.scheduler);
        second.show();
        first.control.SetSources(a);
        second.SetSources(b);

        first.scheduler.Replan();
        ASSERT_TRUE(first.scheduler.RunOneJob());
        ASSERT_TRUE(first.control.ShownFrameReady());
        ASSERT_FALSE(second.ShownFrameReady());
        EXPECT_TRUE(first.scheduler.ShownFrameAwaited());
        EXPECT_FALSE(grey(first.control)); // painted by nearest pixels, a smooth copy asked for
        QCoreApplication::processEvents();
        EXPECT_FALSE(grey(first.control)) << "the other panel's frame comes first";

        if (arrives)
            ASSERT_TRUE(first.scheduler.RunOneJob());
        else
            second.hide();
        for (int turn = 0; turn < 3; ++turn) // the replan, then the smoothing
            QCoreApplication::processEvents();
        EXPECT_FALSE(first.scheduler.ShownFrameAwaited());
        EXPECT_TRUE(grey(first.control)) << "smoothed once every panel on screen shows its frame";
    }
}
