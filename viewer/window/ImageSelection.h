// Which of a view's samples a panel shows, and the dates a study offers.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace viewer {

// A panel's settings as the numbers the samples carry.
struct PanelChoice {
    qint32 SkyCode = 0;      // one sky-condition bit, 0 when the list shows no known name
    qint16 ElectricCode = 2; // 1 lighting on, 2 off
    int ColorCode = 2;       // 1 true colour (RgbFile), 2 pseudo colour (PseudoFile)
};

// A panel holds at most this many images; the frame counters are 16-bit.
inline constexpr int kMaxPanelFrames = 32767;

struct PanelFrames {
    QStringList Paths;   // image files to decode, in frame order
    QList<int> Samples;  // the sample each frame comes from (1-based)
    // The view has more samples than a panel can count: only the first
    // kMaxPanelFrames were looked at, and loading them ends with an overflow.
    bool Overflow = false;
};

// The samples of view, in study order, whose sky condition and electric state
// match choice and whose image file of the chosen kind exists in folder.
// Missing files are skipped and take no frame.
PanelFrames SelectPanelFrames(const study::StudyView& view, const PanelChoice& choice, const QString& folder);

// The first view whose name equals name exactly; 0 when there is none.
int FindView(const study::StudyRecord& record, const QString& name);

// The distinct sample dates of the study's first view in order of first
// appearance, with an empty entry 0 in front (entries are 1 .. n).
QStringList StudyDatesOf(const study::StudyRecord& record);

// The progress bar's value while panel index loads its count-th image out of a
// view of sampleCount samples: each panel owns a quarter of the bar.
float LoadProgress(int index, int count, qsizetype sampleCount);

} // namespace viewer
