// Puts the panels of one frame into one picture, as the window shows them: each
// panel's image fitted into its cell (aspect kept, centred) or drawn at its zoom,
// black around it, the window's "Image missing" tile where a file is missing,
// and the window's caption at the image's top-left corner when captions are on.
// A plain function of its inputs, safe to call from several threads at once.
#pragma once

#include "viewer/window/PanelCaptionText.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace exporting {

struct PanelCell {
    QRect Cell; // where the panel goes, in the frame's pixels
    // 0: the whole image fitted into the cell. Above 0: the image drawn at this
    // percentage of its full size (times the layout's Scale), centred and
    // clipped to the cell, as a zoomed panel shows it.
    double ZoomPercent = 0;
    // Zoomed: the point of the image (0,0 top left, 1,1 bottom right) at the
    // cell's centre, where the user panned the panel to.
    QPointF Centre{0.5, 0.5};
};

struct FrameLayout {
    QSize Size;                  // the frame's size in pixels
    std::vector<PanelCell> Cells; // one per panel, in panel order
    // Frame pixels per screen pixel: zoomed images and captions grow with it.
    double Scale = 1;
};

// The window's arrangement of `count` panels (1 to 4; other counts give an
// empty layout), each cell `cell` pixels: one alone, two or three one under
// another, four in two rows of two.
FrameLayout ArrangePanels(int count, QSize cell);

// `layout` scaled to `size`, its cells keeping their places (rounded to whole
// pixels, neighbours sharing their edges). Scale grows by the width's ratio.
FrameLayout ResizeLayout(const FrameLayout& layout, QSize size);

// The largest size of `size`'s shape that fits into `box` (never enlarged).
QSize FitInside(QSize size, QSize box);

// Where an image of `full` pixels lands for `cell`; larger than the cell when
// zoomed in. Empty for an empty image or cell.
QRectF ImageRectInCell(const PanelCell& cell, QSize full, double scale);

// The size the image has to be decoded at, at least, for the cell to show it
// without enlarging: the part of ImageRectInCell inside the cell, mapped back
// to the whole image.
QSize NeededImageSize(const PanelCell& cell, QSize full, double scale);

struct PanelPicture {
    // The panel's whole image at any resolution (a reduced decode serves); a
    // null image leaves the cell black.
    QImage Image;
    QSize FullSize; // the image's size at full resolution; Image's own size when empty
    // Drawn over the image when its text is not "".
    viewer::CaptionText Caption;
};

// The frame as Format_RGB888, the decoder's own pixels, so that no panel needs
// converting on the way. `pictures` pairs with layout.Cells by index; extra
// entries on either side are ignored.
QImage ComposeFrame(const FrameLayout& layout, const std::vector<PanelPicture>& pictures);
// The same into `frame`, which has the layout's size (any format QPainter
// paints on); every pixel of it is painted.
void ComposeFrameInto(QImage& frame, const FrameLayout& layout, const std::vector<PanelPicture>& pictures);

// The box a caption takes over an image that lands on `image` in `cell`: at
// the image's top-left corner, as the window places its caption label, with
// the window's margins and font grown by `scale`, and never smaller than a
// fortieth of the cell's height so a large frame's caption stays readable. A
// caption touches no pixel outside it.
QRect CaptionBox(const QRect& cell, const QRectF& image, const viewer::CaptionText& caption, double scale);
void DrawCaption(QImage& frame, const QRect& cell, const QRectF& image, const viewer::CaptionText& caption,
                 double scale);

// The window's missing-image tile for a file, at the size the tile takes in
// `cell` when it stands for an image of `full` pixels.
PanelPicture MissingPicture(const PanelCell& cell, QSize full, double scale, const QString& name);

} // namespace exporting
