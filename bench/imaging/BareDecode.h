// The least a viewer could do to show a study's first frames: read the first
// frame of each of the study's first views and decode it whole with one bare
// TurboJPEG handle, nothing else. The panels' and the window's openings are set
// against it.
#pragma once

#include <QString>

namespace bench {

// Seconds for `views` first frames, the best of `rounds`; aborts on a study or
// frame it cannot read (a benchmark's own data).
double BareFirstFrames(const QString& dvf, int views, int rounds = 3);

} // namespace bench
