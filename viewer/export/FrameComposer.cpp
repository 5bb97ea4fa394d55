#include "viewer/export/FrameComposer.h"

#include "viewer/window/MissingImageTile.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace exporting {

namespace {

int RoundToInt(double value)
{
    return static_cast<int>(std::lround(value));
}

QFont CaptionFont(const QRect& cell, double scale, bool bold)
{
    QFont font = QGuiApplication::font();
    const int screen = QFontInfo(font).pixelSize();
    font.setPixelSize(std::max(RoundToInt(screen * scale), RoundToInt(cell.height() / 40.0)));
    font.setBold(bold);
    return font;
}

// The pixels of `image` that land on `visible` when the whole image covers
// `target`, at exactly visible's size.
QImage VisiblePart(const QImage& image, const QRectF& target, const QRect& visible)
{
    if (visible.size() == image.size() && target.toRect() == visible)
        return image;
    const double sx = image.width() / target.width();
    const double sy = image.height() / target.height();
    const QRectF source((visible.left() - target.left()) * sx, (visible.top() - target.top()) * sy,
                        visible.width() * sx, visible.height() * sy);
    QRect part = source.toAlignedRect().intersected(image.rect());
    if (part.isEmpty())
        return {};
    QImage cut = part == image.rect() ? image : image.copy(part);
    // Qt's smooth scaling is many times faster from 32-bit pixels than from packed 24-bit ones.
    if (cut.format() != QImage::Format_RGB32 && cut.format() != QImage::Format_ARGB32)
        cut = cut.convertToFormat(QImage::Format_RGB32);
    if (cut.size() == visible.size())
        return cut;
    return cut.scaled(visible.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

FrameLayout ArrangePanels(int count, QSize cell)
{
    FrameLayout layout;
    if (count < 1 || count > 4 || cell.isEmpty())
        return layout;
    const int w = cell.width();
    const int h = cell.height();
    if (count == 4) {
        layout.Size = QSize(2 * w, 2 * h);
        for (int k = 0; k < 4; ++k)
            layout.Cells.push_back({QRect((k % 2) * w, (k / 2) * h, w, h), 0});
    } else {
        layout.Size = QSize(w, count * h);
        for (int k = 0; k < count; ++k)
            layout.Cells.push_back({QRect(0, k * h, w, h), 0});
    }
    return layout;
}

FrameLayout ResizeLayout(const FrameLayout& layout, QSize size)
{
    FrameLayout out;
    out.Size = size;
    if (layout.Size.isEmpty() || size.isEmpty())
        return out;
    const double sx = double(size.width()) / layout.Size.width();
    const double sy = double(size.height()) / layout.Size.height();
    out.Scale = layout.Scale * std::min(sx, sy);
    for (const PanelCell& c : layout.Cells) {
        // Edges are rounded, not sizes, so cells that touched still touch.
        const int left = RoundToInt(c.Cell.left() * sx);
        const int top = RoundToInt(c.Cell.top() * sy);
        const int right = RoundToInt((c.Cell.left() + c.Cell.width()) * sx);
        const int bottom = RoundToInt((c.Cell.top() + c.Cell.height()) * sy);
        out.Cells.push_back({QRect(left, top, right - left, bottom - top), c.ZoomPercent, c.Centre});
    }
    return out;
}

QSize FitInside(QSize size, QSize box)
{
    if (size.isEmpty() || box.isEmpty())
        return {};
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QRectF ImageRectInCell(const PanelCell& cell, QSize full, double scale)
{
    if (full.isEmpty() || cell.Cell.isEmpty())
        return {};
    const double iw = full.width();
    const double ih = full.height();
    const double s = cell.ZoomPercent > 0 ? cell.ZoomPercent / 100.0 * scale
                                          : std::min(cell.Cell.width() / iw, cell.Cell.height() / ih);
    const double w = iw * s;
    const double h = ih * s;
    const QPointF centre = cell.ZoomPercent > 0 ? cell.Centre : QPointF(0.5, 0.5);
    return {cell.Cell.left() + cell.Cell.width() / 2.0 - centre.x() * w,
            cell.Cell.top() + cell.Cell.height() / 2.0 - centre.y() * h, w, h};
}

QSize NeededImageSize(const PanelCell& cell, QSize full, double scale)
{
    const QRectF target = ImageRectInCell(cell, full, scale);
    if (target.isEmpty())
        return {};
    return QSize(std::min(full.width(), static_cast<int>(std::ceil(target.width()))),
                 std::min(full.height(), static_cast<int>(std::ceil(target.height()))));
}

QRect CaptionBox(const QRect& cell, const QRectF& image, const viewer::CaptionText& caption, double scale)
{
    if (caption.Text.isEmpty() || cell.isEmpty())
        return {};
    const QFont font = CaptionFont(cell, scale, caption.OtherMoment);
    const QRect text = QFontMetrics(font).boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop,
                                                       caption.Text);
    const int padding = RoundToInt(viewer::kCaptionPadding * std::max(1.0, scale));
    const int margin = RoundToInt(viewer::kCaptionMargin * std::max(1.0, scale));
    QRectF area = image.intersected(QRectF(cell));
    if (area.isEmpty())
        area = QRectF(cell);
    const QPoint corner(std::max(cell.left(), static_cast<int>(area.left()) + margin),
                        std::max(cell.top(), static_cast<int>(area.top()) + margin));
    return QRect(corner, QSize(text.width() + 2 * padding, text.height() + 2 * padding)).intersected(cell);
}

void DrawCaption(QImage& frame, const QRect& cell, const QRectF& image, const viewer::CaptionText& caption,
                 double scale)
{
    const QRect box = CaptionBox(cell, image, caption, scale);
    if (box.isEmpty())
        return;
    QPainter painter(&frame);
    painter.setClipRect(box);
    painter.fillRect(box, viewer::CaptionBoxColour(caption.OtherMoment));
    painter.setFont(CaptionFont(cell, scale, caption.OtherMoment));
    painter.setPen(viewer::CaptionTextColour(caption.OtherMoment));
    const int padding = RoundToInt(viewer::kCaptionPadding * std::max(1.0, scale));
    painter.drawText(box.adjusted(padding, padding, -padding, -padding), Qt::AlignLeft | Qt::AlignTop, caption.Text);
}

PanelPicture MissingPicture(const PanelCell& cell, QSize full, double scale, const QString& name)
{
    if (full.isEmpty())
        full = viewer::DefaultTileSize();
    PanelPicture picture;
    picture.FullSize = full;
    picture.Image = viewer::MissingImageTile(name, NeededImageSize(cell, full, scale));
    return picture;
}

QImage ComposeFrame(const FrameLayout& layout, const std::vector<PanelPicture>& pictures)
{
    QImage frame(layout.Size, QImage::Format_RGB888);
    if (!frame.isNull())
        ComposeFrameInto(frame, layout, pictures);
    return frame;
}

void ComposeFrameInto(QImage& frame, const FrameLayout& layout, const std::vector<PanelPicture>& pictures)
{
    if (frame.format() == QImage::Format_RGB888)
        std::memset(frame.bits(), 0, static_cast<std::size_t>(frame.sizeInBytes())); // black
    else
        frame.fill(Qt::black);
    const std::size_t count = std::min(layout.Cells.size(), pictures.size());
    std::optional<QPainter> painter; // only where pixels are not simply copied
    const auto paint = [&]() -> QPainter& {
        if (!painter)
            painter.emplace(&frame);
        return *painter;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const PanelCell& cell = layout.Cells[i];
        const PanelPicture& picture = pictures[i];
        if (picture.Image.isNull())
            continue;
        const QSize full = picture.FullSize.isEmpty() ? picture.Image.size() : picture.FullSize;
        const QRectF target = ImageRectInCell(cell, full, layout.Scale);
        const QRectF shown = target.intersected(QRectF(cell.Cell));
        const QRect visible = QRect(QPoint(RoundToInt(shown.left()), RoundToInt(shown.top())),
                                    QPoint(RoundToInt(shown.right()) - 1, RoundToInt(shown.bottom()) - 1))
                                  .intersected(cell.Cell)
                                  .intersected(frame.rect());
        if (visible.isEmpty())
            continue;
        const QImage part = VisiblePart(picture.Image, target, visible);
        if (part.isNull())
            continue;
        if (part.format() == frame.format() && part.size() == visible.size()) {
            // Rows copied as they are: most frames of an export take this way.
            const qsizetype rowBytes = qsizetype(visible.width()) * frame.depth() / 8;
            const qsizetype offset = qsizetype(visible.left()) * frame.depth() / 8;
            for (int y = 0; y < visible.height(); ++y)
                std::memcpy(frame.scanLine(visible.top() + y) + offset, part.constScanLine(y),
                            static_cast<std::size_t>(rowBytes));
        } else {
            paint().setClipRect(cell.Cell);
            painter->drawImage(visible.topLeft(), part);
        }
    }
    painter.reset();
    for (std::size_t i = 0; i < count; ++i) {
        const PanelPicture& picture = pictures[i];
        const QSize full = picture.FullSize.isEmpty() ? picture.Image.size() : picture.FullSize;
        DrawCaption(frame, layout.Cells[i].Cell, ImageRectInCell(layout.Cells[i], full, layout.Scale),
                    picture.Caption, layout.Scale);
    }
}

} // namespace exporting
