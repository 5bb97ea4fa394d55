// The image files the imaging tests read: good ones, and damaged ones kept one
// per defect and named for it.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace imagingtest {

inline QString DataFile(const char* name)
{
    return QStringLiteral(HALVEX_SOURCE_DIR "/tests/imaging/data/") + QString::fromLatin1(name);
}

// Channels within `tolerance` of the expected colour (JPEG is lossy).
inline bool Near(QRgb actual, QColor expected, int tolerance = 12)
{
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

inline QImage Solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

} // namespace imagingtest
