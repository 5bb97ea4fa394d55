// The window's export commands: Export Frame, Export Animation, Export Contact
// Sheet and Copy Frame, each taking what the window shows as an ExportContext.
// Dialogs go through UiServices; a long export runs on a thread of its own
// behind a window-modal progress box with Cancel, so the window keeps painting
// and no nested event loop takes input.
#pragma once

#include "viewer/export/ExportContext.h"
#include "viewer/export/ExportRunner.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

class QLabel;
class QProgressBar;
class QWidget;

namespace ui {
class UiServices;
}

namespace exporting {

inline constexpr char kMsgExportBusy[] = "An export is still running. Wait for it or cancel it, then try again.";

class ExportController : public QObject {
    Q_OBJECT

public:
    // `window` parents the dialogs and the progress box.
    ExportController(ui::UiServices& ui, QWidget* window);
    // Cancels a running export and waits for it; nothing is saved then.
    ~ExportController() override;

    void ExportFrame(const ExportContext& context);
    void ExportAnimation(const ExportContext& context);
    void ExportContactSheet(const ExportContext& context);
    // The frame on display as the window shows it, onto the clipboard as an image.
    void CopyFrame(const ExportContext& context);

    // An animation or sheet is being written: the window stays open meanwhile.
    bool Busy() const { return runner_.Running(); }
    // The progress box while an export runs (for tests and screenshots).
    QDialog* ProgressBox() const { return progress_; }
    // Asks a running export to stop, as its Cancel button does.
    void CancelExport();

signals:
    // A line for the window's status bar about what was saved or not saved.
    void Status(const QString& text);
    // A long export ended, saved or not.
    void ExportEnded(const exporting::ExportOutcome& outcome);

private:
    bool Refused(const ExportContext& context, const char* title);
    void Warn(const QString& text, const QString& title);
    void RunLong(const QString& title, const QString& path, ExportRunner::Job job);
    void LongFinished(const ExportOutcome& outcome);

    ui::UiServices& ui_;
    QWidget* window_;
    ExportRunner runner_;
    QPointer<QDialog> progress_;
    QProgressBar* pgbExport_ = nullptr;
    QLabel* labExport_ = nullptr;
    QString title_;
    QString path_;
};

} // namespace exporting
