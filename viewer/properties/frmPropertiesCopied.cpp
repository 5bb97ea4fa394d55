#include "viewer/properties/frmPropertiesCopied.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace properties {

frmPropertiesCopied::frmPropertiesCopied(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      labCopied_(new QLabel(QStringLiteral("Image Copied To Clipboard"))),
      tmrCopied_(new QTimer(this))
{
    setObjectName(QStringLiteral("frmPropertiesCopied"));
    setWindowTitle(QStringLiteral("Daylight Study Properties"));

    // Without a title bar the notice needs its own edge to stand out.
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(2);
    labCopied_->setObjectName(QStringLiteral("labCopied"));
    labCopied_->setAlignment(Qt::AlignCenter);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(28, 18, 28, 18);
    panelLayout->addWidget(labCopied_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);

    tmrCopied_->setObjectName(QStringLiteral("tmrCopied"));
    tmrCopied_->setInterval(kNoticeMilliseconds);
    tmrCopied_->setSingleShot(true);
    connect(tmrCopied_, &QTimer::timeout, this, &frmPropertiesCopied::tmrCopied_Timer);
}

void frmPropertiesCopied::SetMessage(const QString& text)
{
    labCopied_->setText(text);
}

void frmPropertiesCopied::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The two seconds count from the moment the user can see the notice.
    tmrCopied_->start();
}

void frmPropertiesCopied::tmrCopied_Timer()
{
    tmrCopied_->stop();
    accept();
}

} // namespace properties
