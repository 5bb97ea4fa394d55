// Text and the false-colour legend laid over the generated pictures. They are
// drawn once with QPainter on the thread that owns the application and then
// blended into each frame, so the frame workers never touch fonts.
#pragma once

#include <QImage>
#include <QString>

namespace samplestudy {

// A caption on a translucent dark band, as ARGB32_Premultiplied; `pixelHeight`
// is the text's size in pixels.
QImage RenderLabel(const QString& text, int pixelHeight);

// The vertical illuminance scale of the false-colour pictures, 10 to 10000 lux,
// for a frame of the given height.
QImage RenderLegend(int frameHeight);

// Blends `overlay` (ARGB32_Premultiplied) into `frame` (RGB888) with its
// top-left corner at (x, y); parts outside the frame are cut off.
void BlendOverlay(QImage& frame, const QImage& overlay, int x, int y);

} // namespace samplestudy
