// Draws a decoded frame into the rectangle it takes on screen, quickly while the
// view moves and smoothly once it rests. Where the whole frame scaled is not
// much larger than the control, one smoothly scaled copy is made when the event
// loop is idle and then only copied to the screen, also while panning; further
// in, just the visible part is scaled, from 32-bit pixels, which Qt scales many
// times faster than packed 24-bit ones.
#pragma once

#include <QImage>
#include <QRect>

class QPainter;

namespace imaging {

// From this many screen pixels to a frame pixel the pixels are drawn as
// squares: close up the user wants to see them, and it is the fastest drawing.
inline constexpr double kCrispScale = 2.0;

class ScaledImage {
public:
    // Draws `image` into `target` (the control's pixels), of which only
    // `visible` is on screen; `ratio` is the screen's device pixel ratio.
    // True when a smooth copy should be made (Refine) once the event loop is
    // idle: the nearest pixels were drawn meanwhile.
    bool Draw(QPainter& painter, const QImage& image, const QRect& target, const QRect& visible, qreal ratio,
              bool moving);
    // Makes the smooth copy for `target` when it is worth making; true when
    // one was made.
    bool Refine(const QImage& image, const QRect& target, const QRect& visible, qreal ratio);
    // Lets go of the copies (the frame changed for good, or the control hides).
    void Clear();

private:
    bool Fits(const QImage& image, const QRect& target, qreal ratio) const;
    const QImage& Rgb32Of(const QImage& image);

    QImage refined_;
    qint64 refinedKey_ = -1;
    QImage rgb32_;
    qint64 rgb32Key_ = -1;
};

} // namespace imaging
