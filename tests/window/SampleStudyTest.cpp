// The generated demonstration study in the window: every panel shows the image
// of its own view for every frame, and playback runs through it.
#include "WindowFixture.h"

#include "platform/imaging/ImageDecoder.h"
#include "tools/make-sample-study/SampleStudyWriter.h"

namespace windowtest {
namespace {

using SampleStudyTest = WindowTest;

TEST_F(SampleStudyTest, EveryPanelShowsItsViewsImageForEveryFrame)
{
    samplestudy::SampleStudyOptions options;
    options.outputFolder = Folder() + "/sample";
    options.views = 4;
    options.dates = 2;
    options.times = 3;
    options.width = 160;
    options.height = 100;
    options.threads = 1;
    const samplestudy::SampleStudyResult written = samplestudy::WriteSampleStudy(options);
    ASSERT_TRUE(written.ok()) << written.error.toStdString();

    Open(written.dvfPath);
    ASSERT_TRUE(ui_.messages.empty());
    ASSERT_EQ(module_.TotalFrames, 6);
    EXPECT_EQ(window_->windowTitle(), "HALVEX Daystrand - Study Name: Sunlit Room");
    for (int frame = 1; frame <= 6; ++frame) {
        for (int panel = 0; panel < 4; ++panel) {
            ASSERT_FALSE(Panel(panel)->isHidden());
            const study::StudySample& sample = module_.Study.Views[panel + 1].Samples[frame];
            const imaging::DecodedImage expected =
                imaging::DecodeImageFile(options.outputFolder + "/" + sample.RgbFile);
            ASSERT_TRUE(expected.ok());
            EXPECT_EQ(Panel(panel)->CurrentImage(), expected.image) << "frame " << frame << " panel " << panel;
        }
        EXPECT_EQ(Box("txtTime")->text(), module_.Study.Views[1].Samples[frame].SampleTime +
                                               (module_.Study.Views[1].Samples[frame].DaylightSaving ? " DST" : ""));
        window_->cmdNext_Click();
    }

    std::vector<int> frames;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                     [&frames](int frame) { frames.push_back(frame); });
    window_->cmdPlay_Click();
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

} // namespace
} // namespace windowtest
