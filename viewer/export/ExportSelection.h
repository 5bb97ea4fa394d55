// What an export takes from a study: the panels (a view and the sky, lighting
// and colour its images are chosen by), the frames of a range, and the caption
// each panel carries. Frames are numbered as the window numbers them: frame k
// of a panel is the k-th sample of its view that matches its settings, and the
// date and time of frame k are those of sample k of the study's first view.
#pragma once

#include "viewer/study/StudyRecord.h"
#include "viewer/window/ImageSelection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

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

// One frame position of a panel.
struct PanelSource {
    int Sample = 0; // the view's sample, 1-based
    QString Name;   // the image file as the study names it
    QString Path;   // where it was found; "" when it is missing
    bool Missing() const { return Path.isEmpty(); }
};

// A panel with its frames: Sources[k - 1] is frame k.
struct PanelSequence {
    PanelSettings Settings;
    QList<PanelSource> Sources;
};

// The sources of a panel whose images are looked up in `folder` (the study's
// folder, with or without a trailing separator), as the window selects them.
PanelSequence SelectPanelSequence(const study::StudyRecord& record, const PanelSettings& settings,
                                  const QString& folder);

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

// "RGB" or "Pseudo"; "On" or "Off"; the sky's name (or "Sky <code>").
QString ColourName(const viewer::PanelChoice& choice);
QString LightingName(const viewer::PanelChoice& choice);
QString SkyName(qint32 code);

// The caption of a panel at `frame`: view, the date and time of the panel's own
// sample, sky, lighting and colour. Where the panel's sample has another date or
// time than the window shows for the frame, the caption leads with "≠" so the
// difference is seen. "" for a frame beyond the panel's end.
QString PanelCaption(const study::StudyRecord& record, const PanelSequence& panel, int frame);

// The names of the distinct dates of the first view in order of first
// appearance (what the window's date box lists).
QStringList StudyDates(const study::StudyRecord& record);

} // namespace exporting
