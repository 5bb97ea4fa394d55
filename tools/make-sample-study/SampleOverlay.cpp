#include "tools/make-sample-study/SampleOverlay.h"

#include "tools/make-sample-study/SampleScene.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace samplestudy {

namespace {

QFont LabelFont(int pixelHeight)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(6, pixelHeight));
    return font;
}

} // namespace

QImage RenderLabel(const QString& text, int pixelHeight)
{
    const QFont font = LabelFont(pixelHeight);
    const QFontMetrics metrics(font);
    const int pad = std::max(2, pixelHeight / 4);
    QImage label(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + 2 * pad,
                 QImage::Format_ARGB32_Premultiplied);
    label.fill(qRgba(0, 0, 0, 140));
    QPainter painter(&label);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pad, pad + metrics.ascent(), text);
    return label;
}

QImage RenderLegend(int frameHeight)
{
    const int textSize = std::max(6, frameHeight / 34);
    const QFont font = LabelFont(textSize);
    const QFontMetrics metrics(font);
    const int pad = std::max(2, textSize / 2);
    const int barWidth = std::max(6, frameHeight / 30);
    const int barHeight = std::max(20, frameHeight * 6 / 10);
    const QString labels[4] = {QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("1000"),
                               QStringLiteral("10000")};
    int textWidth = metrics.horizontalAdvance(QStringLiteral("lux"));
    for (const QString& l : labels)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(l));
    const int width = pad + barWidth + pad + textWidth + pad;
    const int height = pad + metrics.height() + pad + barHeight + metrics.height() / 2 + pad;

    QImage legend(width, height, QImage::Format_ARGB32_Premultiplied);
    legend.fill(qRgba(0, 0, 0, 160));
    QPainter painter(&legend);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pad, pad + metrics.ascent(), QStringLiteral("lux"));
    const int barTop = pad + metrics.height() + pad;
    for (int y = 0; y < barHeight; ++y) {
        // Top of the bar is the brightest value.
        const double lux = std::pow(10.0, 4.0 - 3.0 * y / (barHeight - 1));
        painter.fillRect(pad, barTop + y, barWidth, 1, QColor(PseudoColour(lux)));
    }
    for (int i = 0; i < 4; ++i) {
        const int y = barTop + (barHeight - 1) * (3 - i) / 3;
        painter.drawLine(pad + barWidth, y, pad + barWidth + pad / 2, y);
        painter.drawText(pad + barWidth + pad, y + metrics.ascent() / 2 - 1, labels[i]);
    }
    return legend;
}

void BlendOverlay(QImage& frame, const QImage& overlay, int x, int y)
{
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(frame.width(), x + overlay.width());
    const int y1 = std::min(frame.height(), y + overlay.height());
    for (int fy = y0; fy < y1; ++fy) {
        uchar* dst = frame.scanLine(fy);
        const auto* src = reinterpret_cast<const QRgb*>(overlay.constScanLine(fy - y));
        for (int fx = x0; fx < x1; ++fx) {
            const QRgb s = src[fx - x];
            const int keep = 255 - qAlpha(s);
            uchar* p = dst + 3 * fx;
            p[0] = static_cast<uchar>(qRed(s) + (p[0] * keep + 127) / 255);
            p[1] = static_cast<uchar>(qGreen(s) + (p[1] * keep + 127) / 255);
            p[2] = static_cast<uchar>(qBlue(s) + (p[2] * keep + 127) / 255);
        }
    }
}

} // namespace samplestudy
