#include "viewer/export/ExportScene.h"

#include "platform/imaging/ImageDecoder.h"

#include <algorithm>
#include <cmath>


namespace exporting {

namespace {

// The cell size of a scene whose images are all missing.
constexpr QSize kFallbackCell(640, 400);

QSize FirstImageSize(const std::vector<PanelSequence>& panels)
{
    for (const PanelSequence& panel : panels) {
        for (const PanelSource& source : panel.Sources) {
            if (source.Missing())
                continue;
            const imaging::ImageHeader header = imaging::ReadImageHeader(source.Path);
            if (header.ok() && !header.size.isEmpty())
                return header.size;
        }
    }
    return kFallbackCell;
}

} // namespace

RenderedFrame ExportScene::Render(int frame) const
{
    std::vector<PanelPicture> pictures(Panels.size());
    for (std::size_t p = 0; p < Panels.size(); ++p) {
        const PanelSequence& panel = Panels[p];
        if (frame < 1 || frame > panel.Sources.size())
            continue;
        const PanelSource& source = panel.Sources[frame - 1];
        PanelPicture& picture = pictures[p];
        if (Captions)
            picture.Caption = PanelCaption(Study, panel, frame);
        if (source.Missing()) {
            picture.Missing = source.Name;
            continue;
        }
        // The header first, so a JPEG is decoded at the smallest DCT scale that
        // still covers its cell: far less work than a full decode scaled down.
        const imaging::ImageHeader header = imaging::ReadImageHeader(source.Path);
        if (!header.ok())
            return {QImage(), header.error};
        imaging::DecodeOptions options;
        if (header.jpeg && p < Layout.Cells.size())
            options.scale = imaging::ScaleToCover(header.size, NeededImageSize(Layout.Cells[p], header.size, Layout.Scale));
        imaging::DecodedImage decoded = imaging::DecodeImageFile(source.Path, options);
        if (!decoded.ok())
            return {QImage(), decoded.error};
        picture.FullSize = header.size;
        picture.Image = std::move(decoded.image);
    }
    QImage image = Canvases ? Canvases->Take(Layout.Size, QImage::Format_RGB888) : QImage();
    if (!image.isNull())
        ComposeFrameInto(image, Layout, pictures);
    if (image.isNull())
        return {QImage(), QStringLiteral("Not enough memory for a frame of %1 x %2 pixels")
                              .arg(Layout.Size.width())
                              .arg(Layout.Size.height())};
    return {std::move(image), QString()};
}

ExportScene ArrangedScene(const study::StudyRecord& record, const QString& folder,
                          const std::vector<PanelSettings>& panels, QSize box, bool captions)
{
    ExportScene scene;
    scene.Study = record;
    scene.Captions = captions;
    for (const PanelSettings& settings : panels)
        scene.Panels.push_back(SelectPanelSequence(record, settings, folder));
    const FrameLayout natural = ArrangePanels(static_cast<int>(panels.size()), FirstImageSize(scene.Panels));
    const QSize size = box.isEmpty() ? natural.Size : FitInside(natural.Size, box);
    scene.Layout = size == natural.Size ? natural : ResizeLayout(natural, size);
    return scene;
}

ExportScene SceneAsShown(const study::StudyRecord& record, const QString& folder,
                         const std::vector<ShownPanel>& panels, double scale, bool captions)
{
    ExportScene scene;
    scene.Study = record;
    scene.Captions = captions;
    QRect around;
    for (const ShownPanel& panel : panels)
        around = around.united(panel.Rect);
    FrameLayout onScreen;
    onScreen.Size = around.size();
    for (const ShownPanel& panel : panels) {
        scene.Panels.push_back(SelectPanelSequence(record, panel.Settings, folder));
        onScreen.Cells.push_back({panel.Rect.translated(-around.topLeft()), panel.ZoomPercent});
    }
    const QSize size(std::max(1, static_cast<int>(std::lround(around.width() * scale))),
                     std::max(1, static_cast<int>(std::lround(around.height() * scale))));
    scene.Layout = scale == 1.0 ? onScreen : ResizeLayout(onScreen, size);
    return scene;
}

} // namespace exporting
