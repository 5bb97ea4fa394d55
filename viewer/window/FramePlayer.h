// Stepping through a study's frames and playing them back on a timer. Frame
// numbers are 1 .. FrameCount() at this interface and 0-based inside. Playback
// shows every frame from the current one to the last, each followed by one full
// delay measured on the injected clock; a stop is a request that ends playback
// once the current wait has run out, before another frame is shown. Frames are
// decoded on demand: a frame's delay starts only once the window says it is on
// screen (SetFrameReadyCheck), so a frame still being decoded is waited for,
// never skipped.
#pragma once

#include <QObject>

#include <functional>

class QTimer;

namespace ui {
class UiServices;
}

namespace viewer {

class FramePlayer : public QObject {
    Q_OBJECT

public:
    enum class State {
        Stopped,
        Playing,
        Stopping, // a stop was asked for; the wait under way still runs to its end
    };
    Q_ENUM(State)

    // clock: its time of day is read while playback waits. pollMilliseconds is
    // the longest pause between two looks at the clock.
    explicit FramePlayer(ui::UiServices& clock, int pollMilliseconds = 50, QObject* parent = nullptr);
    ~FramePlayer() override;

    State CurrentState() const { return state_; }
    // Playing or stopping: the window refuses to close meanwhile.
    bool Running() const { return state_ != State::Stopped; }

    // 1 .. FrameCount(); 1 also while there is no frame.
    int CurrentFrame() const { return current_ + 1; }
    int FrameCount() const { return count_; }

    // A new number of frames (a study was loaded, a panel refreshed). The
    // current frame and the end of a running playback are brought inside it;
    // nothing is shown.
    void SetFrameCount(int count);

    // The step commands: each shows a frame and reports it through FrameShown;
    // the ends of the study stop Previous and Next (no wrap). All do nothing
    // without frames. Previous and Next return false when they did not move.
    void First();
    void Last();
    bool Previous();
    bool Next();
    // Shows `frame` (brought inside 1 .. FrameCount()).
    void ShowFrame(int frame);

    // Plays from the current frame to the last, or from the first when the
    // current frame is the last one. Ignored while playing; while a stop winds
    // down, playback starts again as soon as that stop has finished.
    void Play(double delaySeconds);
    // Asks a running playback to end after the wait under way.
    void Stop();
    // Ends playback now, without waiting (the frames are about to be replaced).
    void Halt();

    // While held (a panel is being loaded), a frame that falls due waits.
    void SetHeld(bool held);

    // Whether the frame just shown is on screen everywhere it should be.
    // Playback starts the frame's delay once it says so; the window calls
    // FrameReadyChanged when that may have become true (it is also looked at
    // every poll interval, for a panel hidden meanwhile). None: always ready.
    void SetFrameReadyCheck(std::function<bool()> ready);
    void FrameReadyChanged();

    // The way the last command moved: +1 forward (Next, First, Play, a frame
    // chosen), -1 back (Previous, Last). Read-ahead follows it.
    int Direction() const { return direction_; }

signals:
    // A frame was put on display, by a step command or by playback.
    void FrameShown(int frame);
    // Playback showed `frame` (after FrameShown).
    void PlaybackFrameShown(int frame);
    void StateChanged(viewer::FramePlayer::State state);
    // Playback has ended, after the last frame's delay, a stop or a halt.
    void PlaybackEnded();

private:
    void Show(int index);
    void Start(double delaySeconds);
    void SetState(State state);
    void Step();
    void StartDelay();
    void CheckWait();
    void Finish();
    void Schedule(int milliseconds);

    ui::UiServices& clock_;
    int pollMilliseconds_;
    QTimer* timer_;

    State state_ = State::Stopped;
    int count_ = 0;
    int current_ = 0;     // 0-based
    int next_ = 0;        // the frame playback shows next
    int last_ = 0;        // the frame it ends with, read when it starts
    double delay_ = 0;    // seconds, read when it starts
    // What a playing player waits for before the next step.
    enum class Wait {
        None,  // the next frame is due
        Frame, // the frame shown is still being decoded
        Delay, // the frame is on screen; its delay runs
    };
    Wait wait_ = Wait::None;
    double waitStart_ = 0;
    bool held_ = false;
    int direction_ = 1;
    std::function<bool()> frameReady_;
    bool playAfterStop_ = false;
    double nextDelay_ = 0;
};

} // namespace viewer
