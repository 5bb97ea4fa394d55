// Placing the panels: the window's size, the Display boxes, Toggle Screen, the
// display shift keys and commands, the start-up picture and the panel zoom.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/ImagingControl.h"
#include "viewer/settings/DataFolders.h"
#include "viewer/study/StudyModule.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QScrollArea>
#include <QStatusBar>

#include <algorithm>

namespace viewer {

double frmDSFViewer::TwipsPerPixelX() const
{
    return 1440.0 / logicalDpiX();
}

double frmDSFViewer::TwipsPerPixelY() const
{
    return 1440.0 / logicalDpiY();
}

qint64 frmDSFViewer::WindowWidthTwips() const
{
    return PixelsToTwips(frameGeometry().width(), logicalDpiX());
}

qint64 frmDSFViewer::WindowHeightTwips() const
{
    return PixelsToTwips(frameGeometry().height(), logicalDpiY());
}

QRect frmDSFViewer::TwipsToClient(const TwipRect& rect) const
{
    // Edges are converted rather than sizes, so panels that touch in twips
    // touch in pixels too.
    const int left = TwipsToPixels(rect.Left, logicalDpiX());
    const int top = TwipsToPixels(rect.Top, logicalDpiY());
    const int right = TwipsToPixels(rect.Left + rect.Width, logicalDpiX());
    const int bottom = TwipsToPixels(rect.Top + rect.Height, logicalDpiY());
    return QRect(left, top, right - left, bottom - top);
}

PanelLayoutInput frmDSFViewer::LayoutInput() const
{
    PanelLayoutInput input;
    input.WindowWidth = WindowWidthTwips();
    input.WindowHeight = WindowHeightTwips();
    // The status line, while it shows, takes its height from the panels' room.
    if (!statusBar()->isHidden())
        input.WindowHeight -= PixelsToTwips(statusBar()->sizeHint().height(), logicalDpiY());
    input.ColumnWidth = kDesignColumnWidth;
    input.ScreenToggled = module_.ScreenToggled;
    for (int i = 0; i < kPanelCount; ++i) {
        const Qt::CheckState state = chkDisplay_[i]->checkState();
        input.Slots[i].Value = state == Qt::Checked ? kChecked : state == Qt::PartiallyChecked ? kGrayed : kUnchecked;
        input.Slots[i].Caption = chkDisplay_[i]->text();
    }
    return input;
}

void frmDSFViewer::msbResizeViews()
{
    if (loading_ > 0) {
        layoutPending_ = true;
        return;
    }
    if (module_.TotalFrames == 0 && !module_.PlaceholderShown) {
        module_.PlaceholderShown = true;
        ShowPlaceholder();
    } else {
        LEAD2_->hide();
    }

    for (int i = 1; i <= 5; ++i)
        fraHALVEX_[i]->setVisible(!module_.ScreenToggled);
    PlaceColumn();

    // Compare mode lasts while both its panels show a view (a load or a
    // Refresh can take one away); meanwhile its view takes the room of one panel.
    if (compare_.Mode != imaging::CompareMode::None && !CanCompare(compare_))
        EndCompareQuietly();
    PanelLayoutInput input = LayoutInput();
    if (compare_.Mode != imaging::CompareMode::None)
        input.Slots = CompareSlots(compare_.A);
    const PanelLayout layout = ComputePanelLayout(input);
    std::array<bool, kPanelCount> placed{};
    for (const PanelPlacement& p : layout.Panels)
        placed[p.Panel] = true;
    for (int i = 0; i < kPanelCount; ++i) {
        if (!placed[i])
            LEADV_[i]->hide();
    }
    for (const PanelPlacement& p : layout.Panels) {
        imaging::ImagingControl* panel = LEADV_[p.Panel];
        panel->setGeometry(TwipsToClient(p.Rect));
        placed_[p.Panel] = true;
        panel->show();
        panel->SetDisplayMode(imaging::kFitMode);
        UpdateCaption(p.Panel);
    }
}

void frmDSFViewer::PlaceColumn()
{
    columnScroll_->setVisible(!module_.ScreenToggled);
    if (module_.ScreenToggled)
        return;
    const int margin = TwipsToPixels(kTopMargin, logicalDpiY());
    const int room = std::max(1, centralWidget()->height() - 2 * margin);
    columnScroll_->setFixedHeight(std::min(column_->sizeHint().height(), room));
}

void frmDSFViewer::ShowPlaceholder()
{
    const TwipRect area = PlaceholderRect(WindowWidthTwips(), WindowHeightTwips(), kDesignColumnWidth);
    LEAD2_->setGeometry(TwipsToClient(area));
    LEAD2_->show();
    LEAD2_->SetDisplayMode(imaging::kFitMode);
    try {
        LEAD2_->Load(settings::FindDataFile(options_.DataFolders, QLatin1String(kPlaceholderFileName)));
    } catch (const imaging::ImagingError&) {
        // Without its picture the placeholder area simply stays empty.
    }
}

void frmDSFViewer::msbShiftDisplay(const qint16& ShiftType)
{
    // Restored rather than cleared, so a window waiting for a study that could
    // not be read keeps ignoring panel commands.
    const bool suspended = UpdatesSuspended;
    UpdatesSuspended = true;
    SlotCaptions captions;
    for (int i = 0; i < kPanelCount; ++i)
        captions[i] = chkDisplay_[i]->text();
    captions = ShiftCaptions(captions, ShiftType);
    for (int i = 0; i < kPanelCount; ++i)
        chkDisplay_[i]->setText(captions[i]);
    UpdatesSuspended = suspended;
    msbResizeViews();
}

void frmDSFViewer::ToggleScreen()
{
    module_.ScreenToggled = !module_.ScreenToggled;
    msbResizeViews();
}

void frmDSFViewer::chkDisplay_Click(int Index)
{
    Q_UNUSED(Index); // every panel is reloaded, whichever box was clicked
    for (qint16 i = 0; i < kPanelCount; ++i) {
        QString ignored;
        msbLoadImageFiles(i, ignored);
    }
    msbResizeViews();
    RestartAtFrameOne();
}

void frmDSFViewer::cmdReset_Click()
{
    const bool suspended = UpdatesSuspended;
    UpdatesSuspended = true;
    const SlotCaptions captions = DefaultCaptions();
    for (int i = 0; i < kPanelCount; ++i)
        chkDisplay_[i]->setText(captions[i]);
    UpdatesSuspended = suspended;
    msbResizeViews();
}

void frmDSFViewer::LEADV_MouseDown(int Index, int Button)
{
    if (Button != 1 && Button != 2)
        return;
    imaging::ImagingControl* panel = LEADV_[Index];
    // Should this click begin a double click, the double click undoes it.
    clickedPanel_ = Index;
    viewBeforeClick_ = panel->View();
    float zoom = panel->ZoomPercent();
    // From the fitted view the steps start at the scale the image is shown
    // at, so the first left click enlarges it whatever the percentage was.
    // The percentage is of the frame's full size, whatever size it was decoded at.
    const QSize full = panel->ShownFrameSize();
    if (panel->DisplayMode() == imaging::kFitMode && full.width() > 0)
        zoom = static_cast<float>(panel->ImageRect().width() * 100.0 / full.width());
    panel->SetDisplayMode(imaging::kZoomMode);
    panel->SetZoomPercent(ZoomAfterClick(zoom, Button));
    UpdateCaption(Index);
    LinkFrom(Index, false);
}

void frmDSFViewer::Form_Resize()
{
    msbResizeViews();
}

void frmDSFViewer::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    EnsureLoaded();
    Form_Resize();
}

} // namespace viewer
