// The control showing its frame against another control's: wiped, with a line
// the user drags, or as their difference with a small legend. The partner's
// frame is drawn with the view linked to this control's, so both show the same
// spot even when their images differ in size.
#include "platform/imaging/ImagingControl.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControlImpl.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace imaging {

namespace {

const QColor kBadgeBackground(0, 0, 0, 170);

// A line of text on a dark rounded plate; `anchor` is the plate's top left
// corner, or its top right when `rightAligned`. Nothing when it would not fit.
void DrawBadge(QPainter& painter, const QString& text, QPointF anchor, bool rightAligned, const QRect& room)
{
    if (text.isEmpty())
        return;
    const QFontMetricsF metrics(painter.font());
    const QSizeF size(metrics.horizontalAdvance(text) + 10, metrics.height() + 4);
    QRectF plate(anchor, size);
    if (rightAligned)
        plate.moveRight(anchor.x());
    if (!QRectF(room).contains(plate))
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBadgeBackground);
    painter.drawRoundedRect(plate, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(plate, Qt::AlignCenter, text);
}

QString GainText(double gain)
{
    return QStringLiteral("\u00D7") + QString::number(gain, 'g', 3);
}

} // namespace

void ImagingControl::SetCompare(ImagingControl* partner, CompareMode mode)
{
    if (partner == this)
        throw ImagingError(QStringLiteral("A control cannot be compared with itself"));
    if (mode == CompareMode::None)
        partner = nullptr;
    if (partner != d_->partner) {
        EndCompare();
        if (partner) {
            if (partner->d_->host)
                partner->d_->host->SetCompare(nullptr, CompareMode::None);
            partner->d_->host = this;
            d_->partner = partner;
        }
    }
    d_->compare = partner ? mode : CompareMode::None;
    d_->difference = QImage();
    d_->differenceOf[0] = d_->differenceOf[1] = -1;
    // The partner is now decoded for the size it takes here.
    if (d_->scheduler)
        d_->scheduler->ScheduleReplan();
    update();
}

void ImagingControl::EndCompare()
{
    if (d_->partner) {
        d_->partner->d_->host = nullptr;
        d_->partner->d_->partnerLayer.Clear();
        d_->partner->RequestFrames();
    }
    d_->partner = nullptr;
    d_->compare = CompareMode::None;
    d_->partnerLayer.Clear();
    d_->differenceLayer.Clear();
    d_->difference = QImage();
}

CompareMode ImagingControl::Compare() const
{
    return d_->compare;
}

ImagingControl* ImagingControl::ComparePartner() const
{
    return d_->partner;
}

void ImagingControl::SetCompareNames(const QString& a, const QString& b)
{
    d_->nameA = a;
    d_->nameB = b;
    update();
}

void ImagingControl::SetDifference(DifferenceKind kind, double gain)
{
    d_->differenceKind = kind;
    d_->gain = std::clamp(std::isfinite(gain) ? gain : kMinDifferenceGain, kMinDifferenceGain, kMaxDifferenceGain);
    update();
}

DifferenceKind ImagingControl::DifferenceKindShown() const
{
    return d_->differenceKind;
}

double ImagingControl::DifferenceGain() const
{
    return d_->gain;
}

void ImagingControl::SetWipeFraction(double fraction)
{
    d_->wipe = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.5;
    update();
}

double ImagingControl::WipeFraction() const
{
    return d_->wipe;
}

bool ImagingControl::OnScreen() const
{
    return isVisible() || (d_->host && d_->host->isVisible());
}

QRect ImagingControl::PartnerPixels() const
{
    const ImagingControl* partner = d_->partner;
    if (!partner || partner->d_->current.isNull())
        return {};
    const QSizeF full(partner->d_->currentFull);
    const ViewState view = LinkedView(d_->view, QSizeF(d_->currentFull), full);
    const QRectF r = ImageRectIn(view, QSizeF(size()), full);
    return QRect(qRound(r.x()), qRound(r.y()), qRound(r.width()), qRound(r.height()));
}

const QImage& ImagingControl::DifferenceFrame()
{
    const QImage& a = d_->current;
    const QImage& b = d_->partner->d_->current;
    if (a.cacheKey() != d_->differenceOf[0] || b.cacheKey() != d_->differenceOf[1] ||
        d_->differenceKind != d_->differenceKindMade || d_->gain != d_->differenceGainMade) {
        d_->difference = DifferenceImage(a, b, d_->differenceKind, d_->gain);
        d_->differenceOf[0] = a.cacheKey();
        d_->differenceOf[1] = b.cacheKey();
        d_->differenceKindMade = d_->differenceKind;
        d_->differenceGainMade = d_->gain;
    }
    return d_->difference;
}

void ImagingControl::DrawCompared(QPainter& painter, const QRect& target)
{
    painter.fillRect(rect(), Qt::black);
    const qreal ratio = devicePixelRatioF();
    if (d_->compare == CompareMode::Difference) {
        if (d_->differenceLayer.Draw(painter, DifferenceFrame(), target, rect(), ratio, d_->moving))
            QueueRefine();
        DrawLegend(painter);
        return;
    }
    const int split = WipeSplitX(d_->wipe, width());
    const QRect left(0, 0, split, height());
    const QRect right(split, 0, width() - split, height());
    bool refine = false;
    if (!left.isEmpty()) {
        painter.save();
        painter.setClipRect(left);
        refine = d_->shownLayer.Draw(painter, d_->current, target, left, ratio, d_->moving);
        painter.restore();
    }
    if (!right.isEmpty()) {
        painter.save();
        painter.setClipRect(right);
        refine = d_->partnerLayer.Draw(painter, d_->partner->d_->current, PartnerPixels(), right, ratio,
                                       d_->moving) || refine;
        painter.restore();
    }
    if (refine)
        QueueRefine();
    DrawWipeLine(painter, split);
}

void ImagingControl::DrawWipeLine(QPainter& painter, int x)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal line = x == width() ? x - 0.5 : x + 0.5;
    painter.setPen(QPen(QColor(0, 0, 0, 150), 3));
    painter.drawLine(QPointF(line, 0), QPointF(line, height()));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(QPointF(line, 0), QPointF(line, height()));
    // A grip in the middle says the line can be taken.
    const QPointF grip(line, height() / 2.0);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 150), 1));
    painter.drawEllipse(grip, 7, 7);
    painter.setBrush(QColor(40, 40, 40));
    painter.setPen(Qt::NoPen);
    for (const int side : {-1, 1}) {
        QPainterPath arrow;
        arrow.moveTo(grip + QPointF(side * 5.0, 0));
        arrow.lineTo(grip + QPointF(side * 1.5, -3.5));
        arrow.lineTo(grip + QPointF(side * 1.5, 3.5));
        arrow.closeSubpath();
        painter.drawPath(arrow);
    }
    DrawBadge(painter, d_->nameA, QPointF(x - 8.0, 8.0), true, rect());
    DrawBadge(painter, d_->nameB, QPointF(x + 8.0, 8.0), false, rect());
    painter.restore();
}

void ImagingControl::DrawLegend(QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetricsF metrics(painter.font());
    const qreal line = metrics.height();
    if (d_->differenceKind == DifferenceKind::Absolute) {
        const QString text =
            QStringLiteral("|%1 \u2212 %2| %3").arg(d_->nameA, d_->nameB, GainText(d_->gain));
        DrawBadge(painter, text, QPointF(8, height() - line - 12), false, rect());
        painter.restore();
        return;
    }
    // The colour map with its ends named: which panel is brighter there, and
    // the luminance difference the ends stand for.
    const QString title = QStringLiteral("Luminance %1 \u2212 %2, ends at \u00B1%3")
                              .arg(d_->nameB, d_->nameA, QString::number(qRound(255 / d_->gain)));
    const QString brighterA = d_->nameA + QStringLiteral(" brighter");
    const QString brighterB = d_->nameB + QStringLiteral(" brighter");
    const qreal barWidth =
        std::max({160.0, metrics.horizontalAdvance(title), metrics.horizontalAdvance(brighterA + brighterB) + 24});
    const QRectF plate(8, height() - (3 * line + 10 + 16) - 8, barWidth + 16, 3 * line + 10 + 16);
    if (!QRectF(rect()).contains(plate)) {
        painter.restore();
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBadgeBackground);
    painter.drawRoundedRect(plate, 4, 4);
    const qreal left = plate.left() + 8;
    painter.setPen(Qt::white);
    painter.drawText(QRectF(left, plate.top() + 4, barWidth, line), Qt::AlignLeft | Qt::AlignVCenter, title);
    const QRectF bar(left, plate.top() + 8 + line, barWidth, 10);
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, QColor::fromRgb(kDifferenceBrighterA));
    gradient.setColorAt(0.5, Qt::black);
    gradient.setColorAt(1, QColor::fromRgb(kDifferenceBrighterB));
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(200, 200, 200), 1));
    painter.drawRect(bar);
    const QRectF labels(left, bar.bottom() + 4, barWidth, line);
    painter.setPen(Qt::white);
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, brighterA);
    painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, brighterB);
    painter.drawText(QRectF(left, labels.bottom(), barWidth, line), Qt::AlignHCenter | Qt::AlignVCenter,
                     GainText(d_->gain));
    painter.restore();
}

} // namespace imaging
