// The generated demonstration study in the window: every panel shows the image
// of its own view for every frame, and playback runs through it.
#include "WindowFixture.h"

#include "platform/imaging/ImageDecoder.h"
#include "tools/make-sample-study/SampleStudyWriter.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace windowtest {
namespace {

class SampleStudyTest : public WindowTest {
protected:
    samplestudy::SampleStudyResult Generate()
    {
        options.outputFolder = Folder() + "/sample";
        options.views = 4;
        options.dates = 2;
        options.times = 3;
        options.width = 160;
        options.height = 100;
        options.threads = 1;
        return samplestudy::WriteSampleStudy(options);
    }

    samplestudy::SampleStudyOptions options;
};

TEST_F(SampleStudyTest, EveryPanelShowsItsViewsImageForEveryFrame)
{
    const samplestudy::SampleStudyResult written = Generate();
    ASSERT_TRUE(written.ok()) << written.error.toStdString();

    Open(written.dvfPath);
    ASSERT_TRUE(ui_.messages.empty());
    ASSERT_EQ(module_.TotalFrames, 6);
    EXPECT_EQ(window_->windowTitle(), "HALVEX Daystrand - Study Name: Sunlit Room");
    for (int frame = 1; frame <= 6; ++frame) {
        for (int panel = 0; panel < 4; ++panel) {
            ASSERT_FALSE(Panel(panel)->isHidden());
            const study::StudySample& sample = module_.Study.Views[panel + 1].Samples[frame];
            // Decoded at the scale that covers the panel.
            const QSize full(options.width, options.height);
            const imaging::DecodeScale scale =
                imaging::ScaleToCover(full, Panel(panel)->Geometry().NeededFor(full));
            const imaging::DecodedImage expected =
                imaging::DecodeImageFile(options.outputFolder + "/" + sample.RgbFile, {scale});
            ASSERT_TRUE(expected.ok());
            EXPECT_EQ(ShownImage(panel), expected.image) << "frame " << frame << " panel " << panel;
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

// What a user does with a study from the menu: look at its properties, copy
// them for a spreadsheet, pack it into a package and open that package again.
TEST_F(SampleStudyTest, PropertiesAreCopiedAndThePackedStudyOpensAsItself)
{
    const samplestudy::SampleStudyResult written = Generate();
    ASSERT_TRUE(written.ok()) << written.error.toStdString();
    Open(written.dvfPath);
    ASSERT_EQ(module_.TotalFrames, 6);
    window_->cmdNext_Click();
    const QImage secondFrame = ShownImage(2);

    const QString package = Folder() + "/handed on/Sunlit Room.dvp";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(package).path()));
    ui_.onModal = [&](QDialog& dialog) {
        if (dialog.objectName() == "frmDSFProperties")
            dialog.findChild<QPushButton*>("cmdCopy")->click();
        if (dialog.objectName() == "frmDSFPackage") {
            dialog.findChild<QLineEdit*>("txtFilename")->setText(package);
            dialog.findChild<QPushButton*>("cmdOk")->click();
        }
        return int(QDialog::Accepted);
    };
    window_->stbMain_ToolClick("ID_StudyProperties");
    window_->stbMain_ToolClick("ID_PackageStudy");
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages[0].text.toStdString();

    // Title, header, then each of the four views' six samples and a separator
    // row; a header of eight cells and rows of eight cells each closed by a tab.
    const QStringList lines = QGuiApplication::clipboard()->text().split("\r\n");
    ASSERT_EQ(lines.size(), 2 + 4 * (6 + 1) + 1);
    EXPECT_EQ(lines[0], "Daylight Study Properties: Sunlit Room");
    EXPECT_EQ(lines[1].count('\t'), 7);
    for (int i = 2; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].count('\t'), 8) << lines[i].toStdString();
    EXPECT_TRUE(lines[2].startsWith(module_.Study.Views[1].ViewName + "\t"));
    EXPECT_EQ(lines.back(), "");

    ASSERT_TRUE(QFileInfo(package).isFile());
    ui_.onModal = nullptr;
    Open(package);
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages[0].text.toStdString();
    EXPECT_EQ(window_->windowTitle(), "HALVEX Daystrand - Study Name: Sunlit Room");
    EXPECT_EQ(module_.TotalFrames, 6);
    EXPECT_NE(module_.CurrentFolder, QFileInfo(written.dvfPath).path() + "/");
    window_->cmdNext_Click();
    EXPECT_EQ(ShownImage(2), secondFrame);
}

} // namespace
} // namespace windowtest
