// What an export takes from a study: the panels (a view and the sky, lighting
// and colour its images are chosen by), the frames of a range, and the caption
// each panel carries. Frames are numbered as the window numbers them: frame k
// of a panel is the k-th sample of its view that matches its settings, and the
// date and time of frame k are those of sample k of the study's first view.
#pragma once

#include "viewer/study/StudyRecord.h"
#include "viewer/window/ImageSelection.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace study {
class StudyFolderIndex;
}

namespace exporting {

// One panel of an export.
struct PanelSettings {
    int View = 1;               // 1-based view of the study
    viewer::PanelChoice Choice; // sky condition, lighting and colour, as the samples carry them
};

// The settings a freshly read study gives every panel: the first sky condition
// of the study, lighting on when the study has it (else off), true colour when
// the study has it (else pseudo colour).
viewer::PanelChoice DefaultChoice(const study::StudyRecord& record);

// One frame position of a panel: the sample, the file the study names, and
// where it was found ("" when it is missing: the frame keeps its place).
using PanelSource = viewer::FramePosition;

// A panel with its frames: Sources[k - 1] is frame k.
struct PanelSequence {
    PanelSettings Settings;
    QList<PanelSource> Sources;
    // The size of the panel's first image that is there: a missing image's
    // tile takes it, as in the window. Empty when none is there.
    QSize ImageSize;
};

// The sources of a panel whose images are looked up through `files` (the
// study's folder), as the window selects them, and its first image's size
// (read from that file's header).
PanelSequence SelectPanelSequence(const study::StudyRecord& record, const PanelSettings& settings,
                                  study::StudyFolderIndex& files);

// The number of frames a set of panels spans: the longest panel's.
int FrameCountOf(const std::vector<PanelSequence>& panels);

// A range of frames: every frame, those of one date, or frame numbers First
// to Last inclusive.
struct FrameRange {
    enum class Kind { All, Date, Span };
    Kind RangeKind = Kind::All;
    QString Date;
    int First = 1;
    int Last = 1;
};

struct RangeParse {
    FrameRange Range;
    QString Error; // "" when the text named a range
};

// "all"; a date exactly as the study writes it (checked first, since dates may
// contain hyphens); "A-B" with 1 <= A <= B; or one frame "N". Errors:
//   The study has no date "<text>" (and "A-B" is no frame range)
RangeParse ParseFrameRange(const QString& text, const QStringList& studyDates);

struct RangeSelection {
    QList<int> Frames; // 1-based, ascending
    QString Error;     // "" on success
};

// The frames of `range` among 1 .. frameCount. Errors:
//   There are no frames to export
//   No frame has the date "<date>"
//   Frames <A>-<B> are outside the study's frames 1-<n>
RangeSelection SelectFrames(const FrameRange& range, const study::StudyRecord& record, int frameCount);

// The date and time the window shows at `frame` (sample `frame` of the first
// view), with " DST" after the time where daylight saving applies; "" for a
// frame beyond the first view.
QString FrameDate(const study::StudyRecord& record, int frame);
QString FrameTime(const study::StudyRecord& record, int frame);

// "RGB" or "Pseudo"; "On" or "Off".
QString ColourName(const viewer::PanelChoice& choice);
QString LightingName(const viewer::PanelChoice& choice);

// The names of the distinct dates of the first view in order of first
// appearance (what the window's date box lists).
QStringList StudyDates(const study::StudyRecord& record);

} // namespace exporting
