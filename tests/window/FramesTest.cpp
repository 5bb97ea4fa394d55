// The panels' frames in the window: decoded at the size shown and again when
// a zoom needs more pixels, files gone or damaged since loading shown as tiles,
// read-ahead that a jump drops, playback that waits for a frame still being
// decoded, and the memory budget held through a random walk of frame commands.
#include "WindowFixture.h"

#include "platform/imaging/FrameScheduler.h"
#include "viewer/settings/ViewerPreferences.h"

#include <QFile>
#include <QSettings>
#include <QTest>

#include <random>

namespace windowtest {
namespace {

using imaging::FrameState;
using imaging::FrameTileKind;
class FramesTest : public WindowTest {
protected:
    // What the window's cache holds of panel's frame at position.
    FrameState StateOf(int panel, int position)
    {
        return window_->Frames().Cache().Find(Panel(panel)->Sources()[position].path).state;
    }
    FrameState StateOfShown(int panel) { return StateOf(panel, Panel(panel)->ShownPosition()); }
};

// A window whose frames are decoded only when the test runs the decodes.
class ManualFramesTest : public FramesTest {
protected:
    ManualFramesTest()
    {
        options_.FrameWorkers = -1;
        Recreate();
    }
    void RunDecodes()
    {
        while (window_->Frames().RunOneJob()) {
        }
    }
};

TEST_F(FramesTest, AFrameIsDecodedAtTheSizeShownAndAgainWhenAZoomNeedsMorePixels)
{
    const QString path = WriteStudy(SimpleStudy(1, 2), "study.dvf", false);
    for (int k = 1; k <= 2; ++k) {
        QImage frame(1280, 800, QImage::Format_RGB888);
        frame.fill(FrameColor(1, k));
        ASSERT_TRUE(frame.save(PathOf(FrameName(1, k)), "JPG", 90));
    }
    Open(path);
    imaging::ImagingControl* panel = Panel(0);
    const QImage fitted = ShownImage(0);
    ASSERT_FALSE(fitted.isNull());
    EXPECT_EQ(panel->ShownFrameSize(), QSize(1280, 800));
    const qreal ratio = panel->devicePixelRatioF();
    EXPECT_LT(fitted.width(), 1280) << "a panel smaller than the frame has it decoded smaller";
    EXPECT_GE(fitted.width(), panel->ImageRect().width() * ratio) << "with a pixel for every one on screen";

    QTest::mouseClick(panel, Qt::LeftButton);
    ASSERT_EQ(panel->DisplayMode(), imaging::kZoomMode);
    // The larger decode is asked for once the zoom is laid out.
    EXPECT_TRUE(PumpUntil([&] { return ShownImage(0).width() > fitted.width(); }));
    const QImage zoomed = ShownImage(0);
    EXPECT_GT(zoomed.width(), fitted.width());
    EXPECT_GE(zoomed.width(), std::min(1280.0, panel->ImageRect().width() * ratio));
}

TEST_F(ManualFramesTest, AFileGoneOrDamagedSinceLoadingShowsATileAndTheFramesGoOn)
{
    window_->Frames().SetLimits({0, 0, 0.85}); // nothing read ahead before the files change
    Open(WriteStudy(SimpleStudy(1, 4)));
    RunDecodes();
    ASSERT_TRUE(QFile::remove(PathOf(FrameName(1, 2))));
    temp_.Write(FrameName(1, 3), std::string("\xFF\xD8\xFF\xE0 no picture any more", 24));

    window_->cmdNext_Click();
    RunDecodes();
    EXPECT_EQ(module_.CurrentFrame, 2);
    EXPECT_TRUE(Panel(0)->ShownFrameReady());
    EXPECT_EQ(Panel(0)->ShownTile(), FrameTileKind::Missing);
    EXPECT_EQ(Panel(0)->CurrentImage().pixelColor(2, 2), QColor(58, 58, 64));
    window_->cmdNext_Click();
    RunDecodes();
    EXPECT_EQ(Panel(0)->ShownTile(), FrameTileKind::Damaged);
    window_->cmdNext_Click();
    RunDecodes();
    EXPECT_FALSE(Panel(0)->ShownTile().has_value());
    EXPECT_EQ(SampleOf(Panel(0)->CurrentImage()), 4);
    EXPECT_TRUE(ui_.messages.empty()) << "the study stays open";
}

TEST_F(ManualFramesTest, AJumpDropsTheReadAheadOfWhereTheFramesWere)
{
    window_->Frames().SetLimits({4, 1, 0.85});
    Open(WriteStudy(SimpleStudy(1, 20)));
    // Frames 1 to 5 are wanted, none decoded yet; Last wants 20 and the four before it.
    window_->cmdLast_Click();
    RunDecodes();
    for (int position = 0; position < 5; ++position)
        EXPECT_EQ(StateOf(0, position), FrameState::Absent) << "frame " << position + 1 << " was not decoded";
    for (int position = 15; position < 20; ++position)
        EXPECT_EQ(StateOf(0, position), FrameState::Ready) << "frame " << position + 1;
    EXPECT_EQ(SampleOf(Panel(0)->CurrentImage()), 20);
    EXPECT_EQ(StateOf(0, 14), FrameState::Absent);

    // A date chosen jumps too.
    Choose(Combo("cbxDate"), "June 21"); // frames 4 to 6
    RunDecodes();
    EXPECT_EQ(SampleOf(Panel(0)->CurrentImage()), 4);
    EXPECT_EQ(StateOf(0, 2), FrameState::Ready) << "one behind";
    EXPECT_EQ(StateOf(0, 7), FrameState::Ready) << "four ahead";
    EXPECT_EQ(StateOf(0, 8), FrameState::Absent);
}

TEST_F(ManualFramesTest, PlaybackWaitsForAFrameStillBeingDecodedAndSkipsNone)
{
    window_->Frames().SetLimits({0, 0, 0.85});
    Open(WriteStudy(SimpleStudy(1, 3)));
    RunDecodes();
    std::vector<int> played;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                     [&played](int frame) { played.push_back(frame); });
    window_->cmdPlay_Click();
    for (int frame = 2; frame <= 3; ++frame) {
        ASSERT_TRUE(PumpUntil([&] { return module_.CurrentFrame == frame; }));
        PumpUntil([] { return false; }, 100); // the clock runs on; the frame is still not decoded
        EXPECT_EQ(played.size(), std::size_t(frame - 1)) << "frame " << frame << " is waited for";
        EXPECT_TRUE(module_.PlaybackRunning);
        RunDecodes();
        EXPECT_EQ(played.back(), frame);
    }
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    EXPECT_EQ(played, (std::vector<int>{1, 2, 3}));
}

TEST_F(FramesTest, TheBudgetHoldsAndShownFramesStayThroughARandomWalkOfFrameCommands)
{
    constexpr qint64 kBudget = 40000; // about twenty of these small frames, of 96 in all
    options_.FrameCacheBytes = kBudget;
    Recreate();
    Open(WriteStudy(SimpleStudy(4, 24)));
    ASSERT_EQ(window_->Frames().Cache().Budget(), kBudget);
    const QStringList dates = {"June 20", "June 23", "June 25", "June 27"};
    std::mt19937 random(20260611);
    for (int step = 0; step < 300; ++step) {
        switch (random() % 6) {
        case 0: window_->cmdFirst_Click(); break;
        case 1: window_->cmdLast_Click(); break;
        case 2: window_->cmdPrevious_Click(); break;
        case 3: Choose(Combo("cbxDate"), dates[int(random() % dates.size())]); break;
        default: window_->cmdNext_Click(); break;
        }
        EXPECT_LE(window_->Frames().Cache().HeldBytes(), kBudget) << "step " << step;
        if (step % 3 != 0)
            continue; // read-ahead interrupted by the next command
        for (int panel = 0; panel < 4; ++panel) {
            ASSERT_EQ(Shown(panel), module_.CurrentFrame) << "panel " << panel << " step " << step;
            EXPECT_EQ(StateOfShown(panel), FrameState::Ready);
        }
    }
}

TEST_F(FramesTest, TheFrameMemoryComesFromTheCommandLineElseTheSettingsElseTheDefault)
{
    const QString file = Folder() + "/budget.ini";
    settings::ViewerPreferences preferences(file);
    viewer::ViewerOptions options;
    EXPECT_EQ(viewer::FrameCacheBudget(options, preferences), imaging::DefaultFrameBudget());
    EXPECT_LE(imaging::DefaultFrameBudget(), qint64(2) << 30);
    preferences.SetFrameCacheMegabytes(48);
    EXPECT_EQ(viewer::FrameCacheBudget(options, preferences), qint64(48) << 20);
    options.FrameCacheBytes = qint64(32) << 20;
    EXPECT_EQ(viewer::FrameCacheBudget(options, preferences), qint64(32) << 20);

    // Too little, or no number, is not taken.
    options.FrameCacheBytes = 0;
    for (const QVariant& value : {QVariant(3), QVariant(QStringLiteral("lots"))}) {
        QSettings(file, QSettings::IniFormat).setValue("Frames/CacheMegabytes", value);
        EXPECT_EQ(viewer::FrameCacheBudget(options, settings::ViewerPreferences(file)), imaging::DefaultFrameBudget());
    }

    // The window takes its budget from its settings file.
    options_.PreferencesFile = file;
    settings::ViewerPreferences(file).SetFrameCacheMegabytes(64);
    Recreate();
    EXPECT_EQ(window_->Frames().Cache().Budget(), qint64(64) << 20);
}

} // namespace
} // namespace windowtest
