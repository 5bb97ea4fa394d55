#include "viewer/window/MissingImageTile.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace viewer {

QSize DefaultTileSize()
{
    // The panels' own aspect (1.63 to 1).
    return {978, 600};
}

QImage MissingImageTile(const QString& name, QSize size, const QString& title)
{
    if (size.isEmpty())
        size = DefaultTileSize();
    QImage tile(size, QImage::Format_RGB888);
    tile.fill(QColor(58, 58, 64));
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);

    // A frame crossed out, as the picture that is not there.
    const int side = std::min(size.width(), size.height());
    const QRectF mark(size.width() / 2.0 - side * 0.12, size.height() * 0.22, side * 0.24, side * 0.18);
    painter.setPen(QPen(QColor(150, 150, 160), std::max(2, side / 150)));
    painter.drawRect(mark);
    painter.drawLine(mark.topLeft(), mark.bottomRight());
    painter.drawLine(mark.bottomLeft(), mark.topRight());

    QFont heading;
    heading.setPixelSize(std::max(12, side / 9));
    heading.setBold(true);
    painter.setFont(heading);
    painter.setPen(QColor(235, 235, 240));
    const QRect titleRect(0, static_cast<int>(mark.bottom()) + side / 20, size.width(), side / 6);
    painter.drawText(titleRect, Qt::AlignCenter, title);

    QFont small;
    small.setPixelSize(std::max(10, side / 20));
    painter.setFont(small);
    painter.setPen(QColor(200, 200, 208));
    const QString shown = name.isEmpty() ? QStringLiteral("(the study names no file)") : name;
    const QFontMetrics metrics(small);
    const int margin = size.width() / 20;
    const QString elided = metrics.elidedText(shown, Qt::ElideMiddle, size.width() - 2 * margin);
    painter.drawText(QRect(margin, titleRect.bottom() + side / 40, size.width() - 2 * margin, side / 8),
                     Qt::AlignHCenter | Qt::AlignTop, elided);
    return tile;
}

} // namespace viewer
