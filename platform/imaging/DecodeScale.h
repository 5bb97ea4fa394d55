// The sizes a JPEG can be decoded at for less than the cost of a full decode:
// TurboJPEG scales inside the inverse DCT, so a frame shown small is decoded
// small. Other formats always decode at full size.
#pragma once

#include <QSize>

namespace imaging {

// The denominator of the scaling factor 1/n.
enum class DecodeScale : int { Full = 1, Half = 2, Quarter = 4, Eighth = 8 };

// The size a full-size image of `full` pixels decodes to at `scale`: each side
// divided and rounded up, as the decoder does.
QSize ScaledSize(QSize full, DecodeScale scale);

// The smallest scale whose result still covers `needed` (device pixels) in both
// directions; Full when no smaller one does. `needed` is the image as it lands
// on screen, so a panel in fit mode passes its fitted image rectangle and a
// zoomed panel the zoomed image's size: that is how a zoom that needs more
// pixels asks for a larger decode.
DecodeScale ScaleToCover(QSize full, QSize needed);

// An image decoded at `held` serves a request for `wanted` when it has at
// least as many pixels.
inline bool ScaleServes(DecodeScale held, DecodeScale wanted)
{
    return static_cast<int>(held) <= static_cast<int>(wanted);
}

} // namespace imaging
