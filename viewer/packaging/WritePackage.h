// Writes a study package: the listed files stored flat, each under its own
// name, in one cabinet made by the cabinet writer component.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace packaging {

// Share of the work done so far; total stays the same through one write.
using PackageProgress = std::function<void(quint64 done, quint64 total)>;

inline constexpr char kNothingToPack[] = "There are no files to put in the package.";

// Writes FileList (full paths) into a package at Path. ErrMsg is "" on
// success, otherwise the writer's account of the failure; the package then
// does not exist, and a file that was at Path before is as it was.
void WritePackage(const QString& Path, const QStringList& FileList, QString& ErrMsg,
                  const PackageProgress& progress = {});

// Total bytes of the files, for deciding whether a write is worth a progress bar.
quint64 TotalFileBytes(const QStringList& FileList);

} // namespace packaging
