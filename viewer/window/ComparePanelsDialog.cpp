#include "viewer/window/ComparePanelsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

QComboBox* PanelList(const QString& name, int panel, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (int i = 0; i < kPanelCount; ++i)
        list->addItem(QString::number(i + 1), i);
    list->setCurrentIndex(std::clamp(panel, 0, kPanelCount - 1));
    return list;
}

} // namespace

ComparePanelsDialog::ComparePanelsDialog(const CompareChoice& choice, QWidget* parent)
    : QDialog(parent), opened_(choice)
{
    setObjectName(QStringLiteral("frmComparePanels"));
    setWindowTitle(QStringLiteral("Compare Panels"));
    auto* layout = new QVBoxLayout(this);

    auto* panels = new QFormLayout;
    cbxPanelA_ = PanelList(QStringLiteral("cbxPanelA"), choice.A, this);
    cbxPanelB_ = PanelList(QStringLiteral("cbxPanelB"), choice.B, this);
    panels->addRow(QStringLiteral("Panel &A (left of the wipe line)"), cbxPanelA_);
    panels->addRow(QStringLiteral("Panel &B (right of the wipe line)"), cbxPanelB_);
    layout->addLayout(panels);

    auto* difference = new QGroupBox(QStringLiteral("Difference"), this);
    auto* differenceLayout = new QFormLayout(difference);
    optAbsolute_ = new QRadioButton(QStringLiteral("Absolute difference of each colour"), difference);
    optAbsolute_->setObjectName(QStringLiteral("optAbsolute"));
    optSigned_ = new QRadioButton(QStringLiteral("Signed luminance difference in colours"), difference);
    optSigned_->setObjectName(QStringLiteral("optSigned"));
    (choice.Kind == imaging::DifferenceKind::SignedLuminance ? optSigned_ : optAbsolute_)->setChecked(true);
    differenceLayout->addRow(optAbsolute_);
    differenceLayout->addRow(optSigned_);
    cbxGain_ = new QComboBox(difference);
    cbxGain_->setObjectName(QStringLiteral("cbxGain"));
    for (double gain = imaging::kMinDifferenceGain; gain <= imaging::kMaxDifferenceGain; gain *= 2) {
        cbxGain_->addItem(QStringLiteral("\u00D7") + QString::number(gain), gain);
        if (std::abs(gain - choice.Gain) < 1e-9)
            cbxGain_->setCurrentIndex(cbxGain_->count() - 1);
    }
    differenceLayout->addRow(QStringLiteral("&Gain"), cbxGain_);
    layout->addWidget(difference);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cbxPanelA_, &QComboBox::currentIndexChanged, this, &ComparePanelsDialog::UpdateOk);
    connect(cbxPanelB_, &QComboBox::currentIndexChanged, this, &ComparePanelsDialog::UpdateOk);
    UpdateOk();
}

CompareChoice ComparePanelsDialog::Choice() const
{
    CompareChoice choice = opened_;
    choice.A = cbxPanelA_->currentData().toInt();
    choice.B = cbxPanelB_->currentData().toInt();
    choice.Kind = optSigned_->isChecked() ? imaging::DifferenceKind::SignedLuminance
                                          : imaging::DifferenceKind::Absolute;
    choice.Gain = cbxGain_->currentData().toDouble();
    return choice;
}

void ComparePanelsDialog::UpdateOk()
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(cbxPanelA_->currentIndex() != cbxPanelB_->currentIndex());
}

} // namespace viewer
