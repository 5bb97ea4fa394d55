// What the three export dialogs share: the line that names the output, the
// sizes offered, the Ok and Cancel buttons, and the checks made on Ok before
// anything is written (a file name, an existing folder, a confirmed replace).
#pragma once

#include <QSize>
#include <QString>

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ui {
class UiServices;
}

namespace exporting {

struct OutputRow {
    QWidget* row;           // to put in the dialog's layout
    QLineEdit* txtFile;     // objectName "txtFile"
    QPushButton* cmdBrowse; // objectName "cmdBrowse"
};
OutputRow MakeOutputRow(QWidget* parent);

// Ok (objectName "cmdOk"), Cancel ("cmdCancel") and Help ("cmdHelp"); Cancel
// rejects the dialog, Help opens `helpTopic` of `helpFile`, Ok is the caller's
// to connect.
QDialogButtonBox* MakeOkCancel(QDialog* dialog, const QString& helpFile, qint32 helpTopic);

// "As shown (W x H)", "1.5 times (...)", "Twice as large (...)", each item
// holding its scale; `even` rounds the sizes down to even numbers as an MP4
// needs. Keeps the chosen scale where it can.
void FillSizes(QComboBox* sizes, QSize shown, bool even);
double ChosenScale(const QComboBox* sizes);

// `path` with `suffix` (no dot) in place of its own; "" stays "".
QString WithSuffix(const QString& path, const QString& suffix);

// Tells the user what is wrong with `path` (no name, no such folder) and
// returns false; true when the file can be written there as far as can be told.
bool CheckOutputFile(ui::UiServices& ui, const QString& path, const QString& title, QWidget* parent);

// True when `path` does not exist or the user agrees to replace it.
bool ConfirmReplace(ui::UiServices& ui, const QString& path, const QString& title, QWidget* parent);

} // namespace exporting
