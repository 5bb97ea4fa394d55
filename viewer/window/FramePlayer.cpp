#include "viewer/window/FramePlayer.h"

#include "platform/ui/UiServices.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace viewer {

FramePlayer::FramePlayer(ui::UiServices& clock, int pollMilliseconds, QObject* parent)
    : QObject(parent), clock_(clock), pollMilliseconds_(std::max(1, pollMilliseconds)), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    // A frame falls due at one moment: the coarse timer's slack would show it late.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        switch (wait_) {
        case Wait::None:
            Step();
            break;
        case Wait::Frame:
            FrameReadyChanged();
            if (wait_ == Wait::Frame)
                Schedule(pollMilliseconds_);
            break;
        case Wait::Delay:
            CheckWait();
            break;
        }
    });
}

FramePlayer::~FramePlayer() = default;

void FramePlayer::SetFrameCount(int count)
{
    count_ = std::max(0, count);
    const int lastIndex = std::max(0, count_ - 1);
    current_ = std::min(current_, lastIndex);
    if (Running()) {
        // Playback read its last frame when it started; fewer frames now end it sooner.
        last_ = std::min(last_, count_ - 1);
    }
}

void FramePlayer::First()
{
    if (count_ < 1)
        return;
    direction_ = 1;
    Show(0);
}

void FramePlayer::Last()
{
    if (count_ < 1)
        return;
    // From the last frame the only way is back.
    direction_ = -1;
    Show(count_ - 1);
}

bool FramePlayer::Previous()
{
    if (count_ < 1 || current_ - 1 < 0)
        return false;
    direction_ = -1;
    Show(current_ - 1);
    return true;
}

bool FramePlayer::Next()
{
    if (count_ < 1 || current_ + 1 >= count_)
        return false;
    direction_ = 1;
    Show(current_ + 1);
    return true;
}

void FramePlayer::ShowFrame(int frame)
{
    if (count_ < 1)
        return;
    direction_ = 1;
    Show(std::clamp(frame - 1, 0, count_ - 1));
}

void FramePlayer::Show(int index)
{
    current_ = index;
    emit FrameShown(index + 1);
}

void FramePlayer::Play(double delaySeconds)
{
    if (state_ == State::Stopping) {
        playAfterStop_ = true;
        nextDelay_ = delaySeconds;
        return;
    }
    if (state_ == State::Playing || count_ < 1)
        return;
    Start(delaySeconds);
}

void FramePlayer::Start(double delaySeconds)
{
    if (current_ == count_ - 1)
        current_ = 0;
    next_ = current_;
    last_ = count_ - 1;
    delay_ = delaySeconds;
    direction_ = 1;
    wait_ = Wait::None;
    SetState(State::Playing);
    Schedule(0);
}

void FramePlayer::Stop()
{
    if (state_ == State::Playing)
        SetState(State::Stopping);
    // A play asked for while stopping is withdrawn by a second stop.
    playAfterStop_ = false;
}

void FramePlayer::Halt()
{
    playAfterStop_ = false;
    if (Running())
        Finish();
}

void FramePlayer::SetHeld(bool held)
{
    held_ = held;
}

void FramePlayer::SetFrameReadyCheck(std::function<bool()> ready)
{
    frameReady_ = std::move(ready);
}

void FramePlayer::FrameReadyChanged()
{
    if (!Running() || wait_ != Wait::Frame || (frameReady_ && !frameReady_()))
        return;
    StartDelay();
}

void FramePlayer::SetState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit StateChanged(state_);
}

void FramePlayer::Step()
{
    if (!Running())
        return;
    if (held_) {
        Schedule(10);
        return;
    }
    if (state_ == State::Stopping || next_ > last_ || next_ >= count_) {
        Finish();
        return;
    }
    Show(next_);
    wait_ = Wait::Frame;
    FrameReadyChanged();
    if (wait_ == Wait::Frame)
        Schedule(pollMilliseconds_);
}

void FramePlayer::StartDelay()
{
    // The delay is the time the frame is seen: it starts once it is on screen.
    emit PlaybackFrameShown(next_ + 1);
    waitStart_ = clock_.TimeOfDaySeconds();
    wait_ = Wait::Delay;
    Schedule(0);
}

void FramePlayer::CheckWait()
{
    if (!Running())
        return;
    const double elapsed = ui::ElapsedSeconds(waitStart_, clock_.TimeOfDaySeconds());
    if (elapsed > delay_) {
        wait_ = Wait::None;
        ++next_;
        Step();
        return;
    }
    const double remaining = (delay_ - elapsed) * 1000.0;
    Schedule(std::clamp(static_cast<int>(std::ceil(remaining)), 1, pollMilliseconds_));
}

void FramePlayer::Finish()
{
    timer_->stop();
    wait_ = Wait::None;
    if (playAfterStop_ && count_ > 0) {
        // The play pressed while this stop wound down starts now, from the
        // frame the stop left on display; playback never stopped running.
        playAfterStop_ = false;
        Start(nextDelay_);
        return;
    }
    playAfterStop_ = false;
    SetState(State::Stopped);
    emit PlaybackEnded();
}

void FramePlayer::Schedule(int milliseconds)
{
    timer_->start(milliseconds);
}

} // namespace viewer
