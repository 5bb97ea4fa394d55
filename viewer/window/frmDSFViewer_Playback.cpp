// Moving through the frames: the step commands and timed playback (the
// stepping and the timing are FramePlayer's; the window shows what it reports),
// the date list, the delay spinner and each panel's Refresh button.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/FramePlayer.h"
#include "viewer/window/NumberText.h"
#include "viewer/window/UpDownSpinner.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace viewer {

namespace {

QString TimeText(const study::StudySample& sample)
{
    return sample.DaylightSaving ? sample.SampleTime + QStringLiteral(" DST") : sample.SampleTime;
}

// Sample `frame` of the first view; nullptr when the study has no such sample.
const study::StudySample* FrameSample(const study::StudyRecord& study, qint32 frame)
{
    if (study.ViewCount() < 1 || frame < 1 || frame > study.Views[1].SampleCount())
        return nullptr;
    return &study.Views[1].Samples[frame];
}

} // namespace

void frmDSFViewer::ConnectPlayer()
{
    connect(player_, &FramePlayer::FrameShown, this, [this](int frame) {
        module_.CurrentFrame = frame;
        frames_->SetDirection(player_->Direction());
        ShowCurrentFrame();
    });
    connect(player_, &FramePlayer::PlaybackFrameShown, this, &frmDSFViewer::PlaybackFrameShown);
    connect(player_, &FramePlayer::PlaybackEnded, this, &frmDSFViewer::PlaybackEnded);
    connect(player_, &FramePlayer::StateChanged, this, [this](FramePlayer::State state) {
        module_.PlaybackRunning = player_->Running();
        if (state == FramePlayer::State::Playing) {
            module_.StopRequested = false;
            ui_.SetCursor(ui::CursorShape::ArrowHourglass);
        } else if (state == FramePlayer::State::Stopped) {
            ui_.SetCursor(ui::CursorShape::Default);
        }
    });
}

void frmDSFViewer::SetTotalFrames(qint32 count)
{
    module_.TotalFrames = count;
    player_->SetFrameCount(count);
    // The frame on display never lies beyond the frames there are.
    if (count > 0)
        module_.CurrentFrame = std::min(module_.CurrentFrame, count);
}

bool frmDSFViewer::CommonStart()
{
    for (qint16 i = 0; i < kPanelCount; ++i) {
        if (PanelNotCurrent[i]) {
            PanelNotCurrent[i] = false;
            QString ignored;
            msbLoadImageFiles(i, ignored);
        }
    }
    return module_.TotalFrames >= 1;
}

void frmDSFViewer::ShowCurrentFrame()
{
    FrameStepInProgress = true;
    if (const study::StudySample* sample = FrameSample(module_.Study, module_.CurrentFrame)) {
        const int item = cbxDate_->findText(sample->SampleDate);
        if (item >= 0) {
            cbxDate_->setCurrentIndex(item);
            msbDateTimeChange();
        }
    }
    FrameStepInProgress = false;
    msbUpdateViews(module_.CurrentFrame);
}

void frmDSFViewer::RestartAtFrameOne()
{
    module_.CurrentFrame = 1;
    if (player_->FrameCount() > 0)
        player_->ShowFrame(1);
    else
        ShowCurrentFrame();
}

void frmDSFViewer::msbUpdateViews(const qint32& CurrentFrame)
{
    txtCurrentFrame_->setText(SpaceSigned(CurrentFrame));
    const study::StudySample* sample = FrameSample(module_.Study, CurrentFrame);
    if (!sample)
        return;
    txtTime_->setText(TimeText(*sample));
    try {
        for (int i = 0; i < kPanelCount; ++i) {
            imaging::ImagingControl* panel = LEADV_[i];
            if (!PanelOnDisplay(i))
                continue;
            panel->SetShownPosition(CurrentFrame - 1);
            panel->Repaint();
            UpdateCaption(i);
        }
    } catch (const imaging::ImagingError&) {
        // A panel with fewer frames than the frame number ends the refresh quietly.
    }
    // The frames wanted change now, not on the next turn of the event loop:
    // read-ahead for where the frames were is dropped before a worker takes it.
    frames_->Replan();
}

void frmDSFViewer::cmdFirst_Click()
{
    if (CommonStart())
        player_->First();
}

void frmDSFViewer::cmdLast_Click()
{
    if (CommonStart())
        player_->Last();
}

void frmDSFViewer::cmdPrevious_Click()
{
    if (CommonStart())
        player_->Previous();
}

void frmDSFViewer::cmdNext_Click()
{
    if (CommonStart())
        player_->Next();
}

void frmDSFViewer::cmdPlay_Click()
{
    // One playback at a time; a second Play while it runs is not a new one.
    if (player_->CurrentState() == FramePlayer::State::Playing)
        return;
    // Set before the flagged panels load, so the window cannot close meanwhile.
    module_.PlaybackRunning = true;
    const bool frames = CommonStart();
    module_.PlaybackRunning = player_->Running();
    if (!frames)
        return;
    // The delay is read once per playback.
    player_->Play(static_cast<float>(LeadingNumber(txtDelay_->text())));
}

void frmDSFViewer::cmdStop_Click()
{
    module_.StopRequested = true;
    player_->Stop();
}

void frmDSFViewer::PlayOrStop()
{
    if (player_->CurrentState() == FramePlayer::State::Playing)
        cmdStop_Click();
    else
        cmdPlay_Click();
}

void frmDSFViewer::spnDelay_UpClick()
{
    txtDelay_->setText(SpaceSigned(spnDelay_->Value() / 10.0));
}

void frmDSFViewer::spnDelay_DownClick()
{
    txtDelay_->setText(SpaceSigned(spnDelay_->Value() / 10.0));
}

void frmDSFViewer::cbxDate_Click()
{
    msbDateTimeChange();
}

void frmDSFViewer::msbDateTimeChange()
{
    const QString date = cbxDate_->currentText();
    const study::StudyRecord& study = module_.Study;
    if (study.ViewCount() < 1)
        return;
    const study::StudyView& first = study.Views[1];
    const qint32 last = std::min<qint32>(module_.TotalFrames, static_cast<qint32>(first.SampleCount()));
    for (qint32 k = 1; k <= last; ++k) {
        if (first.Samples[k].SampleDate != date)
            continue;
        txtTime_->setText(TimeText(first.Samples[k]));
        if (!FrameStepInProgress)
            player_->ShowFrame(k);
        return;
    }
}

void frmDSFViewer::cmdRefresh_Click(int Index)
{
    PanelNotCurrent[Index] = false;
    QString ignored;
    msbLoadImageFiles(static_cast<qint16>(Index), ignored);
    ReportMissingImages();
    RestartAtFrameOne();
}

} // namespace viewer
