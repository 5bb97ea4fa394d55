// What a panel's caption says: which view, date, time, sky condition, lighting
// and colour kind the panel shows. A panel whose sky condition or lighting
// differs from the others can show, at frame k, a sample of another moment than
// the date and time in the Current Display box; its caption then says so. The
// window shows it as a label over the panel, exports paint it the same way.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QColor>
#include <QString>

namespace viewer {

struct CaptionText {
    QString Text;              // the caption's lines
    bool OtherMoment = false;  // the sample is not the one on display
};

// The caption of `sample` of view `view` at the frame whose date and time the
// Current Display shows (`displayed`, sample k of view 1; nullptr when there is
// none). colorCode 1 is true colour, 2 pseudo colour.
CaptionText PanelCaptionText(const study::StudyRecord& record, int view, const study::StudySample& sample,
                             const study::StudySample* displayed, int colorCode);

// How the caption looks, in the panel's pixels: its distance from the image's
// top-left corner, the room around its text, and its colours (light on a dark
// see-through box; dark and bold on amber for another moment).
inline constexpr int kCaptionMargin = 6;
inline constexpr int kCaptionPadding = 4;
inline QColor CaptionTextColour(bool otherMoment) { return otherMoment ? QColor(0, 0, 0) : QColor(255, 255, 255); }
inline QColor CaptionBoxColour(bool otherMoment)
{
    return otherMoment ? QColor(255, 191, 0, 225) : QColor(0, 0, 0, 150);
}

} // namespace viewer
