// The window's one frame cache and its read-ahead, on the user-interface side:
// panels showing frame sources attach here; whenever one of them moves, the
// list of wanted frames is made again (shown frames first, then ahead in the
// direction of play), and decoded frames are handed back to the panels on this
// thread. Clear cancels all outstanding work at once.
#pragma once

#include "platform/imaging/FrameCache.h"
#include "platform/imaging/ReadAheadPlan.h"

#include <QObject>
#include <QString>

#include <vector>

namespace imaging {

class ImagingControl;

class FrameScheduler : public QObject {
    Q_OBJECT

public:
    // `workers` as for FrameCache (-1: none; tests run jobs with RunOneJob).
    explicit FrameScheduler(qint64 budgetBytes = DefaultFrameBudget(), int workers = 0,
                            QObject* parent = nullptr);
    ~FrameScheduler() override;

    FrameCache& Cache() { return cache_; }
    void SetLimits(const ReadAheadLimits& limits) { limits_ = limits; }

    // The way the play head last moved: +1 forward, -1 back. Read-ahead follows it.
    void SetDirection(int direction);
    int Direction() const { return direction_; }

    void Attach(ImagingControl* panel);
    void Detach(ImagingControl* panel);

    // Makes the wanted list again on the next turn of the event loop; several
    // requests in one turn (four panels stepping) make it once.
    void ScheduleReplan();
    // Makes it now.
    void Replan();
    // Drops all wanted frames and everything not on screen, and discards
    // decodes still running: another study is opened or the window closes.
    void Clear();

    // True while wanted frames are still to be decoded, or the list of them is
    // still to be made again.
    bool ReadAheadPending() const { return pending_ || replanQueued_; }

    // True while a panel on screen still waits for the frame it shows. Panels
    // hold back their smooth copies meanwhile: with four panels stepping, the
    // smoothing of the first frame to arrive would keep the other three
    // waiting behind it.
    bool ShownFrameAwaited() const;

    // Decodes one wanted frame on this thread and delivers it (no workers).
    bool RunOneJob();

signals:
    // A frame was decoded or failed; panels showing it update themselves.
    void FrameDecoded(const QString& path);
    // Read-ahead started or finished (for a small indicator).
    void ReadAheadChanged(bool pending);

private:
    void Deliver(const QString& path);
    void ResumeRefines();
    void UpdatePending();

    FrameCache cache_;
    ReadAheadLimits limits_;
    std::vector<ImagingControl*> panels_;
    int direction_ = 1;
    bool replanQueued_ = false;
    bool pending_ = false;
};

} // namespace imaging
