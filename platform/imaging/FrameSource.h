// What a panel's list holds for one frame: the file to decode when the frame is
// wanted, or the note that the file is missing. Decoded pictures live in the
// window's frame cache, not in the list.
#pragma once

#include "platform/imaging/ImageDecoder.h"

#include <QSize>
#include <QString>

namespace imaging {

enum class FrameSourceKind { File, Missing };

struct FrameSource {
    FrameSourceKind kind = FrameSourceKind::Missing;
    QString path;          // the file the study names, also when it is missing
    QSize size;            // full size read from the header; empty when missing
    bool scalable = false; // a JPEG TurboJPEG decodes at reduced DCT scales

    bool IsMissing() const { return kind == FrameSourceKind::Missing; }

    static FrameSource Missing(const QString& path) { return {FrameSourceKind::Missing, path, {}, false}; }
    // A file whose header was read without error.
    static FrameSource FromHeader(const QString& path, const ImageHeader& header)
    {
        return {FrameSourceKind::File, path, header.size, header.jpeg};
    }

    // The scale to decode at so the frame covers `needed` device pixels.
    DecodeScale ScaleFor(QSize needed) const
    {
        return scalable ? ScaleToCover(size, needed) : DecodeScale::Full;
    }
    // The bytes the frame takes decoded at `scale`.
    qint64 BytesAt(DecodeScale scale) const
    {
        return DecodedBytes(scalable ? ScaledSize(size, scale) : size);
    }
};

} // namespace imaging
