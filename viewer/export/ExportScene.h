// Everything needed to render any frame of an export on its own: the study, the
// panels with their frames, the layout and whether captions are drawn. Render
// decodes each panel's image at the size its cell needs and composes them; it
// is const and safe to call from several threads at once.
#pragma once

#include "viewer/export/CanvasPool.h"
#include "viewer/export/ExportSelection.h"
#include "viewer/export/FrameComposer.h"
#include "viewer/export/FramePipeline.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

namespace exporting {

struct ExportScene {
    study::StudyRecord Study;
    std::vector<PanelSequence> Panels; // pairs with Layout.Cells
    FrameLayout Layout;
    bool Captions = false;
    // Where rendered frames take their memory; copies of a scene share it.
    std::shared_ptr<CanvasPool> Canvases = std::make_shared<CanvasPool>();

    int FrameCount() const { return FrameCountOf(Panels); }

    // Frame `frame` (1-based) as Format_RGB888 at the layout's size. A missing
    // file draws its tile; a panel that has no such frame stays black; an image
    // that cannot be decoded fails the frame with the decoder's text.
    RenderedFrame Render(int frame) const;

    // The caption panel `panel` carries at `frame`, as the window words it;
    // empty beyond the panel's end.
    viewer::CaptionText Caption(std::size_t panel, int frame) const;
};

// Builds a scene of `panels` laid out as the window arranges them, each cell
// the size of the first panel's first existing image (640 x 400 when there is
// none) and the whole fitted into `box` when it is larger (an empty box
// leaves it at that size). Images are looked up
// in `folder`. The first image's header is read to learn its size.
ExportScene ArrangedScene(const study::StudyRecord& record, const QString& folder,
                          const std::vector<PanelSettings>& panels, QSize box, bool captions);

// A panel as the window shows it.
struct ShownPanel {
    PanelSettings Settings;
    QRect Rect;             // its place in the window, in the window's logical pixels
    double ZoomPercent = 0; // 0: fitted; else the zoom it is drawn at
    QPointF Centre{0.5, 0.5}; // zoomed: the image point at its centre (0..1 of the image)
};

// The panels as the window shows them, their places kept relative to one
// another (the frame is the rectangle around them all), at `scale` times their
// size on screen: 2 doubles every side, zoom included.
ExportScene SceneAsShown(const study::StudyRecord& record, const QString& folder,
                         const std::vector<ShownPanel>& panels, double scale, bool captions);

} // namespace exporting
