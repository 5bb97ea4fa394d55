// The Compare Panels dialog: which two panels compare mode puts over each
// other, and how their difference is shown.
#pragma once

#include "viewer/window/frmDSFViewer.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QRadioButton;

namespace viewer {

class ComparePanelsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ComparePanelsDialog(const CompareChoice& choice, QWidget* parent = nullptr);

    // What the dialog shows now; the mode is the one it was opened with.
    CompareChoice Choice() const;

private:
    // A panel cannot be compared with itself: OK waits for two panels.
    void UpdateOk();

    CompareChoice opened_;
    QComboBox* cbxPanelA_ = nullptr;
    QComboBox* cbxPanelB_ = nullptr;
    QRadioButton* optAbsolute_ = nullptr;
    QRadioButton* optSigned_ = nullptr;
    QComboBox* cbxGain_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace viewer
