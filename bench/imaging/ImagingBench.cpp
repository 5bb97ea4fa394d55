// imaging_bench: how fast a panel loads its frames, how fast Next Frame
// paints four panels and how fast four zoomed panels pan. Prints ratios
// measured in this one run.
//   imaging_bench [--frames N] [--rounds N] [--steps N] [--budget-mb N] [--only load|paint|scale|study|pan]
#include "bench/imaging/BenchFigures.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace bench {

std::int64_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

} // namespace bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int frames = 500, rounds = 3, steps = 200, budgetMb = 512;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames"))
            frames = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--rounds"))
            rounds = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--steps"))
            steps = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--budget-mb"))
            budgetMb = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--only"))
            only = argv[i + 1];
    }
    QApplication app(argc, argv);

    if (only.empty() || only == "pan") {
        std::printf("== panning four linked, zoomed panels of 1920x1080 frames in a 1600x1000 window\n");
        const QStringList hd = bench::BenchFrames(QStringLiteral("paint1920"), 40, 1920, 1080);
        if (hd.isEmpty())
            return 1;
        bench::RunPanFigures(hd, steps);
        if (only == "pan")
            return 0;
        std::printf("\n");
    }
    if (only == "study") {
        std::printf("== frames on demand: a year of 4 x 4,380 frames at 1920x1080 against 27 frames\n");
        bench::RunStudyFigures(qint64(budgetMb) << 20, steps);
        return 0;
    }
    if (only.empty() || only == "scale") {
        std::printf("== decode at the size shown, 1920x1080 frames\n");
        const QStringList hd = bench::BenchFrames(QStringLiteral("paint1920"), 40, 1920, 1080);
        if (hd.isEmpty())
            return 1;
        bench::RunScaleFigures(hd, rounds);
        if (only == "scale")
            return 0;
        std::printf("\n");
    }
    if (only != "paint") {
        std::printf("== loading %d frames of 1280x720 into one panel\n", frames);
        const QStringList loadFrames =
            bench::BenchFrames(QStringLiteral("load1280"), frames, 1280, 720);
        if (loadFrames.isEmpty())
            return 1;
        bench::RunLoadFigures(loadFrames, rounds);
    }
    if (only == "load")
        return 0;

    std::printf("\n== Next Frame, four panels of 1920x1080 frames in a 1600x1000 window\n");
    const QStringList paintFrames = bench::BenchFrames(QStringLiteral("paint1920"), 40, 1920, 1080);
    if (paintFrames.isEmpty())
        return 1;
    bench::RunPaintFigures(paintFrames, steps);
    return 0;
}
