// Moving through the frames: the step commands, timed playback, the date list,
// the delay spinner, each panel's Refresh button and the frame keys.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/NumberText.h"
#include "viewer/window/UpDownSpinner.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

QString TimeText(const study::StudySample& sample)
{
    return sample.DaylightSaving ? sample.SampleTime + QStringLiteral(" DST") : sample.SampleTime;
}

// Sample `frame` of the first view; nullptr when the study has no such sample.
const study::StudySample* FrameSample(const study::StudyRecord& study, qint32 frame)
{
    if (study.ViewCount() < 1 || frame < 0 || frame > study.Views[1].SampleCount())
        return nullptr;
    return &study.Views[1].Samples[frame];
}

} // namespace

bool frmDSFViewer::CommonStart()
{
    for (qint16 i = 0; i < kPanelCount; ++i) {
        if (PanelNotCurrent[i]) {
            PanelNotCurrent[i] = false;
            QString ignored;
            msbLoadImageFiles(i, ignored);
        }
    }
    txtFocus_->setFocus();
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

void frmDSFViewer::msbUpdateViews(const qint32& CurrentFrame)
{
    txtCurrentFrame_->setText(SpaceSigned(CurrentFrame));
    const study::StudySample* sample = FrameSample(module_.Study, CurrentFrame);
    if (!sample)
        return;
    txtTime_->setText(TimeText(*sample));
    try {
        for (imaging::ImagingControl* panel : LEADV_) {
            if (panel->isHidden())
                continue;
            panel->SetShownPosition(CurrentFrame - 1);
            panel->Repaint();
        }
    } catch (const imaging::ImagingError&) {
        // A panel with fewer images than the frame number ends the refresh quietly.
    }
}

void frmDSFViewer::cmdFirst_Click()
{
    if (!CommonStart())
        return;
    module_.CurrentFrame = 1;
    ShowCurrentFrame();
}

void frmDSFViewer::cmdLast_Click()
{
    if (!CommonStart())
        return;
    module_.CurrentFrame = module_.TotalFrames;
    ShowCurrentFrame();
}

void frmDSFViewer::cmdPrevious_Click()
{
    if (!CommonStart())
        return;
    if (module_.CurrentFrame - 1 < 1)
        return;
    --module_.CurrentFrame;
    ShowCurrentFrame();
}

void frmDSFViewer::cmdNext_Click()
{
    if (!CommonStart())
        return;
    if (module_.CurrentFrame + 1 > module_.TotalFrames)
        return;
    ++module_.CurrentFrame;
    ShowCurrentFrame();
}

void frmDSFViewer::cmdPlay_Click()
{
    // One playback at a time; a second Play while it runs is not a new one.
    if (playback_.active) {
        txtFocus_->setFocus();
        return;
    }
    module_.PlaybackRunning = true;
    if (!CommonStart()) {
        module_.PlaybackRunning = false;
        return;
    }
    ui_.SetCursor(ui::CursorShape::ArrowHourglass);
    module_.StopRequested = false;
    const float delay = static_cast<float>(LeadingNumber(txtDelay_->text()));
    if (module_.CurrentFrame == module_.TotalFrames)
        module_.CurrentFrame = 1;

    playback_.active = true;
    playback_.next = module_.CurrentFrame;
    playback_.last = module_.TotalFrames;
    playback_.delay = delay;
    playback_.waiting = false;
    SchedulePlayback(0);
}

void frmDSFViewer::SchedulePlayback(int milliseconds)
{
    playbackTimer_->start(milliseconds);
}

void frmDSFViewer::PlaybackStep()
{
    if (!playback_.active)
        return;
    if (loading_ > 0) {
        SchedulePlayback(10);
        return;
    }
    if (module_.StopRequested || playback_.next > playback_.last) {
        FinishPlayback();
        return;
    }
    module_.CurrentFrame = playback_.next;
    ShowCurrentFrame();
    emit PlaybackFrameShown(playback_.next);
    playback_.waitStart = ui_.TimeOfDaySeconds();
    playback_.waiting = true;
    SchedulePlayback(0);
}

void frmDSFViewer::PlaybackWaitCheck()
{
    if (!playback_.active)
        return;
    const double elapsed = ui::ElapsedSeconds(playback_.waitStart, ui_.TimeOfDaySeconds());
    if (elapsed > playback_.delay) {
        playback_.waiting = false;
        if (++playback_.next > playback_.last) {
            FinishPlayback();
            return;
        }
        SchedulePlayback(0);
        return;
    }
    const double remaining = (playback_.delay - elapsed) * 1000.0;
    SchedulePlayback(std::clamp(static_cast<int>(std::ceil(remaining)), 1, std::max(1, options_.WaitPollMilliseconds)));
}

void frmDSFViewer::FinishPlayback()
{
    playbackTimer_->stop();
    playback_.active = false;
    playback_.waiting = false;
    ui_.SetCursor(ui::CursorShape::Default);
    module_.PlaybackRunning = false;
    emit PlaybackEnded();
}

void frmDSFViewer::cmdStop_Click()
{
    txtFocus_->setFocus();
    module_.StopRequested = true;
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
        if (!FrameStepInProgress) {
            module_.CurrentFrame = k;
            msbUpdateViews(module_.CurrentFrame);
        }
        return;
    }
}

void frmDSFViewer::cmdRefresh_Click(int Index)
{
    PanelNotCurrent[Index] = false;
    QString ignored;
    msbLoadImageFiles(static_cast<qint16>(Index), ignored);
    module_.CurrentFrame = 1;
    msbUpdateViews(module_.CurrentFrame);
    txtFocus_->setFocus();
}

void frmDSFViewer::Form_KeyDown(int KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    switch (KeyCode) {
    case kKeyEnd:
        cmdLast_Click();
        break;
    case kKeyHome:
        cmdFirst_Click();
        break;
    case kKeyLeft:
        cmdPrevious_Click();
        break;
    case kKeyUp:
        cmdPlay_Click();
        break;
    case kKeyRight:
        cmdNext_Click();
        break;
    case kKeyDown:
        cmdStop_Click();
        break;
    case kKeyPageUp:
        msbShiftDisplay(0);
        break;
    case kKeyPageDown:
        msbShiftDisplay(1);
        break;
    default:
        break;
    }
}

bool frmDSFViewer::eventFilter(QObject* watched, QEvent* event)
{
    // Every key pressed in the window reaches the frame keys first, and still
    // goes on to the control that has the focus.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const bool firstReceiver = focusWidget() ? widget == focusWidget() : widget == this;
        if (widget->window() == this && firstReceiver) {
            int keyCode = 0;
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_PageUp: keyCode = kKeyPageUp; break;
            case Qt::Key_PageDown: keyCode = kKeyPageDown; break;
            case Qt::Key_End: keyCode = kKeyEnd; break;
            case Qt::Key_Home: keyCode = kKeyHome; break;
            case Qt::Key_Left: keyCode = kKeyLeft; break;
            case Qt::Key_Up: keyCode = kKeyUp; break;
            case Qt::Key_Right: keyCode = kKeyRight; break;
            case Qt::Key_Down: keyCode = kKeyDown; break;
            default: break;
            }
            const Qt::KeyboardModifiers mods = static_cast<QKeyEvent*>(event)->modifiers();
            const int shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                              (mods & Qt::AltModifier ? 4 : 0);
            if (keyCode != 0)
                Form_KeyDown(keyCode, shift);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace viewer
