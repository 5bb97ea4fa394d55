// The export commands: the window says what it shows, the export controller
// asks what to write and writes it.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/ImagingControl.h"
#include "viewer/export/ExportController.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/NumberText.h"

#include <QLineEdit>

#include <algorithm>

namespace viewer {

exporting::ExportContext frmDSFViewer::ExportContextNow() const
{
    exporting::ExportContext context;
    context.Study = module_.Study;
    context.Folder = module_.CurrentFolder;
    context.StudyFile = module_.LoadedStudyFile;
    context.HelpFile = module_.HelpFile;
    context.Captions = captionsShown_;
    context.CurrentFrame = std::max(1, static_cast<int>(module_.CurrentFrame));
    context.DelaySeconds = LeadingNumber(txtDelay_->text());
    // A panel shows what it was last loaded with, also while a changed setting
    // waits for Refresh; that is what is exported.
    for (const PanelPlacement& placement : ComputePanelLayout(LayoutInput()).Panels) {
        const imaging::ImagingControl* panel = LEADV_[placement.Panel];
        const PanelFrames& frames = panelFrames_[placement.Panel];
        if (frames.View == 0 || !panel->isVisible())
            continue;
        exporting::ShownPanel shown;
        shown.Settings = {frames.View, frames.Choice};
        shown.Rect = panel->geometry();
        shown.ZoomPercent = panel->DisplayMode() == imaging::kZoomMode ? panel->ZoomPercent() : 0.0;
        // The spot the panel was panned to, as it is drawn (kept over the image).
        shown.Centre = imaging::ImagePointAt(panel->View(), QSizeF(panel->size()), QSizeF(panel->ShownFrameSize()),
                                             QPointF(panel->width() / 2.0, panel->height() / 2.0));
        context.Panels.push_back(shown);
    }
    return context;
}

void frmDSFViewer::ExportFrame()
{
    export_->ExportFrame(ExportContextNow());
}

void frmDSFViewer::ExportAnimation()
{
    export_->ExportAnimation(ExportContextNow());
}

void frmDSFViewer::ExportContactSheet()
{
    export_->ExportContactSheet(ExportContextNow());
}

void frmDSFViewer::CopyFrame()
{
    export_->CopyFrame(ExportContextNow());
}

} // namespace viewer
