#include "viewer/export/FrameRangeBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace exporting {

FrameRangeBox::FrameRangeBox(QWidget* parent) : QGroupBox(tr("Frames"), parent)
{
    setObjectName(QStringLiteral("fraFrames"));
    optAllFrames_ = new QRadioButton(tr("&All frames"), this);
    optAllFrames_->setObjectName(QStringLiteral("optAllFrames"));
    optDate_ = new QRadioButton(tr("One &date:"), this);
    optDate_->setObjectName(QStringLiteral("optDate"));
    optSpan_ = new QRadioButton(tr("F&rom frame"), this);
    optSpan_->setObjectName(QStringLiteral("optSpan"));
    cbxDate_ = new QComboBox(this);
    cbxDate_->setObjectName(QStringLiteral("cbxDate"));
    spnFrom_ = new QSpinBox(this);
    spnFrom_->setObjectName(QStringLiteral("spnFrom"));
    spnTo_ = new QSpinBox(this);
    spnTo_->setObjectName(QStringLiteral("spnTo"));
    optAllFrames_->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(optAllFrames_, 0, 0, 1, 4);
    grid->addWidget(optDate_, 1, 0);
    grid->addWidget(cbxDate_, 1, 1, 1, 3);
    grid->addWidget(optSpan_, 2, 0);
    grid->addWidget(spnFrom_, 2, 1);
    grid->addWidget(new QLabel(tr("to"), this), 2, 2);
    grid->addWidget(spnTo_, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // Touching a choice's own controls chooses it.
    connect(cbxDate_, &QComboBox::activated, this, [this] { optDate_->setChecked(true); });
    connect(spnFrom_, &QSpinBox::valueChanged, this, [this](int from) {
        if (spnTo_->value() < from)
            spnTo_->setValue(from);
    });
    connect(spnTo_, &QSpinBox::valueChanged, this, [this](int to) {
        if (spnFrom_->value() > to)
            spnFrom_->setValue(to);
    });
    connect(spnFrom_, &QSpinBox::editingFinished, this, [this] { optSpan_->setChecked(true); });
    connect(spnTo_, &QSpinBox::editingFinished, this, [this] { optSpan_->setChecked(true); });
}

void FrameRangeBox::SetFrames(int frameCount, const QStringList& dates, const QString& currentDate, int currentFrame)
{
    const int last = std::max(1, frameCount);
    optAllFrames_->setText(tr("&All frames (1 to %1)").arg(last));
    cbxDate_->clear();
    cbxDate_->addItems(dates);
    cbxDate_->setCurrentIndex(std::max(0, static_cast<int>(dates.indexOf(currentDate))));
    optDate_->setEnabled(!dates.isEmpty());
    cbxDate_->setEnabled(!dates.isEmpty());
    spnFrom_->setRange(1, last);
    spnTo_->setRange(1, last);
    spnFrom_->setValue(std::clamp(currentFrame, 1, last));
    spnTo_->setValue(last);
}

FrameRange FrameRangeBox::Range() const
{
    FrameRange range;
    if (optDate_->isChecked()) {
        range.RangeKind = FrameRange::Kind::Date;
        range.Date = cbxDate_->currentText();
    } else if (optSpan_->isChecked()) {
        range.RangeKind = FrameRange::Kind::Span;
        range.First = spnFrom_->value();
        range.Last = spnTo_->value();
    }
    return range;
}

} // namespace exporting
