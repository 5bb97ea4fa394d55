// Compare mode: two chosen panels over each other in the room of one panel,
// wiped or as their difference, following the frames, zoom and pan like any
// panel. Panel A's control shows the comparison with panel B's frames, which
// B still follows while hidden. Leaving the mode lays the panels out again and
// gives them back the views they had.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/ComparePanelsDialog.h"

#include <QDialog>

#include <algorithm>

namespace viewer {

bool frmDSFViewer::CanCompare(const CompareChoice& choice) const
{
    const auto holdsFrames = [this](int i) {
        return i >= 0 && i < kPanelCount && panelFrames_[i].View != 0 && LEADV_[i]->ImageCount() > 0;
    };
    return choice.A != choice.B && holdsFrames(choice.A) && holdsFrames(choice.B);
}

void frmDSFViewer::ApplyCompare()
{
    for (int i = 0; i < kPanelCount; ++i) {
        if (i != compare_.A || compare_.Mode == imaging::CompareMode::None)
            LEADV_[i]->SetCompare(nullptr, imaging::CompareMode::None);
    }
    if (compare_.Mode == imaging::CompareMode::None)
        return;
    imaging::ImagingControl* host = LEADV_[compare_.A];
    host->SetCompare(LEADV_[compare_.B], compare_.Mode);
    host->SetCompareNames(QString::number(compare_.A + 1), QString::number(compare_.B + 1));
    host->SetDifference(compare_.Kind, compare_.Gain);
}

namespace {

void RefuseCompare(ui::UiServices& ui, const CompareChoice& choice)
{
    ui.Message(QStringLiteral("Panels %1 and %2 must each show a view to be compared. Choose the panels with "
                              "Compare Panels... in the Compare menu.")
                   .arg(choice.A + 1)
                   .arg(choice.B + 1),
               QStringLiteral("HALVEX Daystrand"), ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

} // namespace

void frmDSFViewer::SetCompareMode(imaging::CompareMode mode)
{
    if (mode != imaging::CompareMode::None && !CanCompare(compare_)) {
        RefuseCompare(ui_, compare_);
        SyncMenuChecks();
        return;
    }
    const bool entering = compare_.Mode == imaging::CompareMode::None && mode != imaging::CompareMode::None;
    const bool leaving = compare_.Mode != imaging::CompareMode::None && mode == imaging::CompareMode::None;
    if (entering) {
        for (int i = 0; i < kPanelCount; ++i)
            viewsBeforeCompare_[i] = LEADV_[i]->View();
    }
    compare_.Mode = mode;
    ApplyCompare();
    SyncMenuChecks(); // also puts back the check of an item clicked while checked
    // From wipe to difference and back the view stays as it is.
    if (!entering && !leaving)
        return;
    HideReadout();
    msbResizeViews();
    if (leaving) {
        for (int i = 0; i < kPanelCount; ++i) {
            if (!LEADV_[i]->isHidden())
                LEADV_[i]->SetView(viewsBeforeCompare_[i]);
            UpdateCaption(i);
        }
        return;
    }
    // The comparison starts where panel A was looking; panel B, not refreshed
    // while it was hidden, joins at the frame on display.
    LEADV_[compare_.A]->SetView(viewsBeforeCompare_[compare_.A]);
    msbUpdateViews(module_.CurrentFrame);
}

void frmDSFViewer::EndCompareQuietly()
{
    compare_.Mode = imaging::CompareMode::None;
    ApplyCompare();
    SyncMenuChecks();
}

void frmDSFViewer::SetCompareChoice(const CompareChoice& choice)
{
    CompareChoice next = choice;
    next.Mode = compare_.Mode;
    next.Gain = std::clamp(choice.Gain, imaging::kMinDifferenceGain, imaging::kMaxDifferenceGain);
    const bool newPair = next.A != compare_.A || next.B != compare_.B;
    if (compare_.Mode == imaging::CompareMode::None || !newPair) {
        compare_ = next;
        ApplyCompare();
        SyncMenuChecks();
        return;
    }
    if (!CanCompare(next)) {
        RefuseCompare(ui_, next);
        return;
    }
    // Another pair: the new panel A goes on from where the old one looked.
    const imaging::ViewState view = LEADV_[compare_.A]->View();
    compare_ = next;
    ApplyCompare();
    HideReadout();
    msbResizeViews();
    LEADV_[compare_.A]->SetView(view);
    msbUpdateViews(module_.CurrentFrame);
    SyncMenuChecks();
}

void frmDSFViewer::ChooseComparePanels()
{
    ComparePanelsDialog dialog(compare_, this);
    if (ui_.ShowModal(dialog) != QDialog::Accepted)
        return;
    SetCompareChoice(dialog.Choice());
}

} // namespace viewer
