// The study properties window: every sample of every view as a row of a
// read-only table, with Copy (tab-delimited text to the clipboard), Help and Close.
#pragma once

#include "viewer/properties/PropertyTable.h"

#include <QDialog>

class QPushButton;
class QTableView;

namespace study {
class StudyModule;
}
namespace ui {
class UiServices;
}

namespace properties {

class PropertyModel;

inline constexpr char kNoticeCopied[] = "Tab Delimited Text Copied To Clipboard";

class frmDSFProperties : public QDialog {
    Q_OBJECT

public:
    // Builds the table from the study loaded now; the module and ui must
    // outlive the window.
    frmDSFProperties(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent = nullptr);
    ~frmDSFProperties() override;

    const PropertyTable& Table() const { return table_; }
    PropertyModel& Model() const { return *model_; }

    void cmdCopy_Click();
    void cmdHelp_Click();
    void cmdClose_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void msbLoadProperties();
    void SizeToTable();

    const study::StudyModule& module_;
    ui::UiServices& ui_;
    PropertyTable table_;
    PropertyModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
};

// The Study Properties command: shows the window modally over parent when the
// loaded study has frames, and does nothing otherwise.
void ShowStudyProperties(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent);

} // namespace properties
