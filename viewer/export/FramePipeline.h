// Renders the frames of an export on a pool of worker threads and hands them to
// the caller in order as soon as each one and all before it are ready, so that
// encoding starts with the first frame and decoding keeps ahead of it. Only a
// few frames are rendered ahead of the one the caller waits for, which bounds
// the memory an export takes whatever its length.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace exporting {

// One rendered frame, or why it could not be rendered.
struct RenderedFrame {
    QImage Image;  // null on failure
    QString Error; // "" on success
    bool ok() const { return Error.isEmpty(); }
};

struct PipelineOutcome {
    int Delivered = 0;    // frames handed to the sink
    bool Stopped = false; // the sink or the wait asked to stop
    QString Error;        // the first render failure in frame order; "" when none
    bool ok() const { return Error.isEmpty() && !Stopped; }
};

class FramePipeline {
public:
    // Called on a worker thread for item `index`. Must be safe to run on several
    // threads at once; an exception it throws counts as that frame's failure.
    using Render = std::function<RenderedFrame(int index)>;
    // Called on the caller's thread, in order, once per frame; false stops.
    using Sink = std::function<bool(int index, const QImage& frame)>;
    // Called on the caller's thread about every 50 ms while it waits for a
    // frame, so a window can stay painted and take a Cancel; false stops.
    using Wait = std::function<bool()>;

    // workers 0: one per processor core. ahead: how many frames may be ready or
    // in the works beyond the one being handed over; 0 is twice the workers.
    explicit FramePipeline(int workers = 0, int ahead = 0);

    int Workers() const { return workers_; }

    // Items 0 .. count - 1. Returns when every frame has been delivered, a
    // frame failed, or the sink or the wait said stop; no worker runs after it
    // returns. An exception thrown by the sink passes on once workers are joined.
    PipelineOutcome Run(int count, const Render& render, const Sink& sink, const Wait& wait = {}) const;

private:
    int workers_;
    int ahead_;
};

} // namespace exporting
