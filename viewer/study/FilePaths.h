// Taking Windows-style paths apart ("\" or "/" separate folders) and testing
// whether a file is there.
#pragma once

#include <QString>

namespace study {

// Path becomes the file name without its extension; Folder gets everything up
// to and including the last separator, Ext everything from the last "." on.
void SplitFilePath(QString& Path, QString& Folder, QString& Ext);

// Path becomes the part after the last separator and before the first "."; the
// same text is returned.
QString FileBaseName(QString& Path);

// True when Path names an existing file or folder. Blank paths and names that
// begin with "." are never there.
bool FileExists(const QString& Path);

// Full path of a study-relative name such as "images\v1_001.jpg" in Folder,
// with native separators. Where the name does not exist as written, each part
// is matched case-insensitively in its folder (studies are written on Windows).
// When nothing matches, the path as written is returned.
QString ResolveStudyFile(const QString& Folder, const QString& Name);

} // namespace study
