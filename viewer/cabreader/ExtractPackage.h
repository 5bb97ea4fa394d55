// Unpacks a daylight study package into a folder and names its study file.
#pragma once

#include "viewer/cabreader/CABFile.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace study {
class StudyModule;
}

namespace cabreader {

// What the unpacking could not do, for the viewer to tell the user once the
// package is open.
struct PackageReport {
    QList<CabRefusal> RefusedEntries; // entries not written, with the reason
    qint32 ExtractError = 0;          // error number of an unpacking that stopped early; 0 when it ran through
    QString ExtractErrorText;         // its text
};

// Counts the package's files into FileCount (at most 32767) and writes them
// all into OutputFolder; StudyFilename and module.PackageStudyFile get the name
// in the package of its last entry ending in ".DVF" (any case), or "" when it
// has none. Throws CabFileError when the package cannot be read at all
// (missing, not a cabinet, damaged tables).
void ExtractPackage(study::StudyModule& module, const QString& PackagePath, const QString& OutputFolder,
                    qint16& FileCount, QString& StudyFilename, PackageReport* report = nullptr);

} // namespace cabreader
