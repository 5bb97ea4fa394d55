#include "viewer/packaging/frmDSFPackage.h"

#include "platform/ui/UiServices.h"
#include "viewer/packaging/PackageFiles.h"
#include "viewer/packaging/WritePackage.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyModule.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace packaging {

namespace {

QPushButton* Button(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    return button;
}

bool EndsWithSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/'));
}

} // namespace

frmDSFPackage::frmDSFPackage(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent)
    : QDialog(parent), module_(module), ui_(ui), chkHALVEX_(new QCheckBox(QStringLiteral("Include HALVEX Files"))),
      chkRSFFiles_(new QCheckBox(QStringLiteral("Include Radiosity Solution Files (RSF) - Contains Render Image"))),
      txtFilename_(new QLineEdit), pgbPackage_(new QProgressBar)
{
    setObjectName(QStringLiteral("frmDSFPackage"));
    setWindowTitle(QStringLiteral("Package Daylight Study"));

    auto* frame = new QGroupBox(QStringLiteral("Pack Daylight Study Files"));
    frame->setObjectName(QStringLiteral("Frame1"));
    chkHALVEX_->setObjectName(QStringLiteral("chkHALVEX"));
    chkRSFFiles_->setObjectName(QStringLiteral("chkRSFFiles"));
    auto* label = new QLabel(QStringLiteral("Filename"));
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(txtFilename_);
    txtFilename_->setObjectName(QStringLiteral("txtFilename"));
    txtFilename_->setMinimumWidth(360);
    auto* cmdChange = Button("cmdChange", QStringLiteral("Change..."));
    cmdChange->setAutoDefault(false);

    auto* frameLayout = new QGridLayout(frame);
    frameLayout->addWidget(chkHALVEX_, 0, 0, 1, 3);
    frameLayout->addWidget(chkRSFFiles_, 1, 0, 1, 3);
    frameLayout->addWidget(label, 2, 0);
    frameLayout->addWidget(txtFilename_, 2, 1);
    frameLayout->addWidget(cmdChange, 2, 2);
    frameLayout->setColumnStretch(1, 1);

    pgbPackage_->setObjectName(QStringLiteral("pgbPackage"));
    pgbPackage_->setRange(0, 1000);
    pgbPackage_->setTextVisible(false);
    pgbPackage_->hide();

    auto* cmdOk = Button("cmdOk", QStringLiteral("Ok"));
    auto* cmdCancel = Button("cmdCancel", QStringLiteral("Cancel"));
    auto* cmdHelp = Button("cmdHelp", QStringLiteral("Help"));
    cmdOk->setDefault(true);
    cmdCancel->setAutoDefault(false);
    cmdHelp->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(pgbPackage_);
    layout->addLayout(buttons);

    connect(chkHALVEX_, &QCheckBox::toggled, this, &frmDSFPackage::chkHALVEX_Click);
    connect(cmdChange, &QPushButton::clicked, this, &frmDSFPackage::cmdChange_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmDSFPackage::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDSFPackage::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmDSFPackage::cmdHelp_Click);

    // The dialog starts from the study's folder as it is now, every time.
    QString folder = module_.CurrentFolder;
    if (!EndsWithSeparator(folder))
        folder += QDir::separator();
    txtFilename_->setText(folder + module_.Study.StudyName + QStringLiteral(".dvp"));

    const QStringList names = ListNormalFiles(StudyFolderOf(module_.LoadedStudyFile));
    chkHALVEX_->setEnabled(AnyHasEnding(names, kEndingHalvex));
    rsfPresent_ = AnyHasEnding(names, kEndingRsf);
    chkRSFFiles_->setEnabled(false);
}

void frmDSFPackage::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
}

void frmDSFPackage::chkHALVEX_Click()
{
    if (chkHALVEX_->isChecked()) {
        if (rsfPresent_) {
            chkRSFFiles_->setEnabled(true);
            chkRSFFiles_->setChecked(true);
        }
    } else {
        // The check mark stays: a greyed but checked box still packs the RSF files.
        chkRSFFiles_->setEnabled(false);
    }
}

void frmDSFPackage::cmdChange_Click()
{
    ui::FileDialogRequest request;
    request.startFolder = module_.CurrentFolder;
    request.title = QStringLiteral("Save As");
    request.filter = QStringLiteral("Daylight Package Files (*.dvp)|*.dvp");
    request.fileName = module_.Study.StudyName + QStringLiteral(".dvp");
    request.defaultExt = QStringLiteral("dvp");
    request.flags = ui::fileflags::kHideReadOnly | ui::fileflags::kPathMustExist | ui::fileflags::kNoReadOnlyReturn;
    request.parent = this;
    if (const std::optional<QString> chosen = ui_.GetSaveFileName(request))
        txtFilename_->setText(*chosen);
}

void frmDSFPackage::cmdOk_Click()
{
    if (writing_)
        return;
    const QString path = txtFilename_->text();
    const bool existed = study::FileExists(path);
    if (existed) {
        const ui::MessageAnswer answer =
            ui_.ShowMessage({QLatin1String(kMsgOverwrite), QLatin1String(kTitleOverwrite), ui::MessageButtons::YesNo,
                             ui::MessageIcon::Exclamation, true, this});
        if (answer != ui::MessageAnswer::Yes)
            return;
    }
    if (!CanCreateFile(path)) {
        Warn(QLatin1String(kMsgInvalidName), QLatin1String(kTitleCreate));
        return;
    }

    const bool includeHalvex = chkHALVEX_->isChecked();
    const bool includeRsf = chkRSFFiles_->isChecked();
    const QStringList files =
        PackageFileList(StudyFolderOf(module_.LoadedStudyFile), includeHalvex, includeRsf);
    if (files.isEmpty()) {
        Warn(QLatin1String(kMsgNothingToPack), QLatin1String(kTitleCreate));
        return;
    }

    QString errMsg;
    {
        ui::CursorGuard busy(ui_, ui::CursorShape::Hourglass);
        PackageProgress progress;
        if (TotalFileBytes(files) >= kProgressThresholdBytes) {
            pgbPackage_->show();
            pgbPackage_->setValue(0);
            progress = [this](quint64 done, quint64 total) { ShowProgress(done, total); };
        }
        writing_ = true;
        WritePackage(path, files, errMsg, progress);
        writing_ = false;
        pgbPackage_->hide();
    }

    if (!errMsg.isEmpty()) {
        QString text = QLatin1String(kMsgWriteFailed) + QStringLiteral("\n\n") + errMsg;
        if (existed && QFileInfo(path).isFile())
            text += QStringLiteral("\n\n") + QLatin1String(kMsgOldPackageKept);
        Warn(text, QLatin1String(kTitleCreate));
        return;
    }
    accept();
}

void frmDSFPackage::cmdCancel_Click()
{
    reject();
}

void frmDSFPackage::cmdHelp_Click()
{
    settings::ShowHelpTopic(module_.HelpFile, settings::kTopicPackage);
}

void frmDSFPackage::closeEvent(QCloseEvent* event)
{
    // The window keeps painting while a package is written; it must not go away under the writer.
    if (writing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmDSFPackage::reject()
{
    if (!writing_)
        QDialog::reject();
}

void frmDSFPackage::ShowProgress(quint64 done, quint64 total)
{
    const int value = total == 0 ? 0 : int(double(done) * 1000.0 / double(total));
    if (value == pgbPackage_->value())
        return;
    pgbPackage_->setValue(value);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmDSFPackage::Warn(const QString& text, const QString& title)
{
    ui_.ShowMessage({text, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, true, this});
}

void msbPackageFile(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent)
{
    // After a cancelled Open the study stays on screen without a file behind
    // it; its folder would then be the program's working folder, which is no
    // study's folder to pack.
    if (module.Study.StudyName.isEmpty() || module.LoadedStudyFile.isEmpty()) {
        ui.ShowMessage({QLatin1String(kMsgNoStudy), QLatin1String(kTitleNoStudy), ui::MessageButtons::Ok,
                        ui::MessageIcon::Exclamation, true, parent});
        return;
    }
    frmDSFPackage dialog(module, ui, parent);
    ui.ShowModal(dialog);
}

} // namespace packaging
