#include "viewer/export/frmExportAnimation.h"

#include "viewer/export/ExportDialogParts.h"
#include "viewer/export/FrameRangeBox.h"
#include "viewer/settings/HelpTopics.h"

#include "platform/ui/UiServices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace exporting {

namespace {

struct FormatOffer {
    AnimationFormat format;
    const char* text;
    const char* filter;
};

constexpr FormatOffer kFormats[] = {
    {AnimationFormat::Mp4, "MP4 video (H.264)", "MP4 video (*.mp4)|*.mp4"},
    {AnimationFormat::WebP, "Animated WebP", "Animated WebP (*.webp)|*.webp"},
    {AnimationFormat::Gif, "Animated GIF", "Animated GIF (*.gif)|*.gif"},
};

} // namespace

frmExportAnimation::frmExportAnimation(const ExportContext& context, const ExportScene& scene, ui::UiServices& ui,
                                       QWidget* parent)
    : QDialog(parent), context_(context), scene_(scene), ui_(ui)
{
    setObjectName(QStringLiteral("frmExportAnimation"));
    setWindowTitle(tr(kTitleExportAnimation));

    fraFrames_ = new FrameRangeBox(this);
    fraFrames_->SetFrames(scene.FrameCount(), StudyDates(context.Study), FrameDate(context.Study, context.CurrentFrame),
                          context.CurrentFrame);

    auto* output = new QGroupBox(tr("Animation"), this);
    cbxFormat_ = new QComboBox(output);
    cbxFormat_->setObjectName(QStringLiteral("cbxFormat"));
    for (const FormatOffer& offer : kFormats)
        cbxFormat_->addItem(tr(offer.text), static_cast<int>(offer.format));
    optRateFromDelay_ = new QRadioButton(
        tr("From the playback delay (%1 per second)").arg(RateFromDelay(context.DelaySeconds).PerSecond(), 0, 'g', 4),
        output);
    optRateFromDelay_->setObjectName(QStringLiteral("optRateFromDelay"));
    optRateFromDelay_->setChecked(true);
    optRateChosen_ = new QRadioButton(tr("Frames a second:"), output);
    optRateChosen_->setObjectName(QStringLiteral("optRateChosen"));
    spnRate_ = new QDoubleSpinBox(output);
    spnRate_->setObjectName(QStringLiteral("spnRate"));
    spnRate_->setRange(0.1, 60);
    spnRate_->setDecimals(2);
    spnRate_->setValue(RateFromDelay(context.DelaySeconds).PerSecond());
    connect(spnRate_, &QDoubleSpinBox::valueChanged, this, [this] { optRateChosen_->setChecked(true); });
    cbxSize_ = new QComboBox(output);
    cbxSize_->setObjectName(QStringLiteral("cbxSize"));

    auto* rate = new QWidget(output);
    auto* rateLayout = new QFormLayout(rate);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    rateLayout->addRow(optRateFromDelay_);
    rateLayout->addRow(optRateChosen_, spnRate_);
    auto* form = new QFormLayout(output);
    form->addRow(tr("&Kind:"), cbxFormat_);
    form->addRow(tr("Frame rate:"), rate);
    form->addRow(tr("&Size:"), cbxSize_);

    const OutputRow file = MakeOutputRow(this);
    txtFile_ = file.txtFile;
    const QFileInfo study(context.StudyFile);
    txtFile_->setText(QDir::toNativeSeparators(study.absolutePath() + QLatin1Char('/') + study.completeBaseName() +
                                               QStringLiteral(".mp4")));
    connect(file.cmdBrowse, &QPushButton::clicked, this, &frmExportAnimation::cmdBrowse_Click);

    QDialogButtonBox* buttons = MakeOkCancel(this, context.HelpFile, settings::kTopicExportAnimation);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmExportAnimation::cmdOk_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraFrames_);
    layout->addWidget(output);
    layout->addWidget(file.row);
    layout->addWidget(buttons);

    connect(cbxFormat_, &QComboBox::currentIndexChanged, this, &frmExportAnimation::FormatChanged);
    FormatChanged();
}

AnimationFormat frmExportAnimation::Format() const
{
    return static_cast<AnimationFormat>(cbxFormat_->currentData().toInt());
}

void frmExportAnimation::FormatChanged()
{
    FillSizes(cbxSize_, scene_.Layout.Size, Format() == AnimationFormat::Mp4);
    txtFile_->setText(QDir::toNativeSeparators(WithSuffix(txtFile_->text(), QLatin1String(FormatSuffix(Format())))));
}

void frmExportAnimation::cmdBrowse_Click()
{
    ui::FileDialogRequest request;
    request.title = tr(kTitleExportAnimation);
    request.startFolder = QFileInfo(txtFile_->text()).absolutePath();
    request.fileName = QFileInfo(txtFile_->text()).fileName();
    request.filter = QLatin1String(kFormats[cbxFormat_->currentIndex()].filter);
    request.defaultExt = QLatin1String(FormatSuffix(Format()));
    request.parent = this;
    // The replace question comes on Ok, once, whichever way the name was given.
    if (const std::optional<QString> chosen = ui_.GetSaveFileName(request))
        txtFile_->setText(QDir::toNativeSeparators(*chosen));
}

void frmExportAnimation::cmdOk_Click()
{
    const QString title = tr(kTitleExportAnimation);
    const RangeSelection frames = SelectFrames(fraFrames_->Range(), context_.Study, scene_.FrameCount());
    if (!frames.Error.isEmpty()) {
        ui_.ShowMessage({frames.Error, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, false, this});
        return;
    }
    const QString path = WithSuffix(QDir::fromNativeSeparators(txtFile_->text().trimmed()),
                                    QLatin1String(FormatSuffix(Format())));
    if (!CheckOutputFile(ui_, path, title, this) || !ConfirmReplace(ui_, path, title, this))
        return;
    choices_.Frames = frames.Frames;
    choices_.Format = Format();
    choices_.Rate = optRateChosen_->isChecked() ? RateFromPerSecond(spnRate_->value())
                                                : RateFromDelay(context_.DelaySeconds);
    choices_.Scale = ChosenScale(cbxSize_);
    choices_.Path = path;
    accept();
}

} // namespace exporting
