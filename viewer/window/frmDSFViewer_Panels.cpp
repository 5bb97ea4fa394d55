// The four view panels: filling their settings from a study, choosing and
// decoding each panel's images, and the notice over a panel whose settings
// changed since it was loaded.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameLoader.h"
#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/LoadInputGate.h"
#include "viewer/window/NumberText.h"
#include "viewer/window/SkyConditions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <new>
#include <optional>

namespace viewer {

namespace {

const QString kNoticeFirstLine = QStringLiteral("Image Not Current");
const QString kNoticeSecondLine = QStringLiteral("Click Refresh");

// An option pair from a mask: the option of bit 2 first, so with both bits the
// option of bit 1 ends selected.
void SetOptionPair(qint16 mask, QRadioButton* bit1, QRadioButton* bit2)
{
    bit2->setEnabled(mask & 2);
    if (mask & 2)
        bit2->setChecked(true);
    bit1->setEnabled(mask & 1);
    if (mask & 1)
        bit1->setChecked(true);
}

} // namespace

// A cancel asked for during a load unwinds it from wherever it is.
struct LoadCancelled {};

// While a panel loads, the window repaints and takes a cancel, but runs no
// command, layout or playback step.
class frmDSFViewer::LoadingScope {
public:
    explicit LoadingScope(frmDSFViewer& window) : window_(window)
    {
        if (window_.loading_++ == 0) {
            window_.cancelRequested_ = false;
            window_.loadGate_ = std::make_unique<LoadInputGate>(window_, *window_.cmdCancelLoad_,
                                                                [w = &window_] { w->CancelLoad(); });
        }
    }
    ~LoadingScope()
    {
        if (--window_.loading_ > 0)
            return;
        window_.loadGate_.reset();
        if (window_.layoutPending_) {
            window_.layoutPending_ = false;
            QTimer::singleShot(0, &window_, [w = &window_] { w->Form_Resize(); });
        }
    }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    frmDSFViewer& window_;
};

void frmDSFViewer::msbSetStudySettings()
{
    const study::StudyRecord& study = module_.Study;
    setWindowTitle(QStringLiteral("HALVEX Daystrand - Study Name: ") + study.StudyName);
    sstViews_->setCurrentIndex(0);
    rtfSiteName_->setPlainText(study.SiteName);
    txtSiteLatitude_->setText(SpaceSigned(study.SiteLatitude));
    txtSiteLongitude_->setText(SpaceSigned(study.SiteLongitude));
    txtSiteCompass_->setText(SpaceSigned(study.SiteCompassNorth));

    for (int i = 0; i < kPanelCount; ++i) {
        chkDisplay_[i]->setChecked(false);
        cbxSkyConditions_[i]->clear();
    }
    const QStringList skyNames = SkyConditionNames(study.SkyConditionMask);
    for (int i = 0; i < kPanelCount; ++i) {
        QComboBox* views = cbxViewName_[i];
        views->clear();
        views->addItem(QStringLiteral("<Select View>"));
        for (qsizetype v = 1; v <= study.ViewCount(); ++v)
            views->addItem(study.Views[v].ViewName);
        views->setCurrentIndex(0);

        SetOptionPair(study.ColorModeMask, optRGB_[i], optPseudo_[i]);
        SetOptionPair(study.ElectricModeMask, optElectricOn_[i], optElectricOff_[i]);

        cbxSkyConditions_[i]->addItems(skyNames);
        cbxSkyConditions_[i]->setCurrentIndex(skyNames.isEmpty() ? -1 : 0);
    }

    for (qsizetype v = 1; v <= study.ViewCount() && v <= kPanelCount; ++v) {
        cbxViewName_[v - 1]->setCurrentIndex(cbxViewName_[v - 1]->findText(study.Views[v].ViewName));
        chkDisplay_[v - 1]->setChecked(true);
    }

    StudyDates = StudyDatesOf(study);
    cbxDate_->clear();
    cbxDate_->addItems(StudyDates.mid(1));
    // A study without samples leaves the date list empty.
    cbxDate_->setCurrentIndex(StudyDates.size() > 1 ? 0 : -1);
}

PanelChoice frmDSFViewer::PanelChoiceOf(int Index) const
{
    PanelChoice choice;
    choice.ColorCode = optRGB_[Index]->isChecked() ? 1 : 2;
    choice.ElectricCode = optElectricOn_[Index]->isChecked() ? 1 : 2;
    choice.SkyCode = SkyCodeOfName(cbxSkyConditions_[Index]->currentText());
    return choice;
}

void frmDSFViewer::msbLoadImageFiles(const qint16& Index, QString& ErrMsg)
{
    if (UpdatesSuspended)
        return;
    ErrMsg.clear();
    imaging::ImagingControl* panel = LEADV_[Index];
    try {
        panel->DeleteImages(0, panel->ImageCount());
        panel->hide();

        const int view = FindView(module_.Study, cbxViewName_[Index]->currentText());
        if (view == 0)
            return;

        ui::CursorGuard hourglass(ui_, ui::CursorShape::Hourglass);
        LoadingScope loading(*this);
        try {
            const study::StudyView& samples = module_.Study.Views[view];
            const qsizetype sampleCount = samples.SampleCount();
            // A load of the whole study shares one look at the folder between
            // its panels; a single panel's load looks afresh.
            std::optional<study::StudyFolderIndex> ownFiles;
            study::StudyFolderIndex* files = loadFiles_;
            if (!files)
                files = &ownFiles.emplace(module_.CurrentFolder);
            const PanelFrames frames = SelectPanelFrames(
                samples, PanelChoiceOf(Index), *files, [this, Index](qsizetype done, qsizetype total) {
                    labLoadStatus_->setText(QStringLiteral("Panel %1: checking image files, %2 of %3")
                                                .arg(Index + 1)
                                                .arg(QLocale().toString(done), QLocale().toString(total)));
                    PumpDuringLoad();
                    return !cancelRequested_;
                });
            ThrowIfCancelled();
            QStringList paths;
            for (const FramePosition& position : frames.Positions) {
                if (!position.Missing())
                    paths.append(position.Path);
            }
            labLoadStatus_->setText(QStringLiteral("Panel %1: reading images").arg(Index + 1));

            int count = 0;
            const imaging::FrameLoader loader(options_.DecodeWorkers);
            const imaging::FrameLoadOutcome outcome = loader.Load(
                paths,
                [&](int, const QImage& image) {
                    ThrowIfCancelled();
                    ++count;
                    panel->SetDisplayMode(imaging::kFitMode);
                    panel->InsertImage(count - 1, image);
                    panel->SetShownPosition(count - 1);
                    if (!pgbLoad_->isHidden())
                        SetLoadProgress(LoadProgress(Index, count, sampleCount));
                    PumpDuringLoad();
                },
                [this] {
                    PumpDuringLoad();
                    ThrowIfCancelled();
                });
            if (!outcome.ok()) {
                ErrMsg = outcome.error;
                return;
            }
            if (frames.Overflow) {
                // The frame counter is 16-bit: a panel holds at most 32767 images.
                ErrMsg = QStringLiteral("Overflow");
                return;
            }

            panel->SetShownPosition(0);
            module_.TotalFrames = count;
            if (chkDisplay_[Index]->checkState() == Qt::Checked)
                panel->show();
        } catch (const LoadCancelled&) {
            // Cleanly empty rather than half filled.
            panel->DeleteImages(0, panel->ImageCount());
            panel->hide();
            loadCancelled_ = true;
        }
    } catch (const imaging::ImagingError& error) {
        ErrMsg = error.Text();
    } catch (const std::bad_alloc&) {
        ErrMsg = QStringLiteral("Out of memory");
    }
}

void frmDSFViewer::CancelLoad()
{
    if (loading_ > 0)
        cancelRequested_ = true;
}

void frmDSFViewer::ThrowIfCancelled() const
{
    if (cancelRequested_)
        throw LoadCancelled{};
}

void frmDSFViewer::PumpDuringLoad()
{
    // Input other than Cancel and Esc is held off by the load's gate.
    QCoreApplication::processEvents(loadGate_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void frmDSFViewer::msbRefreshNotice(const qint16& Index)
{
    if (UpdatesSuspended)
        return;
    imaging::ImagingControl* panel = LEADV_[Index];
    panel->show();
    QFont font = panel->font();
    font.setFamily(QStringLiteral("Times New Roman"));
    font.setPointSize(16);
    panel->setFont(font);
    panel->SetTextColor(QColor(255, 255, 255));
    panel->SetTextStyle(imaging::kTextStylePlain);
    panel->SetTextAlign(imaging::kTextAlignCentre);
    panel->SetTextWordWrap(false);
    panel->SetTextPersistent(1);

    const double w = static_cast<double>(RoundHalfEven(panel->TextWidth(kNoticeFirstLine)));
    const double h = static_cast<double>(RoundHalfEven(panel->TextHeight(kNoticeFirstLine)));
    QRectF rect(panel->width() / 2.0 - w / 2, panel->height() / 2.0 - h / 2, w, h);
    panel->SetTextRect(rect);
    panel->DrawText(kNoticeFirstLine);
    rect.moveTop(rect.top() + h);
    panel->SetTextRect(rect);
    panel->DrawText(kNoticeSecondLine);
}

void frmDSFViewer::MarkPanelChanged(int Index)
{
    PanelNotCurrent[Index] = true;
    msbRefreshNotice(static_cast<qint16>(Index));
}

void frmDSFViewer::cbxViewName_Click(int Index)
{
    MarkPanelChanged(Index);
}

void frmDSFViewer::cbxSkyConditions_Click(int Index)
{
    MarkPanelChanged(Index);
}

void frmDSFViewer::optElectricOn_Click(int Index)
{
    MarkPanelChanged(Index);
}

void frmDSFViewer::optElectricOff_Click(int Index)
{
    MarkPanelChanged(Index);
}

void frmDSFViewer::optRGB_Click(int Index)
{
    MarkPanelChanged(Index);
}

void frmDSFViewer::optPseudo_Click(int Index)
{
    MarkPanelChanged(Index);
}

} // namespace viewer
