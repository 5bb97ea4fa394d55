// The rules of the Recent Studies list: the newest first, each file once, at
// most eight, and files that have gone taken off.
#pragma once

#include <QString>
#include <QStringList>

namespace settings {

inline constexpr qsizetype kMaxRecentStudies = 8;

// The list with `file` put first: an earlier entry for the same file (after
// making the path absolute and clean) moves up rather than repeats, and
// entries beyond the eighth drop off.
QStringList WithRecentStudy(const QStringList& recent, const QString& file);

// The list without `file`.
QStringList WithoutRecentStudy(const QStringList& recent, const QString& file);

// The menu text of an entry: its place (1 to 8, the access key) and the
// file's name, with its folder where two entries share a name.
QString RecentStudyCaption(const QStringList& recent, qsizetype index);

// "The study ... can no longer be found and has been taken off Recent Studies."
QString MissingRecentStudyMessage(const QStringList& missing);
inline constexpr char kRecentStudiesTitle[] = "Recent Studies";

} // namespace settings
