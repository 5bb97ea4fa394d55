#include "platform/imaging/ImagingControl.h"

#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControlImpl.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>

#include <cmath>
#include <vector>

namespace imaging {

namespace {

QString PositionError(int position, int count)
{
    return QStringLiteral("Invalid image list position %1 (the list holds %2 images)")
        .arg(position)
        .arg(count);
}

int ShiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

} // namespace

ImagingControl::ImagingControl(QWidget* parent) : QWidget(parent), d_(std::make_unique<Impl>())
{
    // The control paints every pixel itself; skipping Qt's erase saves a fill.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ImagingControl::~ImagingControl()
{
    ReleaseShown();
    if (d_->scheduler)
        d_->scheduler->Detach(this);
}

int ImagingControl::ImageCount() const
{
    return static_cast<int>(d_->list.size() + d_->sources.size());
}

void ImagingControl::DeleteImages(int first, int count)
{
    const int size = ImageCount();
    if (first < 0 || count < 0 || first > size || count > size - first)
        throw ImagingError(QStringLiteral("Invalid image list range: %1 images from position %2 "
                                          "(the list holds %3 images)")
                               .arg(count)
                               .arg(first)
                               .arg(size));
    if (count == 0)
        return;
    if (!d_->sources.empty()) {
        d_->sources.erase(d_->sources.begin() + first, d_->sources.begin() + first + count);
        d_->ImagesChanged();
        if (d_->sources.empty()) {
            ReleaseShown();
            d_->shown = 0;
            d_->waiting = false;
            d_->SetCurrent(QImage());
            update();
        } else {
            ShowSource(std::min(d_->shown, ImageCount() - 1));
        }
        return;
    }
    d_->list.erase(d_->list.begin() + first, d_->list.begin() + first + count);
    d_->ImagesChanged();
    if (d_->list.empty()) {
        d_->shown = 0;
        d_->SetCurrent(QImage());
    } else {
        d_->shown = std::min(d_->shown, ImageCount() - 1);
        d_->SetCurrent(d_->list[d_->shown]);
    }
    update();
}

void ImagingControl::InsertImage(int position, const QImage& image)
{
    if (position < 0 || position > ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (image.isNull())
        throw ImagingError(QStringLiteral("No image to insert into the image list"));
    if (!d_->sources.empty())
        throw ImagingError(QStringLiteral("The image list holds frame sources; a decoded image cannot join them"));
    d_->list.insert(d_->list.begin() + position, image);
    d_->ImagesChanged();
}

int ImagingControl::ShownPosition() const
{
    return d_->shown;
}

void ImagingControl::SetShownPosition(int position)
{
    if (position == 0 && ImageCount() == 0) {
        d_->shown = 0;
        d_->SetCurrent(QImage());
        update();
        return;
    }
    if (position < 0 || position >= ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (!d_->sources.empty()) {
        ShowSource(position);
        return;
    }
    d_->shown = position;
    d_->SetCurrent(d_->list[position]);
    update();
}

const QImage& ImagingControl::CurrentImage() const
{
    return d_->current;
}

QImage ImagingControl::ListImage(int position) const
{
    if (position < 0 || position >= ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (!d_->sources.empty()) {
        const FrameSource& source = d_->sources[position];
        if (source.IsMissing() || !d_->scheduler)
            return {};
        return d_->scheduler->Cache().Find(source.path).image;
    }
    return d_->list[position];
}

void ImagingControl::Load(const QString& path)
{
    DecodedImage decoded = DecodeImageFile(path);
    if (!decoded.ok())
        throw ImagingError(decoded.error);
    d_->SetCurrent(decoded.image);
    d_->ImagesChanged();
    update();
}

int ImagingControl::DisplayMode() const
{
    return d_->mode;
}

void ImagingControl::SetDisplayMode(int mode)
{
    if (mode != kFitMode && mode != kZoomMode)
        throw ImagingError(QStringLiteral("Invalid display mode %1").arg(mode));
    if (mode == d_->mode)
        return;
    d_->mode = mode;
    RequestFrames();
    update();
}

float ImagingControl::ZoomPercent() const
{
    return d_->zoom;
}

void ImagingControl::SetZoomPercent(float percent)
{
    if (!std::isfinite(percent))
        throw ImagingError(QStringLiteral("Invalid zoom percentage"));
    if (percent == d_->zoom)
        return;
    d_->zoom = percent;
    if (d_->mode == kZoomMode) {
        RequestFrames();
        update();
    }
}

void ImagingControl::Repaint()
{
    if (d_->dropTextsOnRepaint) {
        d_->texts.clear();
        d_->dropTextsOnRepaint = false;
    }
    if (isVisible())
        repaint();
}

void ImagingControl::SetTextColor(const QColor& color)
{
    d_->textColor = color;
}

QColor ImagingControl::TextColor() const
{
    return d_->textColor;
}

void ImagingControl::SetTextStyle(int style)
{
    d_->textStyle = style;
}

void ImagingControl::SetTextAlign(int align)
{
    d_->textAlign = align;
}

void ImagingControl::SetTextWordWrap(bool wrap)
{
    d_->textWrap = wrap;
}

void ImagingControl::SetTextPersistent(int keep)
{
    d_->textPersistent = keep;
}

qreal ImagingControl::TextWidth(const QString& text) const
{
    const QFontMetricsF metrics(font());
    if (text.contains(u'\n'))
        return metrics.boundingRect(QRectF(), Qt::AlignLeft, text).width();
    return metrics.horizontalAdvance(text);
}

qreal ImagingControl::TextHeight(const QString& text) const
{
    const QFontMetricsF metrics(font());
    if (text.contains(u'\n'))
        return metrics.boundingRect(QRectF(), Qt::AlignLeft, text).height();
    return metrics.height();
}

void ImagingControl::SetTextRect(const QRectF& rect)
{
    d_->textRect = rect;
}

QRectF ImagingControl::TextRect() const
{
    return d_->textRect;
}

void ImagingControl::DrawText(const QString& text)
{
    d_->texts.push_back(
        {text, d_->textRect, font(), d_->textColor, d_->textAlign, d_->textWrap, d_->textStyle});
    if (d_->textPersistent == 0)
        d_->dropTextsOnRepaint = true;
    update();
}

QStringList ImagingControl::DrawnTexts() const
{
    QStringList out;
    for (const auto& t : d_->texts)
        out << t.text;
    return out;
}

QRectF ImagingControl::ImageRect() const
{
    // Fit and zoom refer to the frame's full size, whatever size it was
    // decoded at.
    const QSize full = d_->currentFull;
    if (d_->current.isNull() || full.isEmpty())
        return {};
    const qreal iw = full.width();
    const qreal ih = full.height();
    qreal scale;
    if (d_->mode == kZoomMode) {
        scale = d_->zoom / 100.0;
    } else {
        if (width() <= 0 || height() <= 0)
            return {};
        scale = std::min(width() / iw, height() / ih);
    }
    if (scale <= 0)
        return {};
    const qreal w = iw * scale;
    const qreal h = ih * scale;
    return QRectF((width() - w) / 2.0, (height() - h) / 2.0, w, h);
}

QRect ImagingControl::ImagePixels() const
{
    const QRectF r = ImageRect();
    return QRect(qRound(r.x()), qRound(r.y()), qRound(r.width()), qRound(r.height()));
}

bool ImagingControl::RefinementAffordable(const QRect& target) const
{
    // Far into zoom mode the scaled copy would be huge; Qt's own smooth drawing
    // of just the visible part is cheaper there.
    return qint64(target.width()) * target.height() <= 4 * qint64(std::max(1, width())) * std::max(1, height());
}

bool ImagingControl::RefinedFits(const QRect& target) const
{
    return d_->refinedKey == d_->current.cacheKey() && !d_->refined.isNull() &&
           d_->refined.deviceIndependentSize().toSize() == target.size() &&
           d_->refined.devicePixelRatio() == devicePixelRatioF();
}

void ImagingControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!d_->tile.isEmpty())
        DrawTile(painter);
    const QRect target = d_->tile.isEmpty() ? ImagePixels() : QRect();
    // Black around the image, not under it: the image covers its own pixels.
    if (d_->tile.isEmpty()) {
        const QRegion background = QRegion(rect()).subtracted(QRegion(target));
        for (const QRect& r : background)
            painter.fillRect(r, Qt::black);
    }
    if (!target.isEmpty()) {
        const QImage& image = d_->current;
        if (RefinedFits(target)) {
            painter.drawImage(target.topLeft(), d_->refined);
        } else if (target.size() == image.size()) {
            painter.drawImage(target.topLeft(), image);
        } else if (RefinementAffordable(target)) {
            // A frame change must show at once: sample the nearest pixels now
            // (a fraction of smooth scaling's cost) and put the smoothly scaled
            // copy in place as soon as the event loop is idle.
            painter.drawImage(target, image);
            if (!d_->refineQueued) {
                d_->refineQueued = true;
                QTimer::singleShot(0, this, [this] { Refine(); });
            }
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(target, image);
        }
    }
    for (const auto& t : d_->texts) {
        painter.setFont(t.font);
        int flags = t.align == kTextAlignCentre ? Qt::AlignHCenter : Qt::AlignLeft;
        // The rectangle comes from a rounded measurement; a text a fraction of a
        // pixel wider than it must still show whole.
        flags |= Qt::AlignTop | Qt::TextDontClip;
        if (t.wrap)
            flags |= Qt::TextWordWrap;
        if (t.style == kTextStyleShadow) {
            painter.setPen(Qt::black);
            painter.drawText(t.rect.translated(1, 1), flags, t.text);
        }
        painter.setPen(t.color);
        painter.drawText(t.rect, flags, t.text);
    }
    if (d_->readAheadMark) {
        // A small dot in the top right corner while frames are read ahead.
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 200, 60, 200));
        painter.drawEllipse(QRectF(width() - 12.0, 5.0, 7.0, 7.0));
    }
}

void ImagingControl::Refine()
{
    d_->refineQueued = false;
    const QRect target = ImagePixels();
    const QImage& image = d_->current;
    if (!isVisible() || target.isEmpty() || target.size() == image.size() || !RefinementAffordable(target))
        return;
    if (RefinedFits(target))
        return;
    // Qt's smooth scaling is quick from 32-bit pixels and many times slower
    // from packed 24-bit ones, so convert first (the copy lives only here).
    // On a high-density screen the copy has the screen's pixels, not the
    // control's logical ones.
    const qreal ratio = devicePixelRatioF();
    d_->refined = image.convertToFormat(QImage::Format_RGB32)
                      .scaled(target.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    d_->refined.setDevicePixelRatio(ratio);
    d_->refinedKey = image.cacheKey();
    update();
}

void ImagingControl::mousePressEvent(QMouseEvent* event)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton:
        button = 1;
        break;
    case Qt::RightButton:
        button = 2;
        break;
    case Qt::MiddleButton:
        button = 4;
        break;
    default:
        break;
    }
    if (button != 0) {
        const QPointF at = event->position();
        emit MouseDown(button, ShiftState(event->modifiers()), at.x(), at.y());
    }
    QWidget::mousePressEvent(event);
}

} // namespace imaging
