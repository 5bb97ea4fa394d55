#include "viewer/export/ExportController.h"

#include "viewer/export/ContactSheet.h"
#include "viewer/export/StillExport.h"
#include "viewer/export/frmExportAnimation.h"
#include "viewer/export/frmExportFrame.h"
#include "viewer/export/frmExportSheet.h"

#include "platform/ui/UiServices.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace exporting {

namespace {

// The progress box: its Cancel (and Esc, and closing it) asks the export to
// stop; it goes away when the export has ended.
class CancellableBox : public QDialog {
public:
    using QDialog::QDialog;
    std::function<void()> onCancel;

protected:
    void reject() override
    {
        if (onCancel)
            onCancel();
    }
};

} // namespace

ExportController::ExportController(ui::UiServices& ui, QWidget* window) : QObject(window), ui_(ui), window_(window)
{
    connect(&runner_, &ExportRunner::Progress, this, [this](int done, int total) {
        if (!pgbExport_)
            return;
        pgbExport_->setMaximum(std::max(1, total));
        pgbExport_->setValue(done);
        labExport_->setText(tr("Exporting %1\nFrame %2 of %3")
                                .arg(QFileInfo(path_).fileName())
                                .arg(done)
                                .arg(total));
    });
    connect(&runner_, &ExportRunner::Finished, this, &ExportController::LongFinished);
}

ExportController::~ExportController() = default;

void ExportController::Warn(const QString& text, const QString& title)
{
    ui_.ShowMessage({text, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, false, window_});
}

bool ExportController::Refused(const ExportContext& context, const char* title)
{
    if (Busy()) {
        Warn(tr(kMsgExportBusy), tr(title));
        return true;
    }
    if (!context.HasStudy()) {
        Warn(tr(kMsgNothingToExport), tr(title));
        return true;
    }
    return false;
}

void ExportController::ExportFrame(const ExportContext& context)
{
    if (Refused(context, kTitleExportFrame))
        return;
    const ExportScene scene = context.Scene();
    frmExportFrame dialog(context, scene, ui_, window_);
    if (ui_.ShowModal(dialog) != QDialog::Accepted)
        return;
    const FrameChoices& choices = dialog.Choices();
    ExportOutcome outcome;
    {
        ui::CursorGuard busy(ui_, ui::CursorShape::Hourglass);
        if (choices.PanelFiles) {
            outcome = ExportPanelImages(scene, {choices.Path, {context.CurrentFrame}, true});
        } else {
            outcome = ExportFramePicture(choices.Scale == 1.0 ? scene : context.Scene(choices.Scale),
                                         context.CurrentFrame, choices.Path);
        }
    }
    if (!outcome.ok()) {
        Warn(outcome.Error, tr(kTitleExportFrame));
        return;
    }
    QString text = choices.PanelFiles
                       ? tr("%1 image files saved in %2").arg(outcome.Frames).arg(QDir::toNativeSeparators(choices.Path))
                       : tr("Frame %1 saved as %2").arg(context.CurrentFrame).arg(QDir::toNativeSeparators(choices.Path));
    if (outcome.Skipped > 0)
        text += tr("; %1 missing images left out").arg(outcome.Skipped);
    emit Status(text);
}

void ExportController::ExportAnimation(const ExportContext& context)
{
    if (Refused(context, kTitleExportAnimation))
        return;
    const ExportScene scene = context.Scene();
    frmExportAnimation dialog(context, scene, ui_, window_);
    if (ui_.ShowModal(dialog) != QDialog::Accepted)
        return;
    const AnimationChoices& c = dialog.Choices();
    AnimationRequest request;
    request.Path = c.Path;
    request.Frames = c.Frames;
    request.Encoder.format = c.Format;
    request.Encoder.rate = c.Rate;
    const ExportScene sized = c.Scale == 1.0 ? scene : context.Scene(c.Scale);
    RunLong(tr(kTitleExportAnimation), c.Path, [sized, request](const ExportProgress& progress) {
        return exporting::ExportAnimation(sized, request, progress);
    });
}

void ExportController::ExportContactSheet(const ExportContext& context)
{
    if (Refused(context, kTitleExportSheet))
        return;
    const ExportScene scene = context.Scene();
    frmExportSheet dialog(context, scene, ui_, window_);
    if (ui_.ShowModal(dialog) != QDialog::Accepted)
        return;
    const SheetChoices& c = dialog.Choices();
    ExportScene one = scene;
    one.Panels = {scene.Panels[c.Panel]};
    one.Layout.Cells = {scene.Layout.Cells[c.Panel]};
    SheetRequest request;
    request.Path = c.Path;
    request.Frames = c.Frames;
    request.Paper = c.Paper;
    const bool pdf = c.Pdf;
    RunLong(tr(kTitleExportSheet), c.Path, [one, request, pdf](const ExportProgress& progress) {
        return pdf ? ExportContactSheetPdf(one, request, progress) : ExportContactSheetPng(one, request, progress);
    });
}

void ExportController::CopyFrame(const ExportContext& context)
{
    if (!context.HasStudy())
        return;
    RenderedFrame frame;
    {
        ui::CursorGuard busy(ui_, ui::CursorShape::Hourglass);
        frame = context.Scene(window_ ? window_->devicePixelRatioF() : 1.0).Render(context.CurrentFrame);
    }
    if (!frame.ok()) {
        Warn(frame.Error, tr("Copy Frame"));
        return;
    }
    QGuiApplication::clipboard()->setImage(frame.Image, QClipboard::Clipboard);
    emit Status(tr("Frame %1 copied to the clipboard").arg(context.CurrentFrame));
}

void ExportController::CancelExport()
{
    runner_.Cancel();
    if (labExport_)
        labExport_->setText(tr("Stopping..."));
}

void ExportController::RunLong(const QString& title, const QString& path, ExportRunner::Job job)
{
    title_ = title;
    path_ = path;
    auto* box = new CancellableBox(window_);
    box->setObjectName(QStringLiteral("frmExportProgress"));
    box->setWindowTitle(title);
    box->setWindowModality(Qt::WindowModal);
    box->onCancel = [this] { CancelExport(); };
    labExport_ = new QLabel(tr("Exporting %1").arg(QFileInfo(path).fileName()), box);
    labExport_->setObjectName(QStringLiteral("labExport"));
    labExport_->setMinimumWidth(360);
    pgbExport_ = new QProgressBar(box);
    pgbExport_->setObjectName(QStringLiteral("pgbExport"));
    pgbExport_->setRange(0, 0);
    auto* cancel = new QPushButton(tr("Cancel"), box);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &ExportController::CancelExport);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(labExport_);
    layout->addWidget(pgbExport_);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    progress_ = box;
    box->show();
    runner_.Start(std::move(job));
}

void ExportController::LongFinished(const ExportOutcome& outcome)
{
    if (auto* box = static_cast<CancellableBox*>(progress_.data())) {
        box->onCancel = nullptr;
        box->hide();
        box->deleteLater();
    }
    progress_ = nullptr;
    pgbExport_ = nullptr;
    labExport_ = nullptr;
    const QString file = QDir::toNativeSeparators(path_);
    if (outcome.Cancelled)
        emit Status(tr("Export cancelled; %1 was not written").arg(file));
    else if (!outcome.ok())
        Warn(tr("%1 was not written.\n\n%2").arg(file, outcome.Error), title_);
    else
        emit Status(tr("%1 saved: %2 frames").arg(file).arg(outcome.Frames));
    emit ExportEnded(outcome);
}

} // namespace exporting
