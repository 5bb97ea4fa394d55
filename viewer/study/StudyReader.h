// Reads a Daylight Viewer File (DVF, Windows-1252 text) into a study record.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QByteArrayView>
#include <QString>

namespace study {

// Resets record.Views and fills the record from the file. ErrMsg is "" when the
// whole file was read, otherwise a description of the failure with its line
// number; what was stored before a failure stays in the record.
void ReadStudyFile(StudyRecord& record, const QString& StudyFilename, QString& ErrMsg);

// The same reading rules over bytes already in memory.
void ReadStudyData(StudyRecord& record, QByteArrayView data, QString& ErrMsg);

} // namespace study
