// The Export Contact Sheet dialog: which panel, which frames, PDF (on A4 or
// Letter) or one PNG image, and where. Ok checks the choices (asking before an
// existing file is replaced) and closes; the export itself is the caller's.
#pragma once

#include "viewer/export/ContactSheet.h"
#include "viewer/export/ExportContext.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ui {
class UiServices;
}

namespace exporting {

class FrameRangeBox;

struct SheetChoices {
    int Panel = 0;     // index into the context's panels
    QList<int> Frames; // 1-based frames of that panel
    bool Pdf = true;
    PaperSize Paper = PaperSize::A4;
    QString Path;
};

class frmExportSheet : public QDialog {
    Q_OBJECT

public:
    // `scene` is the context's scene at scale 1.
    frmExportSheet(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                   QWidget* parent = nullptr);

    const SheetChoices& Choices() const { return choices_; }

    void cmdBrowse_Click();
    void cmdOk_Click();

private:
    void KindChanged();
    QString Suffix() const;

    const ExportContext& context_;
    const ExportScene& scene_;
    ui::UiServices& ui_;
    SheetChoices choices_;
    QComboBox* cbxPanel_;
    FrameRangeBox* fraFrames_;
    QRadioButton* optPdf_;
    QRadioButton* optPng_;
    QComboBox* cbxPaper_;
    QLineEdit* txtFile_;
};

} // namespace exporting
