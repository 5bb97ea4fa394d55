// The frames an export takes, as the export dialogs offer them: every frame,
// the frames of one date, or frame numbers from one to another.
#pragma once

#include "viewer/export/ExportSelection.h"

#include <QGroupBox>

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace exporting {

class FrameRangeBox : public QGroupBox {
    Q_OBJECT

public:
    explicit FrameRangeBox(QWidget* parent = nullptr);

    // Frames 1 .. frameCount, the study's dates, and the date and frame shown
    // now (offered first).
    void SetFrames(int frameCount, const QStringList& dates, const QString& currentDate, int currentFrame);
    FrameRange Range() const;

private:
    QRadioButton* optAllFrames_;
    QRadioButton* optDate_;
    QRadioButton* optSpan_;
    QComboBox* cbxDate_;
    QSpinBox* spnFrom_;
    QSpinBox* spnTo_;
};

} // namespace exporting
