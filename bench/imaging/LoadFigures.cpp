#include "bench/imaging/BenchFigures.h"

#include "platform/imaging/FrameLoader.h"
#include "tools/make-sample-study/SampleStudyWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <thread>
#include <vector>

namespace bench {

QStringList BenchFrames(const QString& name, int count, int width, int height)
{
    const QString folder = QStringLiteral(HALVEX_BENCH_DATA_DIR "/") + name;
    const QStringList pattern{QStringLiteral("*_v1_*_rgb.jpg")};
    QStringList files = QDir(folder).entryList(pattern, QDir::Files, QDir::Name);
    if (files.size() < count) {
        std::printf("making %d frames of %dx%d in %s ...\n", count, width, height, qPrintable(folder));
        std::fflush(stdout);
        QDir(folder).removeRecursively();
        samplestudy::SampleStudyOptions o;
        o.outputFolder = folder;
        o.studyName = QStringLiteral("Bench ") + name;
        o.views = 1;
        o.times = 10;
        o.dates = (count + 9) / 10;
        o.pseudo = false;
        o.width = width;
        o.height = height;
        const auto result = samplestudy::WriteSampleStudy(o);
        if (!result.ok()) {
            std::fprintf(stderr, "cannot make the frames: %s\n", qPrintable(result.error));
            return {};
        }
        files = QDir(folder).entryList(pattern, QDir::Files, QDir::Name);
    }
    QStringList paths;
    for (int i = 0; i < count && i < files.size(); ++i)
        paths << folder + u'/' + files[i];
    return paths;
}

namespace {

// The least work that yields the frames in memory: read the file, decode into a
// fresh buffer, keep it.
double BareTurboJpegLoad(const QStringList& paths)
{
    const auto start = std::chrono::steady_clock::now();
    tjhandle tj = tjInitDecompress();
    std::vector<std::unique_ptr<unsigned char[]>> frames;
    QByteArray bytes;
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        bytes = file.readAll();
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        int w = 0, h = 0, sub = 0, cs = 0;
        if (tjDecompressHeader3(tj, data, bytes.size(), &w, &h, &sub, &cs) != 0)
            std::abort();
        frames.emplace_back(new unsigned char[std::size_t(w) * h * 3]);
        if (tjDecompress2(tj, data, bytes.size(), frames.back().get(), w, w * 3, h, TJPF_RGB, 0) != 0)
            std::abort();
    }
    const double seconds = SecondsSince(start);
    tjDestroy(tj);
    return seconds;
}

double LoaderLoad(const QStringList& paths, int workers, std::vector<QImage>& frames)
{
    frames.clear();
    frames.reserve(paths.size());
    const imaging::FrameLoader loader(workers);
    const auto start = std::chrono::steady_clock::now();
    const auto outcome =
        loader.Load(paths, [&frames](int, const QImage& image) { frames.push_back(image); });
    const double seconds = SecondsSince(start);
    if (!outcome.ok()) {
        std::fprintf(stderr, "load failed: %s\n", qPrintable(outcome.error));
        std::abort();
    }
    return seconds;
}

} // namespace

void RunLoadFigures(const QStringList& paths, int rounds)
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<QImage> frames;

    // Memory first, in a fresh process, before freed blocks blur the count.
    malloc_trim(0);
    const std::int64_t before = ResidentBytes();
    LoaderLoad(paths, 0, frames);
    const std::int64_t held = ResidentBytes() - before;
    const double pixelBytes = double(frames.front().width()) * frames.front().height() * 3;
    const double imageBytes = double(frames.front().sizeInBytes());
    frames.clear();
    malloc_trim(0);

    double single = 1e9, pool = 1e9, bare = 1e9;
    for (int r = 0; r < rounds; ++r) {
        single = std::min(single, LoaderLoad(paths, 1, frames));
        frames.clear();
        malloc_trim(0);
        pool = std::min(pool, LoaderLoad(paths, 0, frames));
        frames.clear();
        malloc_trim(0);
        bare = std::min(bare, BareTurboJpegLoad(paths));
        malloc_trim(0);
    }
    const double ideal = bare / cores;
    std::printf("cores                                   %d\n", cores);
    std::printf("single-thread load                      %.3f s\n", single);
    std::printf("worker-pool load                        %.3f s\n", pool);
    std::printf("bare TurboJPEG loop (one thread)        %.3f s\n", bare);
    std::printf("speed-up, pool over one thread          %.2f   (target >= 1.7)\n", single / pool);
    std::printf("pool load / (bare loop / cores)         %.3f  (target <= 1.15)\n", pool / ideal);
    std::printf("image bytes per frame / (w*h*3)         %.4f\n", imageBytes / pixelBytes);
    std::printf("resident bytes per frame / (w*h*3)      %.4f  (target <= 1.1)\n",
                held / double(paths.size()) / pixelBytes);
    std::printf("(best of %d rounds each)\n", rounds);
}

} // namespace bench
