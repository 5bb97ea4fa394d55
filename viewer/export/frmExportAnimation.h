// The Export Animation dialog: which frames, as which kind of file (MP4 video,
// animated WebP or GIF), at what frame rate and size, and where. Ok checks the
// choices (asking before an existing file is replaced) and closes; the export
// itself is the caller's.
#pragma once

#include "viewer/export/AnimationEncoder.h"
#include "viewer/export/ExportContext.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;

namespace ui {
class UiServices;
}

namespace exporting {

class FrameRangeBox;

struct AnimationChoices {
    QList<int> Frames; // 1-based
    AnimationFormat Format = AnimationFormat::Mp4;
    FrameRate Rate;
    double Scale = 1;
    QString Path;
};

class frmExportAnimation : public QDialog {
    Q_OBJECT

public:
    // `scene` is the context's scene at scale 1 (its frames and shown size).
    frmExportAnimation(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                       QWidget* parent = nullptr);

    // Valid once the dialog was accepted.
    const AnimationChoices& Choices() const { return choices_; }

    void cmdBrowse_Click();
    void cmdOk_Click();

private:
    AnimationFormat Format() const;
    void FormatChanged();

    const ExportContext& context_;
    const ExportScene& scene_;
    ui::UiServices& ui_;
    AnimationChoices choices_;
    FrameRangeBox* fraFrames_;
    QComboBox* cbxFormat_;
    QRadioButton* optRateFromDelay_;
    QRadioButton* optRateChosen_;
    QDoubleSpinBox* spnRate_;
    QComboBox* cbxSize_;
    QLineEdit* txtFile_;
};

} // namespace exporting
