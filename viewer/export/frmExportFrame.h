// The Export Frame dialog: the frame on display as one picture of the panels as
// shown (PNG or JPEG, at the size shown or larger), or each shown panel's own
// image file at its full resolution into a folder. Ok checks the choices
// (asking before anything is replaced) and closes; the export is the caller's.
#pragma once

#include "viewer/export/ExportContext.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ui {
class UiServices;
}

namespace exporting {

struct FrameChoices {
    bool PanelFiles = false; // each panel's own file into a folder
    double Scale = 1;        // the picture's size against the panels on screen
    QString Path;            // the picture's file, or the folder
};

class frmExportFrame : public QDialog {
    Q_OBJECT

public:
    // `scene` is the context's scene at scale 1.
    frmExportFrame(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                   QWidget* parent = nullptr);

    const FrameChoices& Choices() const { return choices_; }

    void cmdBrowse_Click();
    void cmdOk_Click();

private:
    void KindChanged();

    const ExportContext& context_;
    const ExportScene& scene_;
    ui::UiServices& ui_;
    FrameChoices choices_;
    QRadioButton* optPicture_;
    QRadioButton* optPanelFiles_;
    QComboBox* cbxSize_;
    QLineEdit* txtFile_;
    QString picturePath_; // what the name box held for each kind, kept across switches
    QString folderPath_;
};

} // namespace exporting
