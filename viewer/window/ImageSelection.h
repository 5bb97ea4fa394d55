// Which of a view's samples a panel shows, and the dates a study offers.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace study {
class StudyFolderIndex;
}

namespace viewer {

// A panel's settings as the numbers the samples carry.
struct PanelChoice {
    qint32 SkyCode = 0;      // one sky-condition bit, 0 when the list shows no known name
    qint16 ElectricCode = 2; // 1 lighting on, 2 off
    int ColorCode = 2;       // 1 true colour (RgbFile), 2 pseudo colour (PseudoFile)
};

// A panel holds at most this many frames; the frame counters are 16-bit.
inline constexpr int kMaxPanelFrames = 32767;

// One frame position of a panel: the sample it stands for and where its image
// comes from. A sample whose image file is missing keeps its position, so the
// frames after it stay aligned with the other panels and the date shown.
struct FramePosition {
    int Sample = 0; // the view's sample, 1-based
    QString Name;   // the image file as the study names it ("" when it names none)
    QString Path;   // the file found for it, native separators; "" when it is missing
    bool Missing() const { return Path.isEmpty(); }
};

struct PanelFrames {
    int View = 0;                   // the view the frames come from, 1-based; 0 while there is none
    PanelChoice Choice;             // the settings they were chosen by
    QList<FramePosition> Positions; // frame k is Positions[k - 1]
    // The view has more samples than a panel can count: only the first
    // kMaxPanelFrames were looked at, and loading them ends with an overflow.
    bool Overflow = false;
    // The selection was stopped by its caller before it looked at every sample.
    bool Cancelled = false;

    int MissingCount() const;
};

// Told how many of a view's samples have been looked at, every so many and at
// the end; returns false to stop the selection.
using SelectionProgress = std::function<bool(qsizetype done, qsizetype total)>;

// The samples of view, in study order, whose sky condition and electric state
// match choice, each with the image file of the chosen kind found through
// files (in any letter case) or marked missing.
PanelFrames SelectPanelFrames(const study::StudyView& view, const PanelChoice& choice,
                              study::StudyFolderIndex& files, const SelectionProgress& progress = {});

// The first view whose name equals name exactly; 0 when there is none.
int FindView(const study::StudyRecord& record, const QString& name);

// The distinct sample dates of the study's first view in order of first
// appearance, with an empty entry 0 in front (entries are 1 .. n).
QStringList StudyDatesOf(const study::StudyRecord& record);

// The progress bar's value while panel index has dealt with `count` samples
// out of a view of sampleCount samples: each panel owns a quarter of the bar.
float LoadProgress(int index, qsizetype count, qsizetype sampleCount);

} // namespace viewer
