// Finds a study's files by the names the study gives them. Studies are written
// on Windows, so a name that is not there as written is looked for in any
// letter case. A folder is asked about name by name until the first name that
// is not there as written; from then on it is listed once into a case-folded
// index and answered from memory, so a study whose 20,000 names all differ in
// case from the files costs one listing rather than a listing per name.
// One index lives for one load: files that appear later are found by the next.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>

namespace study {

class StudyFolderIndex {
public:
    // Names are resolved inside folder ("\" or "/" separated, with or without
    // a trailing separator; "" is the working folder).
    explicit StudyFolderIndex(const QString& folder);

    // The full path, with native separators, of the file or folder a
    // study-relative name such as "images\v1_001.jpg" stands for: as written
    // when it is there, otherwise each part matched in any letter case (an
    // exact match first, then the first in sorted order). "" when nothing
    // matches, or when the name is one FileExists never finds (blank, or
    // nothing before its first ".").
    QString Find(const QString& name);

    // Folders listed so far; each at most once.
    int Listings() const { return listings_; }

private:
    struct Listing {
        bool listed = false;
        QHash<QString, QString> byFoldedName; // case-folded name -> name on disk
        QSet<QString> spelledSeveralWays;     // case-folded names of more than one entry
    };

    // The entry of `part` in `folder` ("" when absent), listing the folder
    // on the first part that is not there as written.
    QString Entry(const QString& folder, const QString& part);

    QString base_;
    QHash<QString, Listing> folders_;
    int listings_ = 0;
};

} // namespace study
