#include "viewer/window/PanelCaption.h"

#include <algorithm>

namespace viewer {

PanelCaption::PanelCaption(QWidget* panel) : QLabel(panel)
{
    // Clicks go through to the panel (its zoom).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setMargin(kCaptionPadding);
    setAutoFillBackground(false);
    hide();
}

void PanelCaption::SetCaption(const CaptionText& caption)
{
    otherMoment_ = caption.OtherMoment;
    setText(caption.Text);
    // Dark and see-through over any picture; amber when the moment differs.
    const QColor text = CaptionTextColour(otherMoment_);
    const QColor box = CaptionBoxColour(otherMoment_);
    setStyleSheet(QStringLiteral("color: %1; background-color: rgba(%2, %3, %4, %5);%6")
                      .arg(text.name())
                      .arg(box.red())
                      .arg(box.green())
                      .arg(box.blue())
                      .arg(box.alpha())
                      .arg(otherMoment_ ? QStringLiteral(" font-weight: bold;") : QString()));
    adjustSize();
}

void PanelCaption::Place(const QRectF& image)
{
    const QWidget* panel = parentWidget();
    QRectF area = image.isEmpty() ? QRectF(panel->rect()) : image.intersected(QRectF(panel->rect()));
    if (area.isEmpty())
        area = QRectF(panel->rect());
    const int x = std::max(0, static_cast<int>(area.left()) + kCaptionMargin);
    const int y = std::max(0, static_cast<int>(area.top()) + kCaptionMargin);
    move(x, y);
    raise();
}

} // namespace viewer
