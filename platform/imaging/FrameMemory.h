// Pixel memory for decoded frames.
//
// Fresh memory is dear: the kernel faults in and zeroes every page of it, and
// for a 1920x1080 frame that takes longer than decoding the frame at half its
// size (on a virtual machine several times longer). So a frame's rows are
// committed in one request, and when the last image sharing a frame's memory
// is gone, the memory is kept for the next frame of the same size. The frames
// of one study share their size: while the frame cache turns over (one frame
// evicted, one decoded) no fresh memory is taken at all, and a study opened
// after another starts on the memory its predecessor left.
//
// Limits: at most kKeptFrameBytes of released memory is kept, whatever the
// cache's budget; beyond that it goes back to the system at once. Kept memory
// is resident but held by no frame, so it comes on top of the cache's budget.
// Thread-safe: frames are made on the decode workers and released wherever
// their last image goes.
#pragma once

#include <QImage>

namespace imaging {

inline constexpr qint64 kKeptFrameBytes = qint64(64) << 20;

// An uninitialised Format_RGB888 image, rows padded to 4 bytes as QImage pads
// them; null when the memory cannot be had.
QImage NewFrameImage(int width, int height);

// Released frame memory kept for reuse now, in bytes.
qint64 KeptFrameBytes();

} // namespace imaging
