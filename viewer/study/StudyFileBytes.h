// Reads a study file whole, safely: only regular files are read, without ever
// blocking on a pipe or a device, and never more than a stated number of bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace study {

struct StudyFileBytes {
    QByteArray bytes;
    QString error; // "" when the whole file was read; otherwise a text naming the file
    bool ok() const { return error.isEmpty(); }
};

// The file is opened without blocking and looked at before a byte is read: a
// FIFO, a socket or a device (/dev/zero, /dev/urandom), or a link to one, is
// refused at once, and so is a file larger than maxBytes (also one that grows
// past it while it is read). Failure texts, with <path> as given:
//   Study file not found: <path>
//   Not a study file but a folder: <path>
//   Not a study file but a device, pipe or socket: <path>
//   Study file is larger than the limit of <n> MiB: <path>
//   Cannot open study file <path>: <reason>
//   Cannot read study file <path>: <reason>
StudyFileBytes ReadStudyFileBytes(const QString& path, qint64 maxBytes);

} // namespace study
