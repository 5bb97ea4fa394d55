// Loading the window, its first activation, the close guard, and the road from
// a chosen DVF or DVP to a study on display.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/cabreader/CABFile.h"
#include "viewer/cabreader/ExtractPackage.h"
#include "viewer/export/ExportController.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/FramePlayer.h"
#include "viewer/window/NumberText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

#include <chrono>

namespace viewer {

namespace {

const QString kClosingSentence = QStringLiteral(
    ". Please rerun this study or select another existing Daylight Study File. "
    "Please contact Tessaly for more information.");
const QString kPackageTitle = QStringLiteral("Open Daylight Study Package File");

// Lets pending paints and timers run without taking the user's clicks or keys,
// which would run commands in the middle of a load.
void LetPaintsRun()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

qint64 MonotonicMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void frmDSFViewer::Form_Load()
{
    Activated = false;
    raise();
    module_.Study.ResetViews();
    sstViews_->setCurrentIndex(0);
}

void frmDSFViewer::Form_Activate()
{
    // A study opened before the first activation (from the command line, say)
    // is not replaced by the remembered one.
    if (Activated)
        return;
    Activated = true;
    OpenStartupStudy();
}

bool frmDSFViewer::Form_QueryUnload()
{
    // The export's own thread reads the study's files; closing would cut it short.
    if (export_->Busy()) {
        ui_.Message(QLatin1String(exporting::kMsgExportBusy), QStringLiteral("HALVEX Daystrand"),
                    ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, true);
        return false;
    }
    if (player_->Running()) {
        ui_.Message(QStringLiteral("Can not exit during study playback. Please stop playback and try again."),
                    QStringLiteral("HALVEX Daystrand"), ui::MessageButtons::Ok, ui::MessageIcon::Exclamation,
                    true);
        return false;
    }
    module_.StopRequested = true;
    for (int i = 0; i < kPanelCount; ++i)
        EmptyPanel(i);
    frames_->Clear(); // no decode outlives the window's frames
    return true;
}

void frmDSFViewer::OpenStudy()
{
    QString Filename;
    QString Ext;
    msbOpenFile(Filename, Ext);
    LetPaintsRun();
    // Cancelled: the study on display stays, and stays the one Package Study packs.
    if (Filename.isEmpty())
        return;
    OpenStudyFile(Filename);
}

void frmDSFViewer::OpenStudyFile(const QString& chosen)
{
    // The study's images are looked for beside it, so its folder must be whole.
    QString Filename = QDir::isRelativePath(chosen) ? QFileInfo(chosen).absoluteFilePath() : chosen;
    QString name = Filename;
    QString folder;
    QString extension;
    study::SplitFilePath(name, folder, extension);
    const QString Ext = extension.toUpper();
    if (!folder.isEmpty())
        module_.CurrentFolder = folder;
    player_->Halt();

    if (Ext == QLatin1String(".DVP")) {
        const QString packageFolder = folder.left(folder.size() - 1);

        qint16 count = 0;
        QString found;
        cabreader::PackageReport report;
        try {
            ui::CursorGuard hourglass(ui_, ui::CursorShape::Hourglass);
            cabreader::ExtractPackage(module_, Filename, packageFolder, count, found, &report);
        } catch (const cabreader::CabFileError& error) {
            // A package that cannot be read at all is told to the user, not left
            // to end the program.
            ui_.Message(QStringLiteral("The selected Daylight Study Package File (DVP) could not be read (") +
                            QDir::toNativeSeparators(Filename) + QStringLiteral("): ") + error.Description() +
                            QStringLiteral(" Please select another file and try again."),
                        kPackageTitle, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, true);
            return;
        }

        if (!report.RefusedEntries.isEmpty() || report.ExtractError != 0) {
            QString text = QStringLiteral("Not every file of the selected Daylight Study Package File (DVP) "
                                          "could be unpacked into ") +
                           QDir::toNativeSeparators(packageFolder) + QStringLiteral(":");
            for (const cabreader::CabRefusal& refused : report.RefusedEntries)
                text += QStringLiteral("\n") + refused.Name + QStringLiteral(": ") + refused.Reason;
            if (report.ExtractError != 0)
                text += QStringLiteral("\n") + report.ExtractErrorText;
            ui_.Message(text, kPackageTitle, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, true);
            if (report.NothingWritten)
                return; // that message said how much the package would write
        }

        if (found.isEmpty() || count == 0) {
            ui_.Message(QStringLiteral("The selected Daylight Study Package File (DVP) contains no files or no "
                                       "Daylight Viewer File (DVF). Please select another file and try again."),
                        kPackageTitle, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, true);
            return;
        }
        Filename = study::ResolveStudyFile(packageFolder, found);
    }
    msbLoadAndDisplay(Filename);
    if (studyRead_ && !loadCancelled_)
        emit StudyOpened(chosen);
}

void frmDSFViewer::msbOpenFile(QString& Filename, QString& Ext)
{
    Filename.clear();
    ui::FileDialogRequest request;
    request.startFolder = module_.CurrentFolder;
    request.title = QStringLiteral("Select HALVEX Daylight Study File");
    request.filter = QStringLiteral("Daylight Viewer And Package Files (*.dvf,*.dvp)|*.dvf;*.dvp");
    request.flags = 0x1004; // the file must exist; no read-only box
    request.parent = this;
    const std::optional<QString> chosen = ui_.GetOpenFileName(request);
    if (!chosen)
        return;
    Filename = *chosen;

    QString name = Filename;
    QString folder;
    QString extension;
    study::SplitFilePath(name, folder, extension);
    Ext = extension.toUpper();
    module_.CurrentFolder = folder;
}

void frmDSFViewer::msbLoadAndDisplay(const QString& lstFilename)
{
    Activated = true;
    msbLoadStudyFile(lstFilename);
    module_.LoadedStudyFile = loadCancelled_ ? QString() : lstFilename;
    txtTotalFrames_->setText(SpaceSigned(module_.TotalFrames));
    RestartAtFrameOne();
    PanelNotCurrent.fill(false);
}

void frmDSFViewer::msbLoadStudyFile(const QString& StudyFilename)
{
    // The frames about to be replaced must not go on playing.
    player_->Halt();
    loadCancelled_ = false;
    ShowStatus(QString());
    for (int i = 0; i < kPanelCount; ++i)
        EmptyPanel(i);
    // The frames of the study before are of no more use: all work on them ends.
    frames_->Clear();
    SetTotalFrames(0);
    UpdatesSuspended = true;
    studyRead_ = false;

    QString ErrMsg;
    module_.ReadStudyFile(StudyFilename, ErrMsg);
    if (!ErrMsg.isEmpty()) {
        ui_.Message(QStringLiteral("The following error occurred while attempting to open the current Daylight "
                                   "Study File (") +
                        StudyFilename + QStringLiteral("): ") + ErrMsg + kClosingSentence,
                    QStringLiteral("Daystrand"), ui::MessageButtons::Ok, ui::MessageIcon::Information, false);
        return;
    }

    studyRead_ = true;
    msbSetStudySettings();
    UpdatesSuspended = false;

    labLoadStatus_->clear();
    fraLoad_->adjustSize();
    fraLoad_->show();
    fraLoad_->raise();
    LetPaintsRun();
    SetLoadProgress(0);
    // Every panel of this load finds its images in one look at the folder.
    study::StudyFolderIndex files(module_.CurrentFolder);
    loadFiles_ = &files;
    for (qint16 i = 0; i < kPanelCount && !loadCancelled_; ++i) {
        if (FindView(module_.Study, cbxViewName_[i]->currentText()) > 0) {
            msbLoadImageFiles(i, ErrMsg);
            if (!ErrMsg.isEmpty()) {
                ui_.Message(QStringLiteral("The following error occurred while attempting to load the images in the "
                                           "current Daylight Study File (") +
                                StudyFilename + QStringLiteral("): ") + ErrMsg + kClosingSentence,
                            QStringLiteral("Daystrand"), ui::MessageButtons::Ok, ui::MessageIcon::Information,
                            false);
                break;
            }
        }
        if (!loadCancelled_)
            SetLoadProgress((i + 1) * 25);
    }
    loadFiles_ = nullptr;
    fraLoad_->hide();
    if (loadCancelled_)
        ShowNoStudy();
    else
        ReportMissingImages();
    msbResizeViews();
}

void frmDSFViewer::ShowNoStudy()
{
    for (int i = 0; i < kPanelCount; ++i) {
        EmptyPanel(i);
        chkDisplay_[i]->setChecked(false);
        cbxViewName_[i]->clear();
        cbxViewName_[i]->addItem(QStringLiteral("<Select View>"));
        cbxSkyConditions_[i]->clear();
    }
    // As after a study that could not be read: panel commands wait for the next study.
    UpdatesSuspended = true;
    module_.Study.Clear();
    SetTotalFrames(0);
    setWindowTitle(QLatin1String(kDesignCaption));
    StudyDates = QStringList{QString()};
    cbxDate_->clear();
    for (QLineEdit* box : {txtTime_, txtSiteLatitude_, txtSiteLongitude_, txtSiteCompass_})
        box->clear();
    rtfSiteName_->clear();
    ShowStatus(QStringLiteral("Loading was cancelled; no study is on display."));
}

void frmDSFViewer::ShowStatus(const QString& text)
{
    labStatus_->setText(text);
    const bool show = !text.isEmpty();
    if (statusBar()->isHidden() == show) {
        statusBar()->setVisible(show);
        layout()->activate();
        // The panels give the line its room.
        if (loading_ == 0)
            msbResizeViews();
    }
}

double frmDSFViewer::LoadProgressValue() const
{
    return loadProgress_;
}

void frmDSFViewer::SetLoadProgress(double value)
{
    loadProgress_ = value;
    pgbLoad_->setValue(static_cast<int>(value * 100 + 0.5));
    if (pgbLoad_->isVisible())
        pgbLoad_->repaint();
    progressShownAt_ = MonotonicMilliseconds();
    emit LoadProgressChanged(value);
}

void frmDSFViewer::StepLoadProgress(double value)
{
    // Thousands of headers a second: painting the bar and turning the event
    // loop for each would cost more than reading them.
    constexpr qint64 kRepaintMilliseconds = 40;
    if (MonotonicMilliseconds() - progressShownAt_ < kRepaintMilliseconds) {
        loadProgress_ = value;
        emit LoadProgressChanged(value);
        return;
    }
    SetLoadProgress(value);
    PumpDuringLoad();
}

bool frmDSFViewer::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(event);
}

void frmDSFViewer::showEvent(QShowEvent* event)
{
    EnsureLoaded();
    QMainWindow::showEvent(event);
}

void frmDSFViewer::closeEvent(QCloseEvent* event)
{
    // A close asked for while a panel decodes would empty the list being
    // filled; the hourglass is showing, and the user can close once it is gone.
    if (loading_ > 0) {
        event->ignore();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    player_->Halt();
    RememberWindow();
    QMainWindow::closeEvent(event);
}

void frmDSFViewer::EnsureLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

} // namespace viewer
