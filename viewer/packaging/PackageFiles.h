// Which files of a study's folder go into its package, and whether a package
// can be created at a path.
#pragma once

#include <QString>
#include <QStringList>

namespace packaging {

// Endings of the files a package holds, compared with a name's last four
// characters upper-cased.
inline constexpr char kEndingStudy[] = ".DVF";
inline constexpr char kEndingImage[] = ".JPG";
inline constexpr char kEndingHalvex[] = ".HVX";
inline constexpr char kEndingRsf[] = ".RSF";

// Names of the normal files of folder in listing order: no hidden or system
// files, no sub-folders. An unreadable folder lists nothing.
QStringList ListNormalFiles(const QString& folder);

// True when a name's last four characters, upper-cased, are ending.
bool HasEnding(const QString& name, const char* ending);
bool AnyHasEnding(const QStringList& names, const char* ending);

// The folder part of a study file's path, with its trailing separator.
QString StudyFolderOf(const QString& studyFile);

// Full paths of the files to pack from folder (which ends with its separator):
// every study file and image, and HALVEX and radiosity solution files on request.
QStringList PackageFileList(const QString& folder, bool includeHalvex, bool includeRsf);

// True when a package can be written at Path. A new name is created and
// removed again; an existing file is left exactly as it is and only tested for
// being a file that may be written, in a folder that takes new files (the new
// package is written beside it before it takes its place).
bool CanCreateFile(const QString& Path);

} // namespace packaging
