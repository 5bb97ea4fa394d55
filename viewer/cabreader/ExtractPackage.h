// Unpacks a daylight study package into a folder and names its study file.
#pragma once

#include "viewer/cabreader/CABFile.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

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
    bool NothingWritten = false;      // refused before writing: the package would write too much
    quint64 DeclaredBytes = 0;        // what unpacking the whole package writes, by its own account
};

// A package may write at most this much by default: twenty times its own size
// (study images hardly compress, so a real package writes little more than it
// holds), and never less than 1 GiB. A package that claims more is refused
// before anything is written.
quint64 DefaultUnpackLimit(quint64 packageBytes);

// Counts the package's files into FileCount (at most 32767) and writes them
// all into OutputFolder; StudyFilename and module.PackageStudyFile get the name
// in the package of its last entry ending in ".DVF" (any case), or "" when it
// has none. Throws CabFileError when the package cannot be read at all
// (missing, not a cabinet, damaged tables). Before writing, the sizes the
// package declares are added up: more than MaxBytes (by default
// DefaultUnpackLimit of the package's size; 0 sets no limit) or more than the
// folder's disk has free writes nothing, and the report says how much it
// would have written. Names stored without the UTF-8 mark are read as
// NameCharset says.
void ExtractPackage(study::StudyModule& module, const QString& PackagePath, const QString& OutputFolder,
                    qint16& FileCount, QString& StudyFilename, PackageReport* report = nullptr,
                    std::optional<quint64> MaxBytes = std::nullopt,
                    cab::NameCharset NameCharset = cab::NameCharset::Auto);

} // namespace cabreader
