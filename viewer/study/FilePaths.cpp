#include "viewer/study/FilePaths.h"

#include "viewer/study/StudyFolderIndex.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace study {

namespace {

// Studies are written on Windows, so "\" separates folders beside the native "/".
qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

bool PathIsThere(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    // A path put together from a study's Windows names still has "\" in it;
    // on this file system that is not a separator.
    if (QDir::separator() != QLatin1Char('\\') && path.contains(QLatin1Char('\\'))) {
        QString native = path;
        native.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QFileInfo::exists(native);
    }
    return false;
}

} // namespace

void SplitFilePath(QString& Path, QString& Folder, QString& Ext)
{
    const qsizetype slash = LastSeparator(Path); // 0-based; -1 when absent
    const qsizetype dot = Path.lastIndexOf(QLatin1Char('.'));

    Folder = slash >= 0 ? Path.left(slash + 1) : QString();
    Ext = dot >= 0 ? Path.mid(dot) : QString();
    if (dot > slash)
        Path = Path.mid(slash + 1, dot - slash - 1);
    else
        Path = Path.mid(slash + 1);
}

QString FileBaseName(QString& Path)
{
    const qsizetype slash = LastSeparator(Path);
    if (slash >= 0)
        Path = Path.mid(slash + 1);
    const qsizetype dot = Path.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        Path = Path.left(dot);
    return Path;
}

bool FileExists(const QString& Path)
{
    QString trimmed = TrimSpaces(Path);
    if (trimmed.isEmpty())
        return false;
    if (FileBaseName(trimmed).isEmpty())
        return false;
    return PathIsThere(Path);
}

QString ResolveStudyFile(const QString& Folder, const QString& Name)
{
    const QString found = StudyFolderIndex(Folder).Find(Name);
    if (!found.isEmpty())
        return found;
    QString asWritten = Folder;
    if (!asWritten.isEmpty() && !asWritten.endsWith(QLatin1Char('/')) && !asWritten.endsWith(QLatin1Char('\\')))
        asWritten += QLatin1Char('/');
    asWritten += Name;
    asWritten.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(asWritten);
}

} // namespace study
