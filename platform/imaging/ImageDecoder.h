// Decodes one image file into a 24-bit RGB image: JPEG through TurboJPEG straight
// into the image's own rows, at a reduced DCT scale when asked, every other
// format Qt reads through QImageReader. Also reads an image's header alone.
// Safe to call from several threads at once; never throws.
#pragma once

#include "platform/imaging/DecodeScale.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace imaging {

// A decoded image larger than this (768 MiB at 3 bytes a pixel) is refused
// before any memory is asked for: a damaged header can claim any size.
inline constexpr qint64 kMaxImagePixels = qint64(1) << 28;

// A JPEG's entropy-coded data spends at least a bit on every 8x8 block of every
// component in any coding met in practice (a grey image of one flat colour, in
// optimised Huffman codes, comes to about 256 pixels a byte). A header that
// claims more pixels than this many per byte of the file lies, and is refused
// before its size is reserved.
inline constexpr qint64 kMaxJpegPixelsPerByte = 1024;
// ... but any file may claim this many, so that tiny test frames always pass.
inline constexpr qint64 kPlausiblePixelsAnyFile = qint64(4) << 20;

struct DecodeOptions {
    // JPEG only: the DCT scaling factor (see DecodeScale.h).
    DecodeScale scale = DecodeScale::Full;
    // The decoded image may take at most this many bytes; a larger one is
    // refused from its header, before its memory is taken. A frame cache passes
    // its budget here.
    qint64 maxBytes = kMaxImagePixels * 3;
};

struct DecodedImage {
    QImage image;  // Format_RGB888; null when decoding failed
    QString error; // "" on success
    DecodeScale scale = DecodeScale::Full; // the scale `image` has
    bool ok() const { return error.isEmpty(); }
};

// Failure texts, with <path> as given and <reason> the decoder's own words:
//   Image file not found: <path>
//   Image file could not be read: <path> (<reason>)      includes folders, devices and FIFOs
//   Image file is too large to read: <path> (<n> bytes)
//   Image file is damaged or not a valid JPEG image: <path> (<reason>)
//   Image file is not in a supported image format: <path> (<reason>)
//   Image file is too large to decode: <path> (<w> x <h> pixels)
//   Image file claims more pixels than it holds: <path> (<w> x <h> pixels in <n> bytes)
//   Not enough memory to decode the image file: <path>
DecodedImage DecodeImageFile(const QString& path, const DecodeOptions& options = {});

// The same for bytes already in memory; `name` stands for <path> in the texts.
DecodedImage DecodeImageBytes(const QByteArray& bytes, const QString& name,
                              const DecodeOptions& options = {});

struct ImageHeader {
    QSize size;       // full size in pixels; invalid when reading failed
    bool jpeg = false; // decodable at a reduced scale
    QString error;    // the texts above
    bool ok() const { return error.isEmpty(); }
};

// Reads only as much of the file as its header needs (a few kilobytes as a
// rule) and applies every check a decode would make before reserving memory,
// so a file that passes here fails later only for damage inside its data.
ImageHeader ReadImageHeader(const QString& path);

// The bytes an image of `size` takes once decoded (rows padded to 4 bytes).
qint64 DecodedBytes(QSize size);

} // namespace imaging
