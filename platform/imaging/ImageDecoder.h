// Decodes one image file into a 24-bit RGB image: JPEG through TurboJPEG straight
// into the image's own rows, every other format Qt reads through QImageReader.
// Safe to call from several threads at once.
#pragma once

#include <QImage>
#include <QString>

namespace imaging {

struct DecodedImage {
    QImage image;  // Format_RGB888; null when decoding failed
    QString error; // "" on success
    bool ok() const { return error.isEmpty(); }
};

// Failure texts, with <path> as given and <reason> the decoder's own words:
//   Image file not found: <path>
//   Image file could not be read: <path> (<reason>)
//   Image file is damaged or not a valid JPEG image: <path> (<reason>)
//   Image file is not in a supported image format: <path> (<reason>)
//   Not enough memory to decode the image file: <path>
DecodedImage DecodeImageFile(const QString& path);

// The same for bytes already in memory; `name` stands for <path> in the texts.
DecodedImage DecodeImageBytes(const QByteArray& bytes, const QString& name);

} // namespace imaging
