// Decodes a panel's image files, or reads their headers into frame sources, on a
// pool of worker threads and hands the results to the caller in frame order. The
// first file in frame order that fails ends the load: the frames before it are
// delivered, the ones after it are not.
#pragma once

#include "platform/imaging/FrameSource.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace imaging {

struct FrameLoadOutcome {
    int delivered = 0;   // frames handed to the sink: those before the failure, or all
    int failedIndex = -1; // index of the first failing file in frame order, -1 when none
    QString error;       // its decoder text (see ImageDecoder.h); "" when all decoded
    bool ok() const { return error.isEmpty(); }
};

class FrameLoader {
public:
    // Called on the thread that called Load, in frame order, once per decoded
    // frame, as soon as that frame and all before it are ready. The sink may
    // update and repaint a progress bar (processEvents excluding user input).
    using FrameSink = std::function<void(int index, const QImage& image)>;
    using SourceSink = std::function<void(int index, const FrameSource& source)>;
    // Called on the calling thread about every 50 ms while it waits for the next
    // frame, so the caller can keep its window painted during a slow decode.
    using WaitTick = std::function<void()>;

    // workerCount 0: one worker per processor core; 1: decode on the calling
    // thread, no workers.
    explicit FrameLoader(int workerCount = 0);

    int WorkerCount() const { return workers_; }

    // `paths` in frame order. Returns when every frame is delivered or the first
    // failure is found; no worker runs after it returns. An exception thrown by
    // the sink stops the workers and passes on to the caller.
    FrameLoadOutcome Load(const QStringList& paths, const FrameSink& sink,
                          const WaitTick& tick = {}) const;
    // The same reading headers only (ReadImageHeader): a panel's list of frame
    // sources, with every check a decode would make before reserving memory.
    FrameLoadOutcome LoadSources(const QStringList& paths, const SourceSink& sink,
                                 const WaitTick& tick = {}) const;

private:
    int workers_;
};

} // namespace imaging
