// export_bench: frames per second of exporting a four-panel study to MP4 (each
// 1920x1080 JPEG decoded, four composed into one 1920x1080 frame, encoded with
// libx264) against the ffmpeg command line encoding the same frames, already
// composed, from PNG files with libx264 at the same preset, quality, key frame
// interval and colour conversion. Prints the ratio measured in this one run.
//   export_bench [--frames N] [--preset NAME] [--crf N]
#include "platform/imaging/ImageDecoder.h"
#include "tools/make-sample-study/SampleStudyWriter.h"
#include "viewer/export/AnimationExport.h"
#include "viewer/study/StudyReader.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kFramesPerSecond = 10;

struct Timing {
    double wall = 0;
    double cpu = 0; // user and system time of every thread
};

double Seconds(const timeval& t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double CpuOf(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

QString StudyFolder(int frames)
{
    const QString folder = QStringLiteral(HALVEX_BENCH_DATA_DIR "/study1920");
    const QString dvf = folder + QStringLiteral("/Export Bench.dvf");
    study::StudyRecord record;
    QString error;
    if (QFileInfo::exists(dvf)) {
        study::ReadStudyFile(record, dvf, error);
        if (error.isEmpty() && record.SampleCount() >= frames)
            return dvf;
    }
    std::printf("making a study of 4 views x %d frames at 1920x1080 in %s ...\n", frames, qPrintable(folder));
    std::fflush(stdout);
    QDir(folder).removeRecursively();
    samplestudy::SampleStudyOptions o;
    o.outputFolder = folder;
    o.studyName = QStringLiteral("Export Bench");
    o.views = 4;
    o.times = 10;
    o.dates = (frames + 9) / 10;
    o.pseudo = false;
    o.width = 1920;
    o.height = 1080;
    o.overwrite = true;
    const auto result = samplestudy::WriteSampleStudy(o);
    if (!result.ok()) {
        std::fprintf(stderr, "cannot make the study: %s\n", qPrintable(result.error));
        return {};
    }
    return result.dvfPath;
}

// The composed frames as PNG files, made once and kept for later runs.
QString PngFrames(const exporting::ExportScene& scene, int frames)
{
    const QString folder = QStringLiteral(HALVEX_BENCH_DATA_DIR "/png1920-%1").arg(frames);
    if (QDir(folder).entryList({QStringLiteral("frame*.png")}, QDir::Files).size() == frames)
        return folder;
    std::printf("composing %d frames into PNG files in %s ...\n", frames, qPrintable(folder));
    std::fflush(stdout);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (int k = 1; k <= frames; ++k) {
        const exporting::RenderedFrame frame = scene.Render(k);
        const QString name = folder + QStringLiteral("/frame%1.png").arg(k, 4, 10, QLatin1Char('0'));
        if (!frame.ok() || !QImageWriter(name, "png").write(frame.Image)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return {};
        }
    }
    return folder;
}

Timing OurExport(const exporting::ExportScene& scene, int frames, const QString& out, const QString& preset, int crf)
{
    exporting::AnimationRequest request;
    request.Path = out;
    for (int k = 1; k <= frames; ++k)
        request.Frames << k;
    request.Encoder.format = exporting::AnimationFormat::Mp4;
    request.Encoder.rate = {kFramesPerSecond, 1};
    request.Encoder.preset = preset;
    request.Encoder.crf = crf;
    const double cpu = CpuOf(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    const exporting::ExportOutcome outcome = exporting::ExportAnimation(scene, request);
    Timing t;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.cpu = CpuOf(RUSAGE_SELF) - cpu;
    if (!outcome.ok()) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(outcome.Error));
        std::exit(1);
    }
    return t;
}

Timing FfmpegExport(const QString& pngFolder, const QString& out, const QString& preset, int crf)
{
    const std::vector<std::string> args = {
        "ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-framerate", std::to_string(kFramesPerSecond),
        "-i", (pngFolder + QStringLiteral("/frame%04d.png")).toStdString(), "-c:v", "libx264",
        "-preset", preset.toStdString(), "-crf", std::to_string(crf), "-g", std::to_string(2 * kFramesPerSecond),
        // The same conversion into BT.709 video as the export makes, so both encode the same pictures.
        "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=bicubic", "-colorspace", "bt709",
        "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        "-pix_fmt", "yuv420p", "-movflags", "+faststart", out.toStdString()};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start ffmpeg\n");
        std::exit(1);
    }
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    Timing t;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        std::exit(1);
    }
    return t;
}

// Where one thread's time goes for a frame: reading the four headers and
// decoding at the cells' size, and the whole render with composition.
void RenderFigures(const exporting::ExportScene& scene, int frames)
{
    const double cpu0 = CpuOf(RUSAGE_THREAD);
    for (int k = 1; k <= frames; ++k) {
        for (std::size_t p = 0; p < scene.Panels.size(); ++p) {
            const QString& path = scene.Panels[p].Sources[k - 1].Path;
            const imaging::ImageHeader header = imaging::ReadImageHeader(path);
            imaging::DecodeImageFile(path, {imaging::ScaleToCover(header.size, scene.Layout.Cells[p].Cell.size())});
        }
    }
    const double cpu1 = CpuOf(RUSAGE_THREAD);
    for (int k = 1; k <= frames; ++k)
        scene.Render(k);
    const double cpu2 = CpuOf(RUSAGE_THREAD);
    std::printf("one thread, per frame: decode at cell size %.1f ms, whole render %.1f ms\n",
                (cpu1 - cpu0) * 1000 / frames, (cpu2 - cpu1) * 1000 / frames);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int frames = 200;
    int crf = 20;
    // The export's own default, and a fast one where decoding weighs more.
    QStringList presets{QStringLiteral("medium"), QStringLiteral("veryfast")};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames"))
            frames = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--preset"))
            presets = QStringList{QString::fromLocal8Bit(argv[i + 1])};
        else if (!std::strcmp(argv[i], "--crf"))
            crf = std::atoi(argv[i + 1]);
    }
    QGuiApplication app(argc, argv);

    const QString dvf = StudyFolder(frames);
    if (dvf.isEmpty())
        return 1;
    study::StudyRecord record;
    QString error;
    study::ReadStudyFile(record, dvf, error);
    std::vector<exporting::PanelSettings> panels;
    for (int v = 1; v <= 4; ++v)
        panels.push_back({v, exporting::DefaultChoice(record)});
    const exporting::ExportScene scene = exporting::ArrangedScene(
        record, QFileInfo(dvf).absolutePath() + QLatin1Char('/'), panels, QSize(1920, 1080), false);
    const QString pngs = PngFrames(scene, frames);
    if (pngs.isEmpty())
        return 1;

    const QString ours = QStringLiteral(HALVEX_BENCH_DATA_DIR "/ours.mp4");
    const QString theirs = QStringLiteral(HALVEX_BENCH_DATA_DIR "/ffmpeg.mp4");
    RenderFigures(scene, std::min(frames, 50));
    for (const QString& preset : presets) {
        std::printf("\n== %d frames, four 1920x1080 panels composed to %dx%d, libx264 preset %s, crf %d, %d fps\n",
                    frames, scene.Layout.Size.width(), scene.Layout.Size.height(), qPrintable(preset), crf,
                    kFramesPerSecond);
        const Timing a = OurExport(scene, frames, ours, preset, crf);
        const Timing b = FfmpegExport(pngs, theirs, preset, crf);
        std::printf("export (decode JPEG, compose, encode): %6.2f s  %6.1f frames/s  cpu %6.2f s  %8lld bytes\n",
                    a.wall, frames / a.wall, a.cpu, static_cast<long long>(QFileInfo(ours).size()));
        std::printf("ffmpeg (PNG of composed frames):       %6.2f s  %6.1f frames/s  cpu %6.2f s  %8lld bytes\n",
                    b.wall, frames / b.wall, b.cpu, static_cast<long long>(QFileInfo(theirs).size()));
        std::printf("throughput ratio export/ffmpeg: %.2fx (at least 1.0x wanted); cpu ratio ffmpeg/export %.2fx\n",
                    b.wall / a.wall, b.cpu / a.cpu);
        std::fflush(stdout);
    }
    return 0;
}
