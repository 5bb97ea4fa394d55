// The daylight study the viewer holds: header, named views, and for every view
// the same list of samples naming that view's image files.
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace study {

// One rendered moment of one view. Every view holds the same sample k except
// for its own image file names.
struct StudySample {
    qint32 SkyCondition = 0;   // one sky-condition bit (1 Clear, 2 Partly Cloudy, 4 Overcast, 8.. General Sky)
    qint16 ElectricState = 0;  // 1 electric lighting on, 2 off
    QString SampleDate;        // as written in the study file
    QString SampleTime;        // as written in the study file
    bool DaylightSaving = false;
    QString HalvexFile;        // project file the sample was rendered from
    QString RgbFile;           // true-colour image of this view; empty when the file names none
    QString PseudoFile;        // pseudo-colour image of this view; empty when the file names none
};

// One named view. Samples[0] is an empty placeholder; samples are 1 .. SampleCount().
struct StudyView {
    QString ViewName;
    QList<StudySample> Samples{StudySample{}};

    qsizetype SampleCount() const { return Samples.size() - 1; }
};

// The study header and its views. Views[0] is an empty placeholder; views are
// 1 .. ViewCount(). Counts always come from the array bounds.
struct StudyRecord {
    QString StudyName;         // empty means no study was opened
    QString SiteName;
    double SiteLatitude = 0;   // degrees
    double SiteLongitude = 0;  // degrees
    double SiteCompassNorth = 0; // degrees
    qint32 SkyConditionMask = 0; // sky-condition bits present in the study
    qint16 ColorModeMask = 0;    // 1 true colour, 2 pseudo colour
    qint16 ElectricModeMask = 0; // 1 lighting on, 2 lighting off
    QList<StudyView> Views{StudyView{}};

    // Number of views: the upper bound of Views.
    qsizetype ViewCount() const { return Views.size() - 1; }
    // Number of samples: the upper bound of the first view's Samples, 0 without views.
    qsizetype SampleCount() const { return Views.size() > 1 ? Views[1].SampleCount() : 0; }

    // Views becomes the single empty placeholder; the header fields stay.
    void ResetViews();
    // Header fields back to empty and zero, Views to the placeholder.
    void Clear();
};

} // namespace study

// Both hold only implicitly shared Qt values, so lists of them may move by memcpy.
Q_DECLARE_TYPEINFO(study::StudySample, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(study::StudyView, Q_RELOCATABLE_TYPE);
