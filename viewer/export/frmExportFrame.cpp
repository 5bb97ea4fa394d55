#include "viewer/export/frmExportFrame.h"

#include "viewer/export/ExportDialogParts.h"
#include "viewer/export/StillExport.h"
#include "viewer/settings/HelpTopics.h"

#include "platform/ui/UiServices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace exporting {

frmExportFrame::frmExportFrame(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                               QWidget* parent)
    : QDialog(parent), context_(context), scene_(scene), ui_(ui)
{
    setObjectName(QStringLiteral("frmExportFrame"));
    setWindowTitle(tr(kTitleExportFrame));

    auto* kind = new QGroupBox(tr("Frame %1: %2 %3").arg(context.CurrentFrame)
                                   .arg(FrameDate(context.Study, context.CurrentFrame),
                                        FrameTime(context.Study, context.CurrentFrame)),
                               this);
    optPicture_ = new QRadioButton(tr("A &picture of the panels as shown (PNG or JPEG)"), kind);
    optPicture_->setObjectName(QStringLiteral("optPicture"));
    optPicture_->setChecked(true);
    cbxSize_ = new QComboBox(kind);
    cbxSize_->setObjectName(QStringLiteral("cbxSize"));
    FillSizes(cbxSize_, scene.Layout.Size, false);
    optPanelFiles_ = new QRadioButton(tr("Each panel's &own image at its full resolution, into a folder"), kind);
    optPanelFiles_->setObjectName(QStringLiteral("optPanelFiles"));
    auto* form = new QFormLayout(kind);
    form->addRow(optPicture_);
    form->addRow(tr("&Size:"), cbxSize_);
    form->addRow(optPanelFiles_);

    const QFileInfo study(context.StudyFile);
    picturePath_ = QDir::toNativeSeparators(study.absolutePath() + QLatin1Char('/') + study.completeBaseName() +
                                            QStringLiteral(" frame %1.png").arg(context.CurrentFrame));
    folderPath_ = QDir::toNativeSeparators(study.absolutePath());
    const OutputRow file = MakeOutputRow(this);
    txtFile_ = file.txtFile;
    txtFile_->setText(picturePath_);
    connect(file.cmdBrowse, &QPushButton::clicked, this, &frmExportFrame::cmdBrowse_Click);

    QDialogButtonBox* buttons = MakeOkCancel(this, context.HelpFile, settings::kTopicExportFrame);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmExportFrame::cmdOk_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kind);
    layout->addWidget(file.row);
    layout->addWidget(buttons);
    connect(optPicture_, &QRadioButton::toggled, this, &frmExportFrame::KindChanged);
}

void frmExportFrame::KindChanged()
{
    const bool picture = optPicture_->isChecked();
    cbxSize_->setEnabled(picture);
    // Each kind keeps what was typed for it.
    (picture ? folderPath_ : picturePath_) = txtFile_->text();
    txtFile_->setText(picture ? picturePath_ : folderPath_);
}

void frmExportFrame::cmdBrowse_Click()
{
    ui::FileDialogRequest request;
    request.title = tr(kTitleExportFrame);
    request.parent = this;
    if (optPanelFiles_->isChecked()) {
        request.startFolder = txtFile_->text();
        if (const std::optional<QString> chosen = ui_.GetExistingFolder(request))
            txtFile_->setText(QDir::toNativeSeparators(*chosen));
        return;
    }
    request.startFolder = QFileInfo(txtFile_->text()).absolutePath();
    request.fileName = QFileInfo(txtFile_->text()).fileName();
    request.filter = QStringLiteral("PNG image (*.png)|*.png|JPEG image (*.jpg)|*.jpg;*.jpeg");
    request.defaultExt = QStringLiteral("png");
    if (const std::optional<QString> chosen = ui_.GetSaveFileName(request))
        txtFile_->setText(QDir::toNativeSeparators(*chosen));
}

void frmExportFrame::cmdOk_Click()
{
    const QString title = tr(kTitleExportFrame);
    const QString path = QDir::fromNativeSeparators(txtFile_->text().trimmed());
    const auto ask = [&](const QString& text, ui::MessageButtons buttons) {
        return ui_.ShowMessage({text, title, buttons, ui::MessageIcon::Exclamation, false, this});
    };
    if (optPanelFiles_->isChecked()) {
        if (path.isEmpty() || !QFileInfo(path).isDir()) {
            ask(tr(kMsgNoFolder).arg(QDir::toNativeSeparators(path)), ui::MessageButtons::Ok);
            return;
        }
        int existing = 0;
        for (const QString& name : PanelImageNames(scene_, {context_.CurrentFrame}))
            existing += QFileInfo::exists(QDir(path).filePath(name));
        if (existing > 0 && ask(tr(kMsgReplaceFiles).arg(existing).arg(QDir::toNativeSeparators(path)),
                                ui::MessageButtons::YesNo) != ui::MessageAnswer::Yes)
            return;
    } else {
        const QString suffix = QFileInfo(path).suffix().toLower();
        const QString picture = suffix == u"jpg" || suffix == u"jpeg" || suffix == u"png"
                                    ? path
                                    : WithSuffix(path, QStringLiteral("png"));
        if (!CheckOutputFile(ui_, picture, title, this) || !ConfirmReplace(ui_, picture, title, this))
            return;
        choices_.Path = picture;
    }
    choices_.PanelFiles = optPanelFiles_->isChecked();
    choices_.Scale = ChosenScale(cbxSize_);
    if (choices_.PanelFiles)
        choices_.Path = path;
    accept();
}

} // namespace exporting
