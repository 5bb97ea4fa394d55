// Reads the bytes of one image file, safely whatever the path names: only a
// regular file is read, it is opened without blocking (a FIFO cannot stall the
// caller), and never more than its size on disk or a fixed ceiling is read, so
// a device that never ends cannot fill memory.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

namespace imaging {

// No frame a study could hold comes near this; a larger file is refused
// rather than read.
inline constexpr qint64 kMaxImageFileBytes = qint64(128) << 20;

struct ImageFileBytes {
    // The bytes read, in a buffer the calling thread reuses for its next read
    // (valid until then); `size` of them are the file's.
    const unsigned char* data = nullptr;
    qint64 size = 0;
    qint64 sizeOnDisk = 0; // the whole file's size, also when only a prefix was read
    // "" on success, else one of:
    //   Image file not found: <path>
    //   Image file could not be read: <path> (<reason>)   a folder, device, FIFO or I/O error
    //   Image file is too large to read: <path> (<n> bytes)
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Reads at most `limit` bytes from the start of the file (the whole file when
// it is smaller). Never throws: running out of memory is reported as
// "Not enough memory to decode the image file: <path>".
ImageFileBytes ReadImageFile(const QString& path, qint64 limit = kMaxImageFileBytes);

// Gives back memory when the calling thread's buffer grew past what ordinary
// frames need.
void TrimImageFileBuffer();

} // namespace imaging
