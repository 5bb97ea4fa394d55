// How a panel shows its image: fitted whole, or at a scale about a point of the
// image, and what zooming, panning and linking panels do to that. Plain values
// and functions, so the rules hold without a widget and are tested as numbers.
//
// Units: panel sizes and points are the panel's pixels; an image size is the
// frame's full size in pixels, whatever size it was decoded at; a centre is
// image-relative (0,0 top left, 1,1 bottom right), so panels whose images
// differ in size can share it.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace imaging {

// The largest magnification zooming reaches: 32 panel pixels to an image pixel.
inline constexpr double kMaxViewScale = 32.0;
// One notch of the wheel, or one press of + or -, zooms by this factor.
inline constexpr double kZoomStep = 1.25;

struct ViewState {
    bool fit = true;            // the whole image scaled into the panel, centred
    double scale = 1.0;         // when not fitted: panel pixels per image pixel
    QPointF centre{0.5, 0.5};   // when not fitted: the image point at the panel's centre

    friend bool operator==(const ViewState&, const ViewState&) = default;
};

// The scale at which the whole image just fits the panel; 0 for an empty size.
double FitScale(QSizeF panel, QSizeF image);

// The scale the image is drawn at: the fit scale when fitted.
double ShownScale(const ViewState& view, QSizeF panel, QSizeF image);

// The view with its centre kept where the image covers the panel as far as it
// can: along an axis where the scaled image is longer than the panel no image
// edge comes inside the panel; where it is shorter, it is centred. A fitted
// view comes back with the centre in the middle.
ViewState Clamped(ViewState view, QSizeF panel, QSizeF image);

// Where the image lands in the panel. Empty for an empty image or a scale of 0
// or less.
QRectF ImageRectIn(const ViewState& view, QSizeF panel, QSizeF image);

// The image-relative point under `panelPoint`, and the panel point over an
// image-relative point (outside 0..1 when off the image).
QPointF ImagePointAt(const ViewState& view, QSizeF panel, QSizeF image, QPointF panelPoint);
QPointF PanelPointOf(const ViewState& view, QSizeF panel, QSizeF image, QPointF imagePoint);

// The view at `scale` with the image point under `anchor` kept under it, as
// far as clamping allows. The result is not fitted.
ViewState ZoomedAbout(const ViewState& view, QSizeF panel, QSizeF image, double scale, QPointF anchor);

// A zoom step of `factor` about `anchor`: zooming in stops at kMaxViewScale
// (or at the fit scale of a tiny image, whichever is larger); zooming out stops
// at the fit scale and gives the fitted view there, or at a scale of 1 for an
// image smaller than the panel.
ViewState ZoomedBy(const ViewState& view, QSizeF panel, QSizeF image, double factor, QPointF anchor);

// The factor of a wheel turn of `angleDelta` eighths of a degree (120 a notch).
double WheelFactor(int angleDelta);

// The view after the image was dragged by `delta` panel pixels. A fitted view
// shows the whole image and does not move.
ViewState Panned(const ViewState& view, QSizeF panel, QSizeF image, QPointF delta);

// The view another panel takes to show the same spot as `source`: the same
// image-relative centre, and a scale that gives the same share of the image
// across the panel (so a half-size image is drawn at twice the scale). A
// fitted source gives a fitted view. An unknown size on either side keeps the
// scale as it is.
ViewState LinkedView(const ViewState& source, QSizeF sourceImage, QSizeF targetImage);

// The pixel of a frame under an image-relative point: `full` in the frame's own
// pixels, `decoded` in the image as decoded (a reduced scale has fewer).
struct PixelSpot {
    bool inside = false; // the point lies on the image
    QPoint full;
    QPoint decoded;
};
PixelSpot PixelSpotAt(QPointF imagePoint, QSize fullSize, QSize decodedSize);

} // namespace imaging
