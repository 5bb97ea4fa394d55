#include "platform/imaging/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace imaging {

namespace {

bool Usable(QSizeF size)
{
    return size.width() > 0 && size.height() > 0;
}

// The centre along one axis: the image's middle when it is no longer than the
// panel, else kept where neither edge comes inside.
double ClampAxis(double centre, double scaledLength, double panelLength)
{
    if (!(scaledLength > panelLength))
        return 0.5;
    const double half = panelLength / (2.0 * scaledLength);
    return std::clamp(centre, half, 1.0 - half);
}

int PixelAlong(double relative, int length)
{
    return std::clamp(static_cast<int>(std::floor(relative * length)), 0, std::max(0, length - 1));
}

} // namespace

double FitScale(QSizeF panel, QSizeF image)
{
    if (!Usable(panel) || !Usable(image))
        return 0;
    return std::min(panel.width() / image.width(), panel.height() / image.height());
}

double ShownScale(const ViewState& view, QSizeF panel, QSizeF image)
{
    return view.fit ? FitScale(panel, image) : view.scale;
}

ViewState Clamped(ViewState view, QSizeF panel, QSizeF image)
{
    if (view.fit) {
        view.centre = {0.5, 0.5};
        return view;
    }
    if (!Usable(image) || !(view.scale > 0) || !std::isfinite(view.centre.x()) || !std::isfinite(view.centre.y())) {
        view.centre = {0.5, 0.5};
        return view;
    }
    view.centre.setX(ClampAxis(view.centre.x(), view.scale * image.width(), panel.width()));
    view.centre.setY(ClampAxis(view.centre.y(), view.scale * image.height(), panel.height()));
    return view;
}

QRectF ImageRectIn(const ViewState& view, QSizeF panel, QSizeF image)
{
    const double scale = ShownScale(view, panel, image);
    if (!Usable(image) || !(scale > 0))
        return {};
    const ViewState shown = Clamped(view, panel, image);
    const double w = image.width() * scale;
    const double h = image.height() * scale;
    return QRectF(panel.width() / 2.0 - shown.centre.x() * w, panel.height() / 2.0 - shown.centre.y() * h, w, h);
}

QPointF ImagePointAt(const ViewState& view, QSizeF panel, QSizeF image, QPointF panelPoint)
{
    const QRectF r = ImageRectIn(view, panel, image);
    if (r.isEmpty())
        return {0.5, 0.5};
    return {(panelPoint.x() - r.left()) / r.width(), (panelPoint.y() - r.top()) / r.height()};
}

QPointF PanelPointOf(const ViewState& view, QSizeF panel, QSizeF image, QPointF imagePoint)
{
    const QRectF r = ImageRectIn(view, panel, image);
    return {r.left() + imagePoint.x() * r.width(), r.top() + imagePoint.y() * r.height()};
}

ViewState ZoomedAbout(const ViewState& view, QSizeF panel, QSizeF image, double scale, QPointF anchor)
{
    ViewState zoomed{false, scale, {0.5, 0.5}};
    if (!Usable(image) || !(scale > 0))
        return zoomed;
    const QPointF under = ImagePointAt(view, panel, image, anchor);
    zoomed.centre = {under.x() - (anchor.x() - panel.width() / 2.0) / (scale * image.width()),
                     under.y() - (anchor.y() - panel.height() / 2.0) / (scale * image.height())};
    return Clamped(zoomed, panel, image);
}

ViewState ZoomedBy(const ViewState& view, QSizeF panel, QSizeF image, double factor, QPointF anchor)
{
    const double fit = FitScale(panel, image);
    const double shown = ShownScale(view, panel, image);
    if (!(fit > 0) || !(factor > 0) || factor == 1)
        return view;
    if (factor < 1) {
        // An image smaller than the panel may still be looked at pixel for pixel.
        const double floor = std::min(fit, 1.0);
        // Below that already (zoom clicks go there): left where it is.
        if (shown <= floor)
            return view;
        if (shown * factor <= floor * (1 + 1e-9)) {
            return floor == fit ? ViewState{true, view.scale, {0.5, 0.5}}
                                : ZoomedAbout(view, panel, image, floor, anchor);
        }
    }
    const double top = std::max(kMaxViewScale, fit);
    if (factor > 1 && shown >= top)
        return Clamped(view, panel, image);
    return ZoomedAbout(view, panel, image, std::min(shown * factor, top), anchor);
}

double WheelFactor(int angleDelta)
{
    return std::pow(kZoomStep, angleDelta / 120.0);
}

ViewState Panned(const ViewState& view, QSizeF panel, QSizeF image, QPointF delta)
{
    if (view.fit || !Usable(image) || !(view.scale > 0))
        return Clamped(view, panel, image);
    ViewState moved = Clamped(view, panel, image);
    moved.centre -= QPointF(delta.x() / (view.scale * image.width()), delta.y() / (view.scale * image.height()));
    return Clamped(moved, panel, image);
}

ViewState LinkedView(const ViewState& source, QSizeF sourceImage, QSizeF targetImage)
{
    ViewState linked = source;
    if (sourceImage.width() > 0 && targetImage.width() > 0)
        linked.scale = source.scale * sourceImage.width() / targetImage.width();
    if (linked.fit)
        linked.centre = {0.5, 0.5};
    return linked;
}

PixelSpot PixelSpotAt(QPointF imagePoint, QSize fullSize, QSize decodedSize)
{
    PixelSpot spot;
    spot.inside = fullSize.width() > 0 && fullSize.height() > 0 && imagePoint.x() >= 0 && imagePoint.y() >= 0 &&
                  imagePoint.x() < 1 && imagePoint.y() < 1;
    spot.full = {PixelAlong(imagePoint.x(), fullSize.width()), PixelAlong(imagePoint.y(), fullSize.height())};
    spot.decoded = {PixelAlong(imagePoint.x(), decodedSize.width()), PixelAlong(imagePoint.y(), decodedSize.height())};
    return spot;
}

} // namespace imaging
