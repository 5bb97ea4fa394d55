#include "platform/imaging/ImageComparison.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace imaging {

namespace {

constexpr int kLumaRed = 54;
constexpr int kLumaGreen = 183;
constexpr int kLumaBlue = 19;

inline int LumaOf(int r, int g, int b)
{
    return (kLumaRed * r + kLumaGreen * g + kLumaBlue * b + 128) >> 8;
}

QImage As24Bit(const QImage& image, QSize size)
{
    QImage out = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    if (out.size() != size)
        out = out.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

// One table lookup per pixel instead of the arithmetic: the colour map has only
// 511 entries, the absolute difference 256.
std::array<QRgb, 511> SignedTable(double gain)
{
    std::array<QRgb, 511> table{};
    for (int d = -255; d <= 255; ++d)
        table[d + 255] = SignedDifferenceColour(d, gain);
    return table;
}

std::array<std::uint8_t, 256> GainTable(double gain)
{
    std::array<std::uint8_t, 256> table{};
    for (int d = 0; d < 256; ++d)
        table[d] = static_cast<std::uint8_t>(std::clamp(std::lround(d * gain), 0L, 255L));
    return table;
}

} // namespace

int WipeSplitX(double fraction, int width)
{
    if (width <= 0)
        return 0;
    const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.5;
    return static_cast<int>(std::lround(f * width));
}

double WipeFractionAt(double x, int width)
{
    if (width <= 0 || !std::isfinite(x))
        return 0.5;
    return std::clamp(x / width, 0.0, 1.0);
}

bool NearWipeLine(double x, double fraction, int width)
{
    return width > 0 && std::abs(x - WipeSplitX(fraction, width)) <= kWipeGrabDistance;
}

int Luma(QRgb colour)
{
    return LumaOf(qRed(colour), qGreen(colour), qBlue(colour));
}

QRgb SignedDifferenceColour(int difference, double gain)
{
    const double t = std::clamp(difference * gain / 255.0, -1.0, 1.0);
    const QRgb end = t < 0 ? kDifferenceBrighterA : kDifferenceBrighterB;
    const double k = std::abs(t);
    const auto channel = [k](int value) { return static_cast<int>(std::lround(value * k)); };
    return qRgb(channel(qRed(end)), channel(qGreen(end)), channel(qBlue(end)));
}

QImage DifferenceImage(const QImage& a, const QImage& b, DifferenceKind kind, double gain)
{
    if (a.isNull() || b.isNull())
        return {};
    const QSize size = a.size();
    const QImage left = As24Bit(a, size);
    const QImage right = As24Bit(b, size);
    QImage out(size, QImage::Format_RGB888);
    if (out.isNull())
        return {};
    const int width = size.width();
    if (kind == DifferenceKind::Absolute) {
        const auto table = GainTable(gain);
        for (int y = 0; y < size.height(); ++y) {
            const uchar* p = left.constScanLine(y);
            const uchar* q = right.constScanLine(y);
            uchar* o = out.scanLine(y);
            for (int i = 0; i < width * 3; ++i)
                o[i] = table[std::abs(int(p[i]) - int(q[i]))];
        }
        return out;
    }
    const auto table = SignedTable(gain);
    for (int y = 0; y < size.height(); ++y) {
        const uchar* p = left.constScanLine(y);
        const uchar* q = right.constScanLine(y);
        uchar* o = out.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3, q += 3, o += 3) {
            const int d = LumaOf(q[0], q[1], q[2]) - LumaOf(p[0], p[1], p[2]);
            const QRgb c = table[d + 255];
            o[0] = static_cast<uchar>(qRed(c));
            o[1] = static_cast<uchar>(qGreen(c));
            o[2] = static_cast<uchar>(qBlue(c));
        }
    }
    return out;
}

} // namespace imaging
