// The stepping and playback class on its own, against a clock the test moves:
// frame numbers at its edges, and the order of stopping, playing again and
// halting. (The window's tests time the frames of a whole playback.)
#include "viewer/window/FramePlayer.h"

#include "platform/ui/FakeUi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using viewer::FramePlayer;
using State = FramePlayer::State;

class FramePlayerTest : public ::testing::Test {
protected:
    FramePlayerTest()
    {
        QObject::connect(&player_, &FramePlayer::FrameShown, [this](int frame) { shown_.push_back(frame); });
        QObject::connect(&player_, &FramePlayer::PlaybackFrameShown, [this](int frame) { played_.push_back(frame); });
        QObject::connect(&player_, &FramePlayer::StateChanged, [this](State state) { states_.push_back(state); });
        QObject::connect(&player_, &FramePlayer::PlaybackEnded, [this] { ++ended_; });
    }

    // Runs the event loop until done() or five seconds have passed.
    bool PumpUntil(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        return true;
    }
    void Pump(int times = 20)
    {
        for (int i = 0; i < times; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
    }
    const std::vector<int>& Played() const { return played_; }

    ui::FakeUi ui_;
    FramePlayer player_{ui_, 1};
    std::vector<int> shown_;
    std::vector<int> played_;
    std::vector<State> states_;
    int ended_ = 0;
};

TEST_F(FramePlayerTest, StepsCountFromOneAndStopAtBothEnds)
{
    EXPECT_EQ(player_.CurrentFrame(), 1);
    player_.Next();
    player_.Last();
    EXPECT_TRUE(shown_.empty()) << "nothing to show without frames";

    player_.SetFrameCount(3);
    EXPECT_FALSE(player_.Previous());
    player_.Last();
    EXPECT_FALSE(player_.Next());
    EXPECT_TRUE(player_.Previous());
    player_.First();
    player_.ShowFrame(99);
    EXPECT_EQ(shown_, (std::vector<int>{3, 2, 1, 3}));

    // Fewer frames bring the current one inside them.
    player_.SetFrameCount(2);
    EXPECT_EQ(player_.CurrentFrame(), 2);
    player_.SetFrameCount(0);
    EXPECT_EQ(player_.CurrentFrame(), 1);
    player_.Play(1);
    EXPECT_FALSE(player_.Running());
}

TEST_F(FramePlayerTest, AFrameNotYetOnScreenIsWaitedForAndItsDelayStartsWhenItArrives)
{
    bool ready = false;
    player_.SetFrameReadyCheck([&ready] { return ready; });
    player_.SetFrameCount(3);
    player_.Play(1.0);
    ASSERT_TRUE(PumpUntil([this] { return shown_.size() == 1; }));
    ui_.Advance(5);
    Pump();
    EXPECT_TRUE(played_.empty()) << "the delay waits for the frame";
    EXPECT_EQ(shown_, (std::vector<int>{1})) << "and nothing is skipped meanwhile";
    ready = true;
    player_.FrameReadyChanged();
    ASSERT_EQ(Played(), (std::vector<int>{1}));
    ui_.Advance(0.5);
    Pump();
    EXPECT_EQ(shown_.size(), 1u) << "the delay counts from the frame's arrival";

    // Without the call, the next look at the clock finds it ready too.
    ready = false;
    ui_.Advance(0.6);
    ASSERT_TRUE(PumpUntil([this] { return shown_.size() == 2; }));
    Pump();
    EXPECT_EQ(played_.size(), 1u);
    ready = true;
    ASSERT_TRUE(PumpUntil([this] { return played_.size() == 2; }));
    EXPECT_EQ(player_.Direction(), 1);
    player_.Halt();
    player_.Previous();
    EXPECT_EQ(player_.Direction(), -1);
}

TEST_F(FramePlayerTest, AStopEndsPlaybackOnlyWhenTheWaitUnderWayHasRunOut)
{
    player_.SetFrameCount(10);
    player_.Play(5.0);
    ASSERT_TRUE(PumpUntil([this] { return played_.size() == 1; }));
    ui_.Advance(2);
    Pump();
    player_.Stop();
    EXPECT_EQ(player_.CurrentState(), State::Stopping);
    EXPECT_TRUE(player_.Running());
    ui_.Advance(2.9);
    Pump();
    EXPECT_EQ(player_.CurrentState(), State::Stopping);
    ui_.Advance(0.2);
    ASSERT_TRUE(PumpUntil([this] { return !player_.Running(); }));
    EXPECT_EQ(Played(), (std::vector<int>{1}));
    EXPECT_EQ(player_.CurrentFrame(), 1);
    EXPECT_EQ(states_, (std::vector<State>{State::Playing, State::Stopping, State::Stopped}));
}

TEST_F(FramePlayerTest, PlayWhileStoppingStartsOnceTheStopHasFinished)
{
    player_.SetFrameCount(3);
    player_.Play(5.0);
    ASSERT_TRUE(PumpUntil([this] { return played_.size() == 1; }));
    player_.Stop();
    player_.Play(0.5);
    ui_.Advance(5.1);
    ui_.stepPerRead = 0.2;
    ASSERT_TRUE(PumpUntil([this] { return !player_.Running(); }));
    // The stop took effect (no frame 2 after the first wait), then the play
    // resumed from the frame the stop left, and was never lost.
    EXPECT_EQ(Played(), (std::vector<int>{1, 1, 2, 3}));
    EXPECT_EQ(states_, (std::vector<State>{State::Playing, State::Stopping, State::Playing, State::Stopped}));
    EXPECT_EQ(ended_, 1);

    // A second stop withdraws a play that was waiting for the first.
    played_.clear();
    player_.ShowFrame(1);
    ui_.stepPerRead = 0;
    player_.Play(5.0);
    ASSERT_TRUE(PumpUntil([this] { return played_.size() == 1; }));
    player_.Stop();
    player_.Play(1);
    player_.Stop();
    ui_.Advance(5.1);
    ASSERT_TRUE(PumpUntil([this] { return !player_.Running(); }));
    EXPECT_EQ(Played(), (std::vector<int>{1}));
}

TEST_F(FramePlayerTest, HaltEndsAtOnceAndFewerFramesEndPlaybackSooner)
{
    player_.SetFrameCount(10);
    player_.Play(5.0);
    ASSERT_TRUE(PumpUntil([this] { return played_.size() == 1; }));
    player_.Halt();
    EXPECT_FALSE(player_.Running());
    EXPECT_EQ(ended_, 1);
    ui_.Advance(6);
    Pump();
    EXPECT_EQ(Played(), (std::vector<int>{1}));

    played_.clear();
    ui_.stepPerRead = 0.5;
    // A panel refreshed during playback leaves six frames where there were ten.
    QObject::connect(&player_, &FramePlayer::PlaybackFrameShown, [this](int frame) {
        if (frame == 6)
            player_.SetFrameCount(6);
    });
    player_.ShowFrame(5);
    player_.Play(1.0);
    ASSERT_TRUE(PumpUntil([this] { return !player_.Running(); }));
    EXPECT_EQ(Played(), (std::vector<int>{5, 6}));
    EXPECT_LE(player_.CurrentFrame(), 6);
}

TEST_F(FramePlayerTest, AHeldPlayerWaitsWithTheNextFrame)
{
    player_.SetFrameCount(2);
    ui_.stepPerRead = 0.1;
    player_.SetHeld(true);
    player_.Play(0);
    Pump();
    EXPECT_TRUE(played_.empty());
    player_.SetHeld(false);
    ASSERT_TRUE(PumpUntil([this] { return !player_.Running(); }));
    EXPECT_EQ(Played(), (std::vector<int>{1, 2}));
}

} // namespace
