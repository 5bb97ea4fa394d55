// The small caption a panel can show over its image (its text: see
// PanelCaptionText.h), on a warning colour when the panel's sample is of
// another moment than the date and time in the Current Display box.
#pragma once

#include "viewer/window/PanelCaptionText.h"

#include <QLabel>
#include <QRectF>
#include <QString>

namespace viewer {

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
