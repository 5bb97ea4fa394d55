#include "viewer/export/frmExportSheet.h"

#include "viewer/export/ExportDialogParts.h"
#include "viewer/export/FrameRangeBox.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/window/SkyConditions.h"

#include "platform/ui/UiServices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace exporting {

frmExportSheet::frmExportSheet(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                               QWidget* parent)
    : QDialog(parent), context_(context), scene_(scene), ui_(ui)
{
    setObjectName(QStringLiteral("frmExportSheet"));
    setWindowTitle(tr(kTitleExportSheet));

    auto* sheet = new QGroupBox(tr("Contact sheet"), this);
    cbxPanel_ = new QComboBox(sheet);
    cbxPanel_->setObjectName(QStringLiteral("cbxPanel"));
    for (std::size_t p = 0; p < context.Panels.size(); ++p) {
        const PanelSettings& s = context.Panels[p].Settings;
        const QString view = s.View >= 1 && s.View <= context.Study.ViewCount() ? context.Study.Views[s.View].ViewName
                                                                                 : QString();
        cbxPanel_->addItem(tr("%1 (%2, lighting %3, %4)")
                               .arg(view, viewer::SkyConditionName(s.Choice.SkyCode), LightingName(s.Choice).toLower(),
                                    ColourName(s.Choice)));
    }
    optPdf_ = new QRadioButton(tr("&PDF pages"), sheet);
    optPdf_->setObjectName(QStringLiteral("optPdf"));
    optPdf_->setChecked(true);
    optPng_ = new QRadioButton(tr("One P&NG image"), sheet);
    optPng_->setObjectName(QStringLiteral("optPng"));
    cbxPaper_ = new QComboBox(sheet);
    cbxPaper_->setObjectName(QStringLiteral("cbxPaper"));
    cbxPaper_->addItem(tr("A4, landscape"), static_cast<int>(PaperSize::A4));
    cbxPaper_->addItem(tr("Letter, landscape"), static_cast<int>(PaperSize::Letter));
    // Letter where the user's locale measures in inches.
    if (QLocale().measurementSystem() == QLocale::ImperialUSSystem)
        cbxPaper_->setCurrentIndex(1);
    auto* kinds = new QWidget(sheet);
    auto* kindsLayout = new QHBoxLayout(kinds);
    kindsLayout->setContentsMargins(0, 0, 0, 0);
    kindsLayout->addWidget(optPdf_);
    kindsLayout->addWidget(cbxPaper_);
    kindsLayout->addSpacing(12);
    kindsLayout->addWidget(optPng_);
    kindsLayout->addStretch(1);
    auto* form = new QFormLayout(sheet);
    form->addRow(tr("P&anel:"), cbxPanel_);
    form->addRow(tr("Kind:"), kinds);

    fraFrames_ = new FrameRangeBox(this);
    fraFrames_->SetFrames(scene.FrameCount(), StudyDates(context.Study), FrameDate(context.Study, context.CurrentFrame),
                          context.CurrentFrame);

    const OutputRow file = MakeOutputRow(this);
    txtFile_ = file.txtFile;
    const QFileInfo study(context.StudyFile);
    txtFile_->setText(QDir::toNativeSeparators(study.absolutePath() + QLatin1Char('/') + study.completeBaseName() +
                                               QStringLiteral(" contact sheet.pdf")));
    connect(file.cmdBrowse, &QPushButton::clicked, this, &frmExportSheet::cmdBrowse_Click);

    QDialogButtonBox* buttons = MakeOkCancel(this, context.HelpFile, settings::kTopicExportSheet);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmExportSheet::cmdOk_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sheet);
    layout->addWidget(fraFrames_);
    layout->addWidget(file.row);
    layout->addWidget(buttons);

    connect(optPdf_, &QRadioButton::toggled, this, &frmExportSheet::KindChanged);
    KindChanged();
}

QString frmExportSheet::Suffix() const
{
    return optPdf_->isChecked() ? QStringLiteral("pdf") : QStringLiteral("png");
}

void frmExportSheet::KindChanged()
{
    cbxPaper_->setEnabled(optPdf_->isChecked());
    txtFile_->setText(QDir::toNativeSeparators(WithSuffix(txtFile_->text(), Suffix())));
}

void frmExportSheet::cmdBrowse_Click()
{
    ui::FileDialogRequest request;
    request.title = tr(kTitleExportSheet);
    request.startFolder = QFileInfo(txtFile_->text()).absolutePath();
    request.fileName = QFileInfo(txtFile_->text()).fileName();
    request.filter = optPdf_->isChecked() ? QStringLiteral("PDF document (*.pdf)|*.pdf")
                                          : QStringLiteral("PNG image (*.png)|*.png");
    request.defaultExt = Suffix();
    request.parent = this;
    if (const std::optional<QString> chosen = ui_.GetSaveFileName(request))
        txtFile_->setText(QDir::toNativeSeparators(*chosen));
}

void frmExportSheet::cmdOk_Click()
{
    const QString title = tr(kTitleExportSheet);
    const int panel = std::max(0, cbxPanel_->currentIndex());
    const int frameCount = panel < static_cast<int>(scene_.Panels.size())
                               ? static_cast<int>(scene_.Panels[panel].Sources.size())
                               : 0;
    const RangeSelection frames = SelectFrames(fraFrames_->Range(), context_.Study, frameCount);
    if (!frames.Error.isEmpty()) {
        ui_.ShowMessage({frames.Error, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, false, this});
        return;
    }
    const QString path = WithSuffix(QDir::fromNativeSeparators(txtFile_->text().trimmed()), Suffix());
    if (!CheckOutputFile(ui_, path, title, this) || !ConfirmReplace(ui_, path, title, this))
        return;
    choices_.Panel = panel;
    choices_.Frames = frames.Frames;
    choices_.Pdf = optPdf_->isChecked();
    choices_.Paper = static_cast<PaperSize>(cbxPaper_->currentData().toInt());
    choices_.Path = path;
    accept();
}

} // namespace exporting
