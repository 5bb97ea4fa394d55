#include "viewer/export/ExportScene.h"

#include "platform/imaging/ImageDecoder.h"

#include <QImageReader>

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
            QImageReader reader(source.Path);
            const QSize size = reader.size();
            if (size.isValid() && !size.isEmpty())
                return size;
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
        imaging::DecodedImage decoded = imaging::DecodeImageFile(source.Path);
        if (!decoded.ok())
            return {QImage(), decoded.error};
        picture.FullSize = decoded.image.size();
        picture.Image = std::move(decoded.image);
    }
    QImage image = ComposeFrame(Layout, pictures);
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

} // namespace exporting
