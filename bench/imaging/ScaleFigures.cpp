// Frames decoded per second at the size an 800x450 panel shows them, against
// decoding them whole, and against a bare TurboJPEG call at the same scale.
#include "bench/imaging/BenchFigures.h"

#include "platform/imaging/ImageDecoder.h"

#include <QFile>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

namespace {

// Decodes every frame. With `keep` it holds them all, as read-ahead filling
// the cache does, so each frame takes memory of its own; without, each goes
// before the next, as in a full cache that turns over, where a new frame
// reuses the memory of the one evicted for it.
double DecodeAll(const QStringList& paths, imaging::DecodeScale scale, bool keep)
{
    std::vector<QImage> kept;
    const auto start = std::chrono::steady_clock::now();
    for (const QString& path : paths) {
        imaging::DecodedImage d = imaging::DecodeImageFile(path, {scale});
        if (!d.ok()) {
            std::fprintf(stderr, "decode failed: %s\n", qPrintable(d.error));
            std::abort();
        }
        if (keep)
            kept.push_back(std::move(d.image));
    }
    const double seconds = SecondsSince(start);
    return seconds;
}

double BareScaledDecode(const QStringList& paths, imaging::DecodeScale scale)
{
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> pixels;
    const auto start = std::chrono::steady_clock::now();
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        int w = 0, h = 0, sub = 0, cs = 0;
        if (tjDecompressHeader3(tj, data, bytes.size(), &w, &h, &sub, &cs) != 0)
            std::abort();
        const QSize size = imaging::ScaledSize({w, h}, scale);
        pixels.resize(std::size_t(size.width()) * size.height() * 3);
        if (tjDecompress2(tj, data, bytes.size(), pixels.data(), size.width(), 0, size.height(), TJPF_RGB, 0) != 0)
            std::abort();
    }
    const double seconds = SecondsSince(start);
    tjDestroy(tj);
    return seconds;
}

} // namespace

void RunScaleFigures(const QStringList& paths, int rounds)
{
    const QSize panel(800, 450);
    const QSize full = imaging::ReadImageHeader(paths.front()).size;
    const imaging::DecodeScale scale = imaging::ScaleToCover(full, full.scaled(panel, Qt::KeepAspectRatio));
    double whole = 1e9, scaled = 1e9, wholeKept = 1e9, scaledKept = 1e9, bare = 1e9;
    for (int r = 0; r < rounds; ++r) {
        wholeKept = std::min(wholeKept, DecodeAll(paths, imaging::DecodeScale::Full, true));
        scaledKept = std::min(scaledKept, DecodeAll(paths, scale, true));
        whole = std::min(whole, DecodeAll(paths, imaging::DecodeScale::Full, false));
        scaled = std::min(scaled, DecodeAll(paths, scale, false));
        bare = std::min(bare, BareScaledDecode(paths, scale));
    }
    const double n = paths.size();
    const QSize out = imaging::ScaledSize(full, scale);
    std::printf("frame %dx%d for a %dx%d panel: decoded at 1/%d, %dx%d\n", full.width(), full.height(),
                panel.width(), panel.height(), static_cast<int>(scale), out.width(), out.height());
    std::printf("filling the cache (every frame kept)\n");
    std::printf("  full-size decode                      %.1f frames/s\n", n / wholeKept);
    std::printf("  decode at panel size                  %.1f frames/s\n", n / scaledKept);
    std::printf("  panel size / full size                %.2fx  (target >= 2.5)\n", wholeKept / scaledKept);
    std::printf("a full cache turning over (memory reused)\n");
    std::printf("  full-size decode                      %.1f frames/s\n", n / whole);
    std::printf("  decode at panel size                  %.1f frames/s\n", n / scaled);
    std::printf("  panel size / full size                %.2fx\n", whole / scaled);
    std::printf("bare TurboJPEG at the same scale        %.1f frames/s  (one buffer for all)\n", n / bare);
    std::printf("ours turning over / bare TurboJPEG      %.2f   (1 is the library's own speed)\n", bare / scaled);
    std::printf("(one thread, %d frames, best of %d rounds)\n", static_cast<int>(paths.size()), rounds);
}

} // namespace bench
