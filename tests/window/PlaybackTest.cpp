// Stepping through frames, playback against a clock the test moves, the date
// list, the delay spinner and the frame keys.
#include "WindowFixture.h"

#include "viewer/window/UpDownSpinner.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace windowtest {
namespace {

class PlaybackTest : public WindowTest {
protected:
    struct ShownFrame {
        int frame;
        double clock;
    };

    void OpenFrames(int count)
    {
        Open(WriteStudy(SimpleStudy(1, count)));
        ASSERT_EQ(module_.TotalFrames, count);
    }

    // Plays to the end and returns the frames shown with the clock at each.
    std::vector<ShownFrame> Play()
    {
        std::vector<ShownFrame> shown;
        auto connection = QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                                           [&](int frame) { shown.push_back({frame, ui_.now}); });
        window_->cmdPlay_Click();
        EXPECT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
        QObject::disconnect(connection);
        return shown;
    }

    static std::vector<int> Frames(const std::vector<ShownFrame>& shown)
    {
        std::vector<int> frames;
        for (const ShownFrame& s : shown)
            frames.push_back(s.frame);
        return frames;
    }
};

TEST_F(PlaybackTest, StepsStopAtBothEndsWithoutWrapping)
{
    OpenFrames(3);
    window_->cmdPrevious_Click();
    EXPECT_EQ(module_.CurrentFrame, 1);
    window_->cmdLast_Click();
    EXPECT_EQ(module_.CurrentFrame, 3);
    EXPECT_EQ(Box("txtCurrentFrame")->text(), " 3");
    EXPECT_EQ(Shown(0), 3);
    window_->cmdNext_Click();
    EXPECT_EQ(module_.CurrentFrame, 3);
    window_->cmdPrevious_Click();
    EXPECT_EQ(Shown(0), 2);
    window_->cmdFirst_Click();
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Shown(0), 1);
}

TEST_F(PlaybackTest, ButtonsRunTheirCommands)
{
    OpenFrames(4);
    Button("cmdLast")->click();
    EXPECT_EQ(module_.CurrentFrame, 4);
    Button("cmdPrevious")->click();
    EXPECT_EQ(module_.CurrentFrame, 3);
    Button("cmdFirst")->click();
    Button("cmdNext")->click();
    EXPECT_EQ(module_.CurrentFrame, 2);
    EXPECT_EQ(Button("cmdPlay")->toolTip(), "Start Playback");
    EXPECT_EQ(Button("cmdStop")->toolTip(), "Stop Playback");
}

TEST_F(PlaybackTest, PlayShowsEveryFrameEachFollowedByAFullDelay)
{
    OpenFrames(10);
    for (int i = 0; i < 2; ++i)
        window_->cmdNext_Click();
    ui_.now = 100;
    std::vector<ShownFrame> shown;
    bool endedSeen = false;
    double endedAt = 0;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackEnded, [&] {
        endedSeen = true;
        endedAt = ui_.now;
    });
    shown = Play();
    EXPECT_EQ(Frames(shown), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_GT(shown[i].clock - shown[i - 1].clock, 1.0) << i;
    ASSERT_TRUE(endedSeen);
    EXPECT_GT(endedAt - shown.back().clock, 1.0);
    EXPECT_EQ(module_.CurrentFrame, 10);
    EXPECT_FALSE(module_.PlaybackRunning);
    EXPECT_EQ(ui_.cursorChanges.back(), ui::CursorShape::Default);
    EXPECT_NE(std::find(ui_.cursorChanges.begin(), ui_.cursorChanges.end(), ui::CursorShape::ArrowHourglass),
              ui_.cursorChanges.end());
}

TEST_F(PlaybackTest, PlayOnTheLastFrameStartsFromTheFirst)
{
    OpenFrames(3);
    window_->cmdLast_Click();
    EXPECT_EQ(Frames(Play()), (std::vector<int>{1, 2, 3}));
}

TEST_F(PlaybackTest, OneFrameIsShownOnceAndWaitedFor)
{
    OpenFrames(1);
    window_->cmdNext_Click();
    window_->cmdPrevious_Click();
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Frames(Play()), (std::vector<int>{1}));
}

TEST_F(PlaybackTest, StopDuringAWaitEndsAfterThatWaitWithoutAnotherFrame)
{
    OpenFrames(10);
    ui_.stepPerRead = 0;
    // Five seconds.
    for (int i = 0; i < 40; ++i)
        Find<viewer::UpDownSpinner>("spnDelay")->ClickUp();
    EXPECT_EQ(Box("txtDelay")->text(), " 5");

    std::vector<int> frames;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                     [&](int frame) { frames.push_back(frame); });
    window_->cmdPlay_Click();
    ASSERT_TRUE(PumpUntil([&] { return frames.size() == 1; }));
    ui_.Advance(2);
    PumpUntil([] { return false; }, 20);
    Button("cmdStop")->click();
    ui_.Advance(2.5);
    PumpUntil([] { return false; }, 20);
    EXPECT_TRUE(module_.PlaybackRunning); // the wait runs to its end
    ui_.Advance(0.6);
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    EXPECT_EQ(frames, (std::vector<int>{1}));
    EXPECT_EQ(module_.CurrentFrame, 1);

    // Resuming shows the frame it stopped on again.
    ui_.stepPerRead = 1;
    EXPECT_EQ(Frames(Play()).front(), 1);
}

TEST_F(PlaybackTest, AStopWhileIdleDoesNotStopTheNextPlayback)
{
    OpenFrames(3);
    window_->cmdStop_Click();
    EXPECT_TRUE(module_.StopRequested);
    EXPECT_EQ(Frames(Play()), (std::vector<int>{1, 2, 3}));
}

TEST_F(PlaybackTest, ASecondPlayWhilePlayingIsIgnoredAndCloseIsRefused)
{
    OpenFrames(4);
    ui_.stepPerRead = 0;
    std::vector<int> frames;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                     [&](int frame) { frames.push_back(frame); });
    window_->cmdPlay_Click();
    ASSERT_TRUE(PumpUntil([&] { return frames.size() == 1; }));
    window_->cmdPlay_Click();
    EXPECT_TRUE(module_.PlaybackRunning);

    EXPECT_FALSE(window_->close());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Can not exit during study playback. Please stop playback and try again.");
    EXPECT_EQ(ui_.messages[0].title, "HALVEX Daystrand");
    EXPECT_EQ(ui_.messages[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(ui_.messages[0].buttons, ui::MessageButtons::Ok);
    EXPECT_TRUE(ui_.messages[0].systemModal);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(Panel(0)->ImageCount(), 4);

    ui_.stepPerRead = 0.5;
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(window_->close());
    EXPECT_TRUE(module_.StopRequested);
    EXPECT_EQ(Panel(0)->ImageCount(), 0);
}

TEST_F(PlaybackTest, AWaitAcrossMidnightStillEnds)
{
    OpenFrames(2);
    ui_.now = 86399.5;
    ui_.stepPerRead = 0.3;
    const std::vector<ShownFrame> shown = Play();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_LT(shown[1].clock, 10); // the clock wrapped between the frames
}

TEST_F(PlaybackTest, TheDelayIsReadFromItsText)
{
    OpenFrames(2);
    ui_.now = 0;
    ui_.stepPerRead = 0.125;
    Box("txtDelay")->setText(" 2.5");
    std::vector<ShownFrame> shown = Play();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_GT(shown[1].clock - shown[0].clock, 2.5);
    EXPECT_LT(shown[1].clock - shown[0].clock, 2.5 + 0.5);

    Box("txtDelay")->setText(" .1");
    window_->cmdFirst_Click();
    shown = Play();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_LT(shown[1].clock - shown[0].clock, 0.5);
}

TEST_F(PlaybackTest, SpinnerClicksRewriteTheDelay)
{
    auto* spinner = Find<viewer::UpDownSpinner>("spnDelay");
    EXPECT_EQ(Box("txtDelay")->text(), " 1");
    EXPECT_EQ(spinner->Value(), 10);
    EXPECT_EQ(spinner->Maximum(), 50);
    spinner->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(Box("txtDelay")->text(), " 1.1");
    spinner->SetValue(5);
    spinner->findChild<QToolButton*>("down")->click();
    EXPECT_EQ(Box("txtDelay")->text(), " .4");
    spinner->SetValue(50);
    spinner->ClickUp();
    EXPECT_EQ(Box("txtDelay")->text(), " 5");
    spinner->SetValue(spinner->Minimum());
    spinner->ClickDown();
    EXPECT_EQ(Box("txtDelay")->text(), " .1");
}

TEST_F(PlaybackTest, ChoosingADateShowsItsFirstFrame)
{
    Study study = SimpleStudy(1, 9);
    study.samples[3].dst = true;
    Open(WriteStudy(study));
    Choose(Combo("cbxDate"), "June 21");
    EXPECT_EQ(module_.CurrentFrame, 4);
    EXPECT_EQ(Box("txtCurrentFrame")->text(), " 4");
    EXPECT_EQ(Box("txtTime")->text(), "12:00 DST");
    EXPECT_EQ(Shown(0), 4);

    window_->cmdNext_Click();
    EXPECT_EQ(Box("txtTime")->text(), "13:00");
    EXPECT_EQ(Combo("cbxDate")->currentText(), "June 21");
    window_->cmdPrevious_Click();
    EXPECT_EQ(Box("txtTime")->text(), "12:00 DST");
    window_->cmdLast_Click();
    EXPECT_EQ(Combo("cbxDate")->currentText(), "June 22");
}

TEST_F(PlaybackTest, HiddenPanelsAreLeftAlone)
{
    Open(WriteStudy(SimpleStudy(2, 3)));
    Panel(1)->hide();
    window_->cmdLast_Click();
    EXPECT_EQ(Shown(0), 3);
    EXPECT_EQ(Panel(1)->ShownPosition(), 0);
}

TEST_F(PlaybackTest, FrameNumbersAreSpaceSigned)
{
    OpenFrames(12);
    window_->cmdLast_Click();
    EXPECT_EQ(Box("txtCurrentFrame")->text(), " 12");
    EXPECT_EQ(Box("txtTotalFrames")->text(), " 12");
}

TEST_F(PlaybackTest, RefreshRestartsAtFrameOneWithItsDate)
{
    OpenFrames(5);
    window_->cmdLast_Click();
    ASSERT_EQ(Combo("cbxDate")->currentText(), "June 21");
    Button("cmdRefresh(0)")->click();
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Shown(0), 1);
    EXPECT_EQ(Combo("cbxDate")->currentText(), "June 20");
    EXPECT_EQ(Box("txtTime")->text(), "9:00");
}

TEST_F(PlaybackTest, OpeningAnotherStudyDuringPlaybackStopsItFirst)
{
    OpenFrames(10);
    Box("txtDelay")->setText(" .1");
    ui_.stepPerRead = 0.05;
    std::vector<int> frames;
    QObject::connect(window_.get(), &viewer::frmDSFViewer::PlaybackFrameShown, [&](int frame) {
        frames.push_back(frame);
        if (frame == 7)
            ui_.stepPerRead = 0; // the clock stands still: playback waits on frame 7
    });
    window_->cmdPlay_Click();
    ASSERT_TRUE(PumpUntil([&] { return !frames.empty() && frames.back() == 7; }));

    Open(WriteStudy(SimpleStudy(1, 3), "short.dvf"));
    EXPECT_FALSE(module_.PlaybackRunning);
    EXPECT_EQ(module_.TotalFrames, 3);
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Box("txtCurrentFrame")->text(), " 1");
    EXPECT_EQ(ui_.cursorChanges.back(), ui::CursorShape::Default);
    ui_.stepPerRead = 1;
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(frames.back(), 7);
    EXPECT_LE(module_.CurrentFrame, module_.TotalFrames);
}

TEST_F(PlaybackTest, KeysRunTheFrameCommands)
{
    OpenFrames(5);
    Key(Qt::Key_End);
    EXPECT_EQ(module_.CurrentFrame, 5);
    Key(Qt::Key_Left);
    EXPECT_EQ(module_.CurrentFrame, 4);
    Key(Qt::Key_Home);
    EXPECT_EQ(module_.CurrentFrame, 1);
    Key(Qt::Key_Right);
    EXPECT_EQ(module_.CurrentFrame, 2);
    Key(Qt::Key_A);
    EXPECT_EQ(module_.CurrentFrame, 2);

    ui_.stepPerRead = 0;
    Key(Qt::Key_Up);
    EXPECT_TRUE(module_.PlaybackRunning);
    Key(Qt::Key_Down);
    EXPECT_TRUE(module_.StopRequested);
    ui_.stepPerRead = 0.5;
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));

    Key(Qt::Key_PageUp);
    EXPECT_EQ(Display(0)->text(), "2");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Display(0)->text(), "1");
}

TEST_F(PlaybackTest, FrameKeysActWhateverHasTheFocusAndGoNoFurther)
{
    Open(WriteStudy(SimpleStudy(2, 5)));
    ASSERT_EQ(QApplication::activeWindow(), window_.get());
    Views(0)->setFocus();
    Key(Qt::Key_End);
    EXPECT_EQ(module_.CurrentFrame, 5);
    Key(Qt::Key_Home);
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(Views(0)->currentText(), "View A");
    auto* tabs = Find<QTabWidget>("sstViews");
    tabs->findChild<QTabBar*>()->setFocus();
    Key(Qt::Key_Right);
    EXPECT_EQ(module_.CurrentFrame, 2);
    EXPECT_EQ(tabs->currentIndex(), 0);

    // With the column hidden, a key sent to a list in it starts playback and
    // leaves the list alone.
    window_->ToggleScreen();
    ui_.stepPerRead = 0;
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(Views(1), &up);
    EXPECT_TRUE(module_.PlaybackRunning);
    EXPECT_EQ(Views(1)->currentText(), "View B");

    // Space stops it, and Ctrl+Q is refused meanwhile as Exit is.
    Key(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Can not exit during study playback. Please stop playback and try again.");
    Key(Qt::Key_Space);
    EXPECT_TRUE(module_.StopRequested);
    ui_.stepPerRead = 0.5;
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));
    Key(Qt::Key_Space);
    EXPECT_TRUE(module_.PlaybackRunning);
    window_->cmdStop_Click();
    ASSERT_TRUE(PumpUntil([this] { return !module_.PlaybackRunning; }));

    Key(Qt::Key_F11);
    EXPECT_FALSE(module_.ScreenToggled);
    Key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ui_.fileDialogs.size(), 2u); // the Open above and this one, cancelled
    EXPECT_EQ(module_.TotalFrames, 5);
}

} // namespace
} // namespace windowtest
