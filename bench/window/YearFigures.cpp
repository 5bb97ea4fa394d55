// The window on a year-long study (4 views x 4,380 frames at 1920x1080, made by
// imaging_bench --only study or make-sample-study --pool) against a short one
// of the same frames: opening to four first frames, peak memory against the
// budget, Next Frame with read-ahead, and playback at a 0.1 s delay, all
// through the window's own commands.
#include "bench/imaging/BareDecode.h"
#include "bench/window/WindowBenchSupport.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

namespace {

// Longer than any frame takes on the slowest machine: a panel that waits this
// long is stuck, and the figures say so rather than wait for ever.
constexpr qint64 kStalledMilliseconds = 20000;

bool FramesShown(const viewer::frmDSFViewer& window)
{
    for (int i = 0; i < viewer::kPanelCount; ++i) {
        const imaging::ImagingControl* panel = window.LEADV(i);
        if (!panel->isHidden() && !panel->ShownFrameReady())
            return false;
    }
    return true;
}

void ReportStall(const viewer::frmDSFViewer& window, const char* when)
{
    std::fprintf(stderr, "window_bench: the panels stalled %s\n", when);
    for (int i = 0; i < viewer::kPanelCount; ++i) {
        const imaging::ImagingControl* panel = window.LEADV(i);
        std::fprintf(stderr, "  panel %d: hidden %d, shown %d, at %d of %d\n", i + 1, int(panel->isHidden()),
                     int(panel->ShownFrameReady()), panel->ShownPosition() + 1, panel->ImageCount());
    }
}

bool PumpUntilShown(const viewer::frmDSFViewer& window, const char* when)
{
    QElapsedTimer waited;
    waited.start();
    while (!FramesShown(window)) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (waited.elapsed() > kStalledMilliseconds) {
            ReportStall(window, when);
            return false;
        }
    }
    return true;
}

double OpenSeconds(BenchWindow& bench, const QString& dvf)
{
    bench.module.CurrentFolder = QFileInfo(dvf).path() + QLatin1Char('/');
    const auto start = std::chrono::steady_clock::now();
    bench.window->msbLoadAndDisplay(dvf);
    if (!PumpUntilShown(*bench.window, "opening"))
        return -1;
    return SecondsSince(start);
}

double Percentile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::size_t(q * double(values.size() - 1))];
}

} // namespace

bool RunYearFigures(const QString& year, const QString& shortStudy, qint64 budget)
{
    // The first round warms the file cache; the best of the others counts, as
    // for the bare decode it is set against.
    double openShort = 1e9;
    for (int round = 0; round < 4; ++round) {
        BenchWindow bench;
        bench.window->Frames().Cache().SetBudget(budget);
        const double seconds = OpenSeconds(bench, shortStudy);
        if (seconds < 0)
            return false;
        openShort = std::min(openShort, seconds);
    }
    const double bare = BareFirstFrames(shortStudy, viewer::kPanelCount);
    ResetPeakResident();
    const std::int64_t baseline = ResidentBytes();
    BenchWindow bench;
    bench.window->Frames().Cache().SetBudget(budget);
    const double openYear = OpenSeconds(bench, year);
    if (openYear < 0)
        return false;
    const int total = bench.module.TotalFrames;
    if (!bench.ui.messages.empty()) {
        std::fprintf(stderr, "window_bench: %s\n", qPrintable(bench.ui.messages.back().text));
        return false;
    }

    // Right held down at about 25 steps a second: each step until all four
    // panels have painted it, then the rest of the 40 ms for read-ahead.
    std::vector<double> step;
    for (int i = 0; i < 200; ++i) {
        const auto start = std::chrono::steady_clock::now();
        bench.window->cmdNext_Click();
        if (!PumpUntilShown(*bench.window, "stepping"))
            return false;
        for (int p = 0; p < viewer::kPanelCount; ++p)
            bench.window->LEADV(p)->Repaint();
        step.push_back(SecondsSince(start) * 1000);
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 40)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, int(40 - idle.elapsed()));
    }

    // Playback at 0.1 s from frame 1000, 200 frames; each frame is due one
    // delay after the one before it was shown. The recording interface's
    // clock is moved by hand: here it follows the real one.
    auto* delay = bench.window->findChild<QLineEdit*>(QStringLiteral("txtDelay"));
    delay->setText(QStringLiteral(" .1"));
    bench.module.CurrentFrame = 1000;
    std::vector<std::chrono::steady_clock::time_point> shownAt;
    QObject::connect(bench.window.get(), &viewer::frmDSFViewer::PlaybackFrameShown,
                     [&](int) { shownAt.push_back(std::chrono::steady_clock::now()); });
    const auto clockStart = std::chrono::steady_clock::now();
    bench.ui.now = 0;
    bench.window->cmdPlay_Click();
    QElapsedTimer sinceFrame;
    sinceFrame.start();
    std::size_t seen = 0;
    while (shownAt.size() < 201 && bench.module.PlaybackRunning) {
        bench.ui.now = SecondsSince(clockStart);
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        if (shownAt.size() != seen) {
            seen = shownAt.size();
            sinceFrame.restart();
        } else if (sinceFrame.elapsed() > kStalledMilliseconds) {
            ReportStall(*bench.window, "during playback");
            return false;
        }
    }
    bench.window->cmdStop_Click();
    while (bench.module.PlaybackRunning) {
        bench.ui.now = SecondsSince(clockStart);
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    }
    std::vector<double> late;
    for (std::size_t i = 1; i < shownAt.size(); ++i)
        late.push_back(std::chrono::duration<double, std::milli>(shownAt[i] - shownAt[i - 1]).count() - 100.0);
    const double peakAbove = Megabytes(PeakResidentBytes() - baseline);

    const auto onTime = std::count_if(late.begin(), late.end(), [](double ms) { return ms <= 20; });
    std::printf("== the window on a year (%d frames a panel) against a short study, budget %.0f MB\n", total,
                budget / 1048576.0);
    std::printf("open to four first frames, short        %.3f s\n", openShort);
    std::printf("open to four first frames, year         %.3f s\n", openYear);
    std::printf("year - short                            %.3f s  (target <= 0.5 s)\n", openYear - openShort);
    std::printf("bare TurboJPEG, the four first frames   %.3f s\n", bare);
    std::printf("short open / bare decode                %.2f   (target <= 3)\n", openShort / bare);
    std::printf("peak resident above the start           %.0f MB\n", peakAbove);
    std::printf("peak above start / (budget + 300 MB)    %.2f  (target <= 1)\n",
                peakAbove / (budget / 1048576.0 + 300));
    std::printf("Next Frame with read-ahead, 200 steps   median %.1f ms, p99 %.1f ms  (targets 10, 30)\n",
                Percentile(step, 0.5), Percentile(step, 0.99));
    if (!late.empty())
        std::printf("playback at 0.1 s, %zu frames           %.1f%% within 20 ms of due  (target >= 95%%)\n",
                    late.size(), 100.0 * double(onTime) / double(late.size()));
    return true;
}

} // namespace bench
