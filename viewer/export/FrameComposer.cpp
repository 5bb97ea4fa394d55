#include "viewer/export/FrameComposer.h"

#include <QFont>
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

// The caption's text size for a cell: about a thirtieth of its height, so the
// text neither swamps a small panel nor vanishes in a large one.
int CaptionPixelSize(const QRect& cell)
{
    return std::clamp(RoundToInt(cell.height() / 30.0), 10, 72);
}

QFont CaptionFont(int pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

void DrawMissingTile(QPainter& painter, const QRect& cell, const QString& name)
{
    painter.fillRect(cell, QColor(48, 48, 48));
    QFont font = CaptionFont(std::clamp(RoundToInt(cell.height() / 16.0), 10, 96));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(230, 230, 230));
    const QFontMetrics metrics(font);
    const QRect upper(cell.left(), cell.center().y() - metrics.height(), cell.width(), metrics.height());
    painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Image missing"));
    font.setBold(false);
    painter.setFont(font);
    const QString elided = QFontMetrics(font).elidedText(name, Qt::ElideMiddle, cell.width() - 8);
    painter.drawText(QRect(cell.left(), cell.center().y(), cell.width(), metrics.height() * 2),
                     Qt::AlignHCenter | Qt::AlignTop, elided);
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
        out.Cells.push_back({QRect(left, top, right - left, bottom - top), c.ZoomPercent});
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
    return {cell.Cell.left() + (cell.Cell.width() - w) / 2.0, cell.Cell.top() + (cell.Cell.height() - h) / 2.0, w, h};
}

QSize NeededImageSize(const PanelCell& cell, QSize full, double scale)
{
    const QRectF target = ImageRectInCell(cell, full, scale);
    if (target.isEmpty())
        return {};
    return QSize(std::min(full.width(), static_cast<int>(std::ceil(target.width()))),
                 std::min(full.height(), static_cast<int>(std::ceil(target.height()))));
}

int CaptionBandHeight(const QRect& cell)
{
    return RoundToInt(CaptionPixelSize(cell) * 1.7);
}

void DrawCaption(QImage& frame, const QRect& cell, const QString& caption)
{
    if (caption.isEmpty() || cell.isEmpty())
        return;
    QPainter painter(&frame);
    painter.setClipRect(cell);
    const int pixelSize = CaptionPixelSize(cell);
    const int band = std::min(cell.height(), CaptionBandHeight(cell));
    const QRect strip(cell.left(), cell.bottom() + 1 - band, cell.width(), band);
    painter.fillRect(strip, QColor(0, 0, 0, 170));
    const QFont font = CaptionFont(pixelSize);
    painter.setFont(font);
    painter.setPen(QColor(250, 250, 250));
    const int pad = std::max(3, pixelSize / 2);
    const QRect text = strip.adjusted(pad, 0, -pad, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font).elidedText(caption, Qt::ElideRight, text.width()));
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
        if (!picture.Missing.isEmpty()) {
            paint().setClipRect(cell.Cell);
            DrawMissingTile(*painter, cell.Cell, picture.Missing);
            continue;
        }
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
    for (std::size_t i = 0; i < count; ++i)
        DrawCaption(frame, layout.Cells[i].Cell, pictures[i].Caption);
}

} // namespace exporting
