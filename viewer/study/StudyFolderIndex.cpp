#include "viewer/study/StudyFolderIndex.h"

#include "viewer/study/FilePaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>

namespace study {

namespace {

QString WithSlashes(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

} // namespace

StudyFolderIndex::StudyFolderIndex(const QString& folder) : base_(WithSlashes(folder))
{
    if (!base_.isEmpty() && !base_.endsWith(QLatin1Char('/')))
        base_ += QLatin1Char('/');
}

QString StudyFolderIndex::Find(const QString& name)
{
    QString text = name;
    if (text.trimmed().isEmpty() || FileBaseName(text).isEmpty())
        return {};
    const QStringList parts = WithSlashes(name).split(QLatin1Char('/'));
    QString resolved = base_;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const QString& part = parts[k];
        // Empty parts (doubled separators), "." and ".." are no names to look up.
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
            resolved += part;
        } else {
            const QString entry = Entry(resolved, part);
            if (entry.isEmpty())
                return {};
            resolved += entry;
        }
        if (k + 1 < parts.size())
            resolved += QLatin1Char('/');
    }
    return QDir::toNativeSeparators(resolved);
}

QString StudyFolderIndex::Entry(const QString& folder, const QString& part)
{
    // "a/./b/" and "a/b/" are one folder, listed once.
    Listing& listing = folders_[folder.contains(QLatin1String("/.")) ? QDir::cleanPath(folder) + QLatin1Char('/') : folder];
    if (!listing.listed) {
        if (QFileInfo::exists(folder + part))
            return part;
        listing.listed = true;
        ++listings_;
        QDirIterator entries(folder.isEmpty() ? QStringLiteral(".") : folder,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            entries.next();
            const QString onDisk = entries.fileName();
            const QString folded = onDisk.toCaseFolded();
            QString& kept = listing.byFoldedName[folded];
            // Several spellings of one name: the first in sorted order stands
            // for the others, whatever order the folder lists them in.
            if (!kept.isEmpty())
                listing.spelledSeveralWays.insert(folded);
            if (kept.isEmpty() || onDisk < kept)
                kept = onDisk;
        }
    }
    const QString folded = part.toCaseFolded();
    const auto found = listing.byFoldedName.constFind(folded);
    if (found == listing.byFoldedName.cend())
        return {};
    // The exact spelling wins over another one of the same name.
    if (*found != part && listing.spelledSeveralWays.contains(folded) && QFileInfo::exists(folder + part))
        return part;
    return *found;
}

} // namespace study
