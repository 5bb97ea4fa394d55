// Where the viewer's data files lie (the start-up picture, the help pages):
// beside the program in the build tree, or in the installed share/ folder.
#pragma once

#include <QString>
#include <QStringList>

namespace settings {

// The folders looked at, in order: the program's own folder (the build tree,
// or a tree unpacked anywhere), the installed data folder found relative to
// the program, then the desktop's data folders ($XDG_DATA_HOME and
// $XDG_DATA_DIRS), each followed by the viewer's folder name. programFolder
// "" is the running program's folder.
QStringList DataFolders(const QString& programFolder = QString());

// The path of `relative` in the first of `folders` that holds it, or "" when
// none does.
QString FindDataFile(const QStringList& folders, const QString& relative);

} // namespace settings
