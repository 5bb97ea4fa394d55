// Reads a Daylight Viewer File (DVF, Windows-1252 text) into a study record.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace study {

// Every view holds its own copy of every sample, so a small hostile file that
// names many views and many samples could ask for more memory than there is.
// Reads fail beyond this many samples stored over all views; real studies
// stay far below it.
constexpr qint64 kMaxStoredSamples = 4'000'000;

// The largest study file read. A study of 20,000 samples and four views takes
// about 6 MB; anything this large is not a study, and an endless file such as
// /dev/zero is refused before it is read (only regular files are read at all).
constexpr qint64 kMaxStudyFileBytes = qint64{256} << 20;

// Resets record.Views and fills the record from the file. ErrMsg is "" when the
// whole file was read, otherwise a description of the failure with its line
// number, or naming the file when it could not be read (StudyFileBytes.h);
// what was stored before a failure stays in the record.
void ReadStudyFile(StudyRecord& record, const QString& StudyFilename, QString& ErrMsg);

// The same reading rules over bytes already in memory.
void ReadStudyData(StudyRecord& record, QByteArrayView data, QString& ErrMsg,
                   qint64 maxStoredSamples = kMaxStoredSamples);

} // namespace study
