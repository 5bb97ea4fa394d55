// Zoom and pan on the panels: the zoom clicks, the wheel, drags and double
// clicks (the panels report them), the zoom keys, linked panels and the pixel
// readout. A panel's view persists as the frames step and play; a layout
// fits the panels again.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/ImagingControl.h"
#include "viewer/settings/ViewerPreferences.h"

#include <QAction>
#include <QLabel>

namespace viewer {

void frmDSFViewer::ConnectPanelViews(int Index)
{
    imaging::ImagingControl* panel = LEADV_[Index];
    connect(panel, &imaging::ImagingControl::Clicked, this,
            [this, Index](int button, int, double, double) { LEADV_MouseDown(Index, button); });
    connect(panel, &imaging::ImagingControl::DoubleClicked, this,
            [this, Index](int button, double x, double y) { LEADV_DblClick(Index, button, x, y); });
    connect(panel, &imaging::ImagingControl::ViewEdited, this, [this, Index](bool moving) {
        UpdateCaption(Index);
        LinkFrom(Index, moving);
    });
    connect(panel, &imaging::ImagingControl::PointerMoved, this,
            [this, Index](QPointF imagePoint) { UpdateReadout(Index, imagePoint); });
    connect(panel, &imaging::ImagingControl::PointerLeft, this, &frmDSFViewer::HideReadout);
}

void frmDSFViewer::LEADV_DblClick(int Index, int Button, double X, double Y)
{
    // A right double click is the one zoom-out click it began with.
    if (Button != 1)
        return;
    imaging::ImagingControl* panel = LEADV_[Index];
    // The double click toggles from where the panel was before its first
    // click, which zoomed by a step.
    const imaging::ViewState before = clickedPanel_ == Index ? viewBeforeClick_ : panel->View();
    clickedPanel_ = -1;
    imaging::ViewState next = before;
    if (before.fit) {
        next = imaging::ZoomedAbout(before, QSizeF(panel->size()), QSizeF(panel->ShownFrameSize()),
                                    1.0 / panel->devicePixelRatioF(), QPointF(X, Y));
    } else {
        next.fit = true;
        next.centre = {0.5, 0.5};
    }
    panel->SetView(next);
    UpdateCaption(Index);
    LinkFrom(Index, false);
}

bool frmDSFViewer::PanelOnDisplay(int Index) const
{
    return !LEADV_[Index]->isHidden() || (compare_.Mode != imaging::CompareMode::None && Index == compare_.B);
}

void frmDSFViewer::LinkFrom(int Index, bool moving)
{
    // The compare view links its two frames itself.
    if (!linkPanels_ || compare_.Mode != imaging::CompareMode::None)
        return;
    const imaging::ImagingControl* source = LEADV_[Index];
    const imaging::ViewState view = source->View();
    const QSizeF full(source->ShownFrameSize());
    for (int i = 0; i < kPanelCount; ++i) {
        imaging::ImagingControl* panel = LEADV_[i];
        if (i == Index || panel->isHidden())
            continue;
        const QSizeF own(panel->ShownFrameSize());
        panel->SetView(imaging::Clamped(imaging::LinkedView(view, full, own), QSizeF(panel->size()), own), moving);
        UpdateCaption(i);
    }
}

void frmDSFViewer::SetLinkPanels(bool link)
{
    linkPanels_ = link;
    preferences_->SetLinkPanels(link);
    SyncMenuChecks();
    if (!link)
        return;
    // The others line up with the panel under the pointer, or the first shown.
    int from = pointerPanel_;
    for (int i = 0; i < kPanelCount && from < 0; ++i) {
        if (!LEADV_[i]->isHidden())
            from = i;
    }
    if (from >= 0)
        LinkFrom(from, false);
}

int frmDSFViewer::PanelUnderPointer() const
{
    return pointerPanel_ >= 0 && !LEADV_[pointerPanel_]->isHidden() ? pointerPanel_ : -1;
}

void frmDSFViewer::ZoomPanels(ZoomCommand command)
{
    const int under = PanelUnderPointer();
    std::vector<int> panels;
    for (int i = 0; i < kPanelCount; ++i) {
        if (LEADV_[i]->isHidden() || (under >= 0 && i != under))
            continue;
        panels.push_back(i);
        // Linked, one panel leads and the others follow it.
        if (linkPanels_)
            break;
    }
    for (const int i : panels) {
        imaging::ImagingControl* panel = LEADV_[i];
        const QSizeF size(panel->size());
        const QSizeF full(panel->ShownFrameSize());
        if (full.isEmpty())
            continue;
        const QPointF anchor = i == under ? pointerAt_ : QPointF(size.width() / 2, size.height() / 2);
        imaging::ViewState view = panel->View();
        switch (command) {
        case ZoomCommand::In:
            view = imaging::ZoomedBy(view, size, full, imaging::kZoomStep, anchor);
            break;
        case ZoomCommand::Out:
            view = imaging::ZoomedBy(view, size, full, 1 / imaging::kZoomStep, anchor);
            break;
        case ZoomCommand::Fit:
            view.fit = true;
            view.centre = {0.5, 0.5};
            break;
        case ZoomCommand::ActualSize:
            view = imaging::ZoomedAbout(view, size, full, 1.0 / panel->devicePixelRatioF(), anchor);
            break;
        }
        panel->SetView(view);
        UpdateCaption(i);
        LinkFrom(i, false);
    }
}

QString frmDSFViewer::ReadoutOf(int Index, QPointF imagePoint) const
{
    const imaging::ImagingControl* panel = LEADV_[Index];
    const QImage& image = panel->CurrentImage();
    const imaging::PixelSpot spot = imaging::PixelSpotAt(imagePoint, panel->ShownFrameSize(), image.size());
    if (!spot.inside || image.isNull())
        return QStringLiteral("%1: \u2013").arg(Index + 1);
    const QRgb colour = image.pixel(spot.decoded);
    return QStringLiteral("%1: (%2, %3) RGB %4 %5 %6")
        .arg(Index + 1)
        .arg(spot.full.x())
        .arg(spot.full.y())
        .arg(qRed(colour))
        .arg(qGreen(colour))
        .arg(qBlue(colour));
}

void frmDSFViewer::UpdateReadout(int Index, QPointF imagePoint)
{
    const imaging::ImagingControl* source = LEADV_[Index];
    pointerPanel_ = Index;
    pointerAt_ = imaging::PanelPointOf(source->View(), QSizeF(source->size()), QSizeF(source->ShownFrameSize()),
                                       imagePoint);
    // Every panel on display at the same image-relative spot: in compare mode
    // A and B, otherwise the shown panels in panel order.
    QStringList parts;
    if (compare_.Mode != imaging::CompareMode::None) {
        parts << ReadoutOf(compare_.A, imagePoint) << ReadoutOf(compare_.B, imagePoint);
    } else {
        for (int i = 0; i < kPanelCount; ++i) {
            if (!LEADV_[i]->isHidden())
                parts << ReadoutOf(i, imagePoint);
        }
    }
    labReadout_->setText(parts.join(QStringLiteral("     ")));

    // Across the foot of the panels, or their head while the pointer is low;
    // over a difference, whose legend takes the foot, across the head unless
    // the pointer is high.
    int left = centralWidget()->width();
    int right = 0;
    int top = centralWidget()->height();
    int bottom = 0;
    for (int i = 0; i < kPanelCount; ++i) {
        if (LEADV_[i]->isHidden())
            continue;
        const QRect r = LEADV_[i]->geometry();
        left = std::min(left, r.left());
        right = std::max(right, r.right());
        top = std::min(top, r.top());
        bottom = std::max(bottom, r.bottom());
    }
    bottom = std::min(bottom, centralWidget()->height() - 1);
    if (right <= left)
        return;
    const int height = labReadout_->sizeHint().height();
    const int pointerY = source->mapTo(centralWidget(), pointerAt_.toPoint()).y();
    const bool atHead = compare_.Mode == imaging::CompareMode::Difference
                            ? pointerY > top + (bottom - top) / 3
                            : pointerY > top + (bottom - top) * 2 / 3;
    labReadout_->setGeometry(left, atHead ? top : bottom + 1 - height, right - left + 1, height);
    labReadout_->show();
    labReadout_->raise();
}

void frmDSFViewer::HideReadout()
{
    pointerPanel_ = -1;
    labReadout_->hide();
}

QString frmDSFViewer::PixelReadout() const
{
    return labReadout_->isHidden() ? QString() : labReadout_->text();
}

void frmDSFViewer::SyncMenuChecks()
{
    const struct {
        const char* id;
        bool checked;
    } switches[] = {
        {"ID_PanelCaptions", captionsShown_},
        {"ID_LinkPanels", linkPanels_},
        {"ID_CompareWipe", compare_.Mode == imaging::CompareMode::Wipe},
        {"ID_CompareDifference", compare_.Mode == imaging::CompareMode::Difference},
        {"ID_CompareSigned", compare_.Kind == imaging::DifferenceKind::SignedLuminance},
    };
    for (const auto& s : switches) {
        if (auto* item = findChild<QAction*>(QLatin1String(s.id)))
            item->setChecked(s.checked);
    }
}

} // namespace viewer
