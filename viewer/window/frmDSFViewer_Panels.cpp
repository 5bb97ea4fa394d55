// The four view panels: filling their settings from a study, choosing each
// panel's images and listing them as frame sources, and the notice over a panel
// whose settings changed since it was loaded.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameLoader.h"
#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/FramePlayer.h"
#include "viewer/window/LoadInputGate.h"
#include "viewer/window/MissingImageTile.h"
#include "viewer/window/NumberText.h"
#include "viewer/window/PanelCaption.h"
#include "viewer/window/SkyConditions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QSet>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <new>
#include <optional>
#include <vector>

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
            window_.player_->SetHeld(true);
            window_.loadGate_ = std::make_unique<LoadInputGate>(window_, *window_.cmdCancelLoad_,
                                                                [w = &window_] { w->CancelLoad(); });
        }
    }
    ~LoadingScope()
    {
        if (--window_.loading_ > 0)
            return;
        window_.loadGate_.reset();
        window_.player_->SetHeld(false);
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
    try {
        EmptyPanel(Index);
        const int view = FindView(module_.Study, cbxViewName_[Index]->currentText());
        if (view == 0)
            return;

        ui::CursorGuard hourglass(ui_, ui::CursorShape::Hourglass);
        LoadingScope loading(*this);
        try {
            const study::StudyView& samples = module_.Study.Views[view];
            // A load of the whole study shares one look at the folder between
            // its panels; a single panel's load looks afresh.
            std::optional<study::StudyFolderIndex> ownFiles;
            study::StudyFolderIndex* files = loadFiles_;
            if (!files)
                files = &ownFiles.emplace(module_.CurrentFolder);
            const PanelChoice choice = PanelChoiceOf(Index);
            PanelFrames frames = SelectPanelFrames(
                samples, choice, *files, [this, Index](qsizetype done, qsizetype total) {
                    labLoadStatus_->setText(QStringLiteral("Panel %1: checking image files, %2 of %3")
                                                .arg(Index + 1)
                                                .arg(QLocale().toString(done), QLocale().toString(total)));
                    PumpDuringLoad();
                    return !cancelRequested_;
                });
            ThrowIfCancelled();
            labLoadStatus_->setText(QStringLiteral("Panel %1: reading images").arg(Index + 1));
            FillPanel(Index, frames, samples.SampleCount(), ErrMsg);
            if (!ErrMsg.isEmpty())
                return;
            if (frames.Overflow) {
                // The frame counter is 16-bit: a panel holds at most 32767 frames.
                ErrMsg = QStringLiteral("Overflow");
                return;
            }
            frames.View = view;
            panelFrames_[Index] = std::move(frames);
            LEADV_[Index]->SetShownPosition(0);
            SetTotalFrames(static_cast<qint32>(panelFrames_[Index].Positions.size()));
            // A panel not placed yet waits for the layout that ends the load,
            // rather than showing in the window's corner.
            if (chkDisplay_[Index]->checkState() == Qt::Checked && placed_[Index])
                LEADV_[Index]->show();
        } catch (const LoadCancelled&) {
            // Cleanly empty rather than half filled.
            EmptyPanel(Index);
            loadCancelled_ = true;
        }
    } catch (const imaging::ImagingError& error) {
        ErrMsg = error.Text();
    } catch (const std::bad_alloc&) {
        ErrMsg = QStringLiteral("Out of memory");
    }
}

void frmDSFViewer::FillPanel(int Index, const PanelFrames& frames, qsizetype sampleCount, QString& ErrMsg)
{
    QStringList paths;
    for (const FramePosition& position : frames.Positions) {
        if (!position.Missing())
            paths.append(position.Path);
    }
    // Only headers are read here: a file that is no image still fails the
    // load, and frames are decoded when they are shown or read ahead.
    std::vector<imaging::FrameSource> headers;
    headers.reserve(paths.size());
    const bool progress = !pgbLoad_->isHidden();
    const imaging::FrameLoader loader(options_.DecodeWorkers);
    const imaging::FrameLoadOutcome outcome = loader.LoadSources(
        paths,
        [&](int, const imaging::FrameSource& source) {
            ThrowIfCancelled();
            headers.push_back(source);
            if (progress)
                StepLoadProgress(LoadProgress(Index, static_cast<qsizetype>(headers.size()), sampleCount));
        },
        [this] {
            PumpDuringLoad();
            ThrowIfCancelled();
        });

    // A missing file's tile takes the place its frame would take.
    const QSize tileSize = headers.empty() ? DefaultTileSize() : headers.front().size;
    std::vector<imaging::FrameSource> sources;
    sources.reserve(frames.Positions.size());
    std::size_t present = 0;
    for (const FramePosition& position : frames.Positions) {
        if (position.Missing()) {
            imaging::FrameSource missing = imaging::FrameSource::Missing(position.Name);
            missing.size = tileSize;
            sources.push_back(std::move(missing));
            continue;
        }
        // A failed load keeps the frames before the image that failed.
        if (present == headers.size())
            break;
        sources.push_back(std::move(headers[present++]));
    }
    LEADV_[Index]->SetDisplayMode(imaging::kFitMode);
    LEADV_[Index]->SetSources(std::move(sources));
    if (!outcome.ok())
        ErrMsg = outcome.error;
}

void frmDSFViewer::EmptyPanel(int Index)
{
    imaging::ImagingControl* panel = LEADV_[Index];
    panel->DeleteImages(0, panel->ImageCount());
    panel->hide();
    panelFrames_[Index] = PanelFrames{};
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
    // A panel the layout never placed has no place to show its notice in.
    if (!placed_[Index])
        return;
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

void frmDSFViewer::ReportMissingImages()
{
    // Per view, the names missing in any panel that shows it.
    QMap<QString, QSet<QString>> missing;
    QStringList order;
    for (int i = 0; i < kPanelCount; ++i) {
        if (panelFrames_[i].View == 0)
            continue;
        const QString& view = module_.Study.Views[panelFrames_[i].View].ViewName;
        for (const FramePosition& position : panelFrames_[i].Positions) {
            if (!position.Missing())
                continue;
            if (!missing.contains(view))
                order.append(view);
            missing[view].insert(position.Name.isEmpty() ? QStringLiteral("#%1").arg(position.Sample)
                                                         : position.Name);
        }
    }
    if (missing.isEmpty()) {
        ShowStatus(QString());
        return;
    }
    int total = 0;
    QStringList views;
    for (const QString& view : order) {
        const int count = static_cast<int>(missing[view].size());
        total += count;
        views.append(QStringLiteral("%1 (%2)").arg(view).arg(count));
    }
    ShowStatus(QStringLiteral("%1 %2 missing, in %3: %4. Their frames show an \u201C%5\u201D tile.")
                   .arg(total)
                   .arg(total == 1 ? QStringLiteral("image is") : QStringLiteral("images are"))
                   .arg(order.size() == 1 ? QStringLiteral("view") : QStringLiteral("views"))
                   .arg(views.join(QStringLiteral(", ")), QLatin1String(kImageMissing)));
}

void frmDSFViewer::UpdateCaption(int Index)
{
    PanelCaption* caption = captions_[Index];
    const int frame = module_.CurrentFrame - 1;
    const QList<FramePosition>& positions = panelFrames_[Index].Positions;
    if (!captionsShown_ || panelFrames_[Index].View == 0 || frame < 0 || frame >= positions.size()) {
        caption->hide();
        return;
    }
    const study::StudyRecord& study = module_.Study;
    const study::StudyView& view = study.Views[panelFrames_[Index].View];
    const int sample = positions[frame].Sample;
    const study::StudySample* displayed =
        study.ViewCount() >= 1 && module_.CurrentFrame <= study.Views[1].SampleCount()
            ? &study.Views[1].Samples[module_.CurrentFrame]
            : nullptr;
    caption->SetCaption(PanelCaptionText(study, panelFrames_[Index].View, view.Samples[sample], displayed,
                                         panelFrames_[Index].Choice.ColorCode));
    caption->Place(LEADV_[Index]->ImageRect());
    caption->show();
}

void frmDSFViewer::ToggleCaptions()
{
    captionsShown_ = !captionsShown_;
    preferences_->SetShowCaptions(captionsShown_);
    if (auto* item = findChild<QAction*>(QStringLiteral("ID_PanelCaptions")))
        item->setChecked(captionsShown_);
    for (int i = 0; i < kPanelCount; ++i)
        UpdateCaption(i);
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
