// UiServices on Qt Widgets: QMessageBox, Qt's own file dialog (the same on every
// desktop), override cursors, QDialog::exec and QDesktopServices.
#pragma once

#include "platform/ui/UiServices.h"

#include <QStringList>

namespace ui {

class QtUi : public UiServices {
public:
    MessageAnswer ShowMessage(const MessageRequest& request) override;
    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetExistingFolder(const FileDialogRequest& request) override;
    void SetCursor(CursorShape shape) override;
    CursorShape Cursor() const override;
    int ShowModal(QDialog& dialog) override;
    double TimeOfDaySeconds() override;
    bool OpenDocument(const QString& path) override;

private:
    CursorShape cursor_ = CursorShape::Default;
};

// "Text files|*.txt;*.TXT|All|*.*" as Qt name filters: one entry per pair,
// "Description (patterns)", the patterns matching in any letter case, since
// studies come from systems that ignore case.
QStringList ConvertFileFilter(const QString& filter);

} // namespace ui
