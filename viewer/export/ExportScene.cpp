#include "viewer/export/ExportScene.h"

#include "platform/imaging/ImageDecoder.h"
#include "viewer/study/StudyFolderIndex.h"

#include <algorithm>
#include <cmath>


namespace exporting {

namespace {

// The cell size of a scene whose images are all missing.
constexpr QSize kFallbackCell(640, 400);

QSize FirstImageSize(const std::vector<PanelSequence>& panels)
{
    for (const PanelSequence& panel : panels) {
        if (!panel.ImageSize.isEmpty())
            return panel.ImageSize;
    }
    return kFallbackCell;
}

} // namespace

viewer::CaptionText ExportScene::Caption(std::size_t panel, int frame) const
{
    const PanelSequence& sequence = Panels[panel];
    const int view = sequence.Settings.View;
    if (view < 1 || view > Study.ViewCount() || frame < 1 || frame > sequence.Sources.size())
        return {};
    const study::StudySample& own = Study.Views[view].Samples[sequence.Sources[frame - 1].Sample];
    const study::StudySample* displayed = frame <= Study.SampleCount() ? &Study.Views[1].Samples[frame] : nullptr;
    return viewer::PanelCaptionText(Study, view, own, displayed, sequence.Settings.Choice.ColorCode);
}

RenderedFrame ExportScene::Render(int frame) const
{
    std::vector<PanelPicture> pictures(Panels.size());
    for (std::size_t p = 0; p < Panels.size() && p < Layout.Cells.size(); ++p) {
        const PanelSequence& panel = Panels[p];
        if (frame < 1 || frame > panel.Sources.size())
            continue;
        const PanelSource& source = panel.Sources[frame - 1];
        const PanelCell& cell = Layout.Cells[p];
        PanelPicture& picture = pictures[p];
        if (source.Missing()) {
            picture = MissingPicture(cell, panel.ImageSize, Layout.Scale, source.Name);
        } else {
            // The header first, so a JPEG is decoded at the smallest DCT scale
            // that still covers its cell: far less work than a full decode
            // scaled down.
            const imaging::ImageHeader header = imaging::ReadImageHeader(source.Path);
            if (!header.ok())
                return {QImage(), header.error};
            imaging::DecodeOptions options;
            if (header.jpeg)
                options.scale = imaging::ScaleToCover(header.size, NeededImageSize(cell, header.size, Layout.Scale));
            imaging::DecodedImage decoded = imaging::DecodeImageFile(source.Path, options);
            if (!decoded.ok())
                return {QImage(), decoded.error};
            picture.FullSize = header.size;
            picture.Image = std::move(decoded.image);
        }
        if (Captions)
            picture.Caption = Caption(p, frame);
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
    study::StudyFolderIndex files(folder);
    for (const PanelSettings& settings : panels)
        scene.Panels.push_back(SelectPanelSequence(record, settings, files));
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
    study::StudyFolderIndex files(folder);
    for (const ShownPanel& panel : panels) {
        scene.Panels.push_back(SelectPanelSequence(record, panel.Settings, files));
        onScreen.Cells.push_back({panel.Rect.translated(-around.topLeft()), panel.ZoomPercent, panel.Centre});
    }
    const QSize size(std::max(1, static_cast<int>(std::lround(around.width() * scale))),
                     std::max(1, static_cast<int>(std::lround(around.height() * scale))));
    scene.Layout = scale == 1.0 ? onScreen : ResizeLayout(onScreen, size);
    return scene;
}

} // namespace exporting
