// The small caption a panel can show over its image: which view, date, time,
// sky condition, lighting and colour kind the panel shows. A panel whose sky
// condition or lighting differs from the others can show, at frame k, a sample
// of another moment than the date and time in the Current Display box; its
// caption then says so on a warning colour.
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QLabel>
#include <QRectF>
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

class PanelCaption : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool otherMoment READ OtherMoment)

public:
    explicit PanelCaption(QWidget* panel);

    void SetCaption(const CaptionText& caption);
    bool OtherMoment() const { return otherMoment_; }

    // Puts the caption inside the image's top-left corner (image in the
    // panel's pixels), or the panel's when there is no image.
    void Place(const QRectF& image);

private:
    bool otherMoment_ = false;
};

} // namespace viewer
