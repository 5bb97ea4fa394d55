#include "platform/imaging/ScaledImage.h"

#include <QPainter>

#include <algorithm>

namespace imaging {

namespace {

// Far into a zoom the scaled copy would be huge; scaling only the visible part
// at each paint is cheaper there.
bool CopyAffordable(const QRect& target, const QRect& visible)
{
    return qint64(target.width()) * target.height() <=
           4 * qint64(std::max(1, visible.width())) * std::max(1, visible.height());
}

} // namespace

bool ScaledImage::Fits(const QImage& image, const QRect& target, qreal ratio) const
{
    return refinedKey_ == image.cacheKey() && !refined_.isNull() &&
           refined_.deviceIndependentSize().toSize() == target.size() && refined_.devicePixelRatio() == ratio;
}

const QImage& ScaledImage::Rgb32Of(const QImage& image)
{
    if (rgb32Key_ != image.cacheKey()) {
        rgb32_ = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
        rgb32Key_ = image.cacheKey();
    }
    return rgb32_;
}

bool ScaledImage::Draw(QPainter& painter, const QImage& image, const QRect& target, const QRect& visible,
                       qreal ratio, bool moving)
{
    if (target.isEmpty() || image.isNull())
        return false;
    if (Fits(image, target, ratio)) {
        painter.drawImage(target.topLeft(), refined_);
        return false;
    }
    if (target.size() == image.size() && ratio == 1) {
        painter.drawImage(target.topLeft(), image);
        return false;
    }
    if (CopyAffordable(target, visible)) {
        // A frame change must show at once: the nearest pixels now, a fraction
        // of smooth scaling's cost, and the smooth copy when the loop is idle.
        painter.drawImage(target, image);
        return !moving;
    }
    const QRect part = target.intersected(visible);
    if (part.isEmpty())
        return false;
    const QImage& pixels = Rgb32Of(image);
    const double sx = double(image.width()) / target.width();
    const double sy = double(image.height()) / target.height();
    const QRectF source((part.left() - target.left()) * sx, (part.top() - target.top()) * sy, part.width() * sx,
                        part.height() * sy);
    const bool crisp = ratio / sx >= kCrispScale;
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !moving && !crisp);
    painter.drawImage(QRectF(part), pixels, source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    return false;
}

bool ScaledImage::Refine(const QImage& image, const QRect& target, const QRect& visible, qreal ratio)
{
    if (target.isEmpty() || image.isNull() || (target.size() == image.size() && ratio == 1) ||
        !CopyAffordable(target, visible) || Fits(image, target, ratio))
        return false;
    // The 32-bit copy is kept only where it serves every paint (far zoomed in);
    // here it serves this one scaling.
    const QImage pixels = rgb32Key_ == image.cacheKey() ? rgb32_ : image.convertToFormat(QImage::Format_RGB32);
    refined_ = pixels.scaled(target.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    refined_.setDevicePixelRatio(ratio);
    refinedKey_ = image.cacheKey();
    return true;
}

void ScaledImage::Clear()
{
    refined_ = QImage();
    refinedKey_ = -1;
    rgb32_ = QImage();
    rgb32Key_ = -1;
}

} // namespace imaging
