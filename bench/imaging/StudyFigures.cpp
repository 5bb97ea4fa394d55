// Frames on demand on a year-long study: four panels of a 1600x1000 window
// loaded as frame sources through the window's own selection and file checks,
// then opened, stepped and played against a 27-frame study of the same size.
#include "bench/imaging/BareDecode.h"
#include "bench/imaging/BenchFigures.h"

#include "platform/imaging/FrameLoader.h"
#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"
#include "tools/make-sample-study/SampleStudyWriter.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyReader.h"
#include "viewer/window/ImageSelection.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace bench {

namespace {

constexpr int kPanels = 4;

std::int64_t PeakResident()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    }
    return -1;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

QString MakeStudy(const QString& name, int dates, int times, int pool)
{
    const QString folder = QStringLiteral(HALVEX_BENCH_DATA_DIR "/") + name;
    const QStringList existing = QDir(folder).entryList({QStringLiteral("*.dvf")}, QDir::Files);
    if (!existing.isEmpty())
        return folder + u'/' + existing.front();
    std::printf("making %s: 4 views x %d samples at 1920x1080 (pool %d) ...\n", qPrintable(name), dates * times, pool);
    std::fflush(stdout);
    QDir(folder).removeRecursively();
    samplestudy::SampleStudyOptions o;
    o.outputFolder = folder;
    o.studyName = QStringLiteral("Year ") + name;
    o.views = kPanels;
    o.dates = dates;
    o.times = times;
    o.firstHour = 6;
    o.lastHour = 17;
    o.pseudo = false;
    o.width = 1920;
    o.height = 1080;
    o.pool = pool;
    const auto result = samplestudy::WriteSampleStudy(o);
    if (!result.ok()) {
        std::fprintf(stderr, "cannot make the study: %s\n", qPrintable(result.error));
        return {};
    }
    return result.dvfPath;
}

// Four panels laid out as the window lays them out in a 1600x1000 window.
struct Panels {
    QWidget window;
    imaging::FrameScheduler scheduler;
    std::vector<imaging::ImagingControl*> panels;

    explicit Panels(qint64 budget) : scheduler(budget)
    {
        window.resize(1600, 1000);
        const int left = (3612 + 168) / 15;
        const int width = (1600 * 15 - 3612 - 324) / 2 / 15;
        const int height = qRound(width / 1.63);
        for (int p = 0; p < kPanels; ++p) {
            auto* panel = new imaging::ImagingControl(&window);
            panel->setGeometry(left + (p % 2) * width, 4 + (p / 2) * height, width, height);
            panel->SetFrameScheduler(&scheduler);
            panels.push_back(panel);
        }
        window.show();
        QApplication::processEvents();
    }

    bool AllShown() const
    {
        return std::all_of(panels.begin(), panels.end(), [](auto* p) { return p->ShownFrameReady(); });
    }
    // Runs the event loop until every panel shows its frame; then paints.
    void WaitAndPaint()
    {
        while (!AllShown())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (auto* p : panels)
            p->Repaint();
    }
    void Show(int frame)
    {
        for (auto* p : panels)
            p->SetShownPosition(std::min(frame, p->ImageCount() - 1));
        WaitAndPaint();
    }
};

// The window's loading path: read the study, pick each panel's files (with
// the file checks), read their headers into sources; then the first frames.
double Open(Panels& panels, const QString& dvf, int& frames)
{
    const auto start = std::chrono::steady_clock::now();
    study::StudyRecord record;
    QString error;
    study::ReadStudyFile(record, dvf, error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::abort();
    }
    const QString folder = QFileInfo(dvf).path() + u'/';
    const imaging::FrameLoader loader;
    study::StudyFolderIndex files(folder);
    for (int p = 0; p < kPanels; ++p) {
        const viewer::PanelFrames chosen = viewer::SelectPanelFrames(record.Views[p + 1], {1, 2, 1}, files);
        QStringList paths;
        for (const viewer::FramePosition& position : chosen.Positions) {
            if (!position.Missing())
                paths << position.Path;
        }
        std::vector<imaging::FrameSource> sources;
        sources.reserve(paths.size());
        const auto outcome = loader.LoadSources(paths, [&](int, const imaging::FrameSource& s) {
            sources.push_back(s);
        });
        if (!outcome.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
            std::abort();
        }
        panels.panels[p]->SetSources(std::move(sources));
    }
    panels.WaitAndPaint();
    frames = panels.panels[0]->ImageCount();
    return SecondsSince(start);
}

double Percentile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::size_t(q * (values.size() - 1))];
}

// Right held down: a step every `interval` ms, read-ahead working between them.
std::vector<double> Stepping(Panels& panels, int steps, int interval)
{
    std::vector<double> ms;
    panels.scheduler.SetDirection(+1);
    for (int i = 1; i <= steps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        panels.Show(i);
        ms.push_back(SecondsSince(start) * 1000);
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < interval)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, interval);
    }
    return ms;
}

// Playback at a 0.1 s delay: each frame is due one delay after the previous
// one was shown, and waits for its decode rather than being skipped.
std::vector<double> Playback(Panels& panels, int first, int frames)
{
    std::vector<double> lateness;
    panels.scheduler.SetDirection(+1);
    panels.Show(first);
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    for (int f = first + 1; f <= first + frames; ++f) {
        while (std::chrono::steady_clock::now() < due) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, std::max<int>(1, int(left.count())));
        }
        panels.Show(f);
        const auto shown = std::chrono::steady_clock::now();
        lateness.push_back(std::chrono::duration<double, std::milli>(shown - due).count());
        due = shown + std::chrono::milliseconds(100);
    }
    return lateness;
}

} // namespace

void RunStudyFigures(qint64 budget, int steps)
{
    const QString year = MakeStudy(QStringLiteral("year"), 365, 12, 300);
    const QString shortStudy = MakeStudy(QStringLiteral("short"), 3, 9, 0);
    if (year.isEmpty() || shortStudy.isEmpty())
        return;

    std::printf("budget                                  %.0f MB\n", budget / 1048576.0);
    int shortFrames = 0, yearFrames = 0;
    double openShort = 0, openYear = 0;
    std::int64_t peakAbove = 0;
    {
        Panels warm(budget); // file system cache and decoder set-up, not counted
        Open(warm, shortStudy, shortFrames);
    }
    // The best of three, as for the bare decode it is measured against.
    openShort = 1e9;
    for (int round = 0; round < 3; ++round) {
        Panels panels(budget);
        openShort = std::min(openShort, Open(panels, shortStudy, shortFrames));
    }
    const double bare = BareFirstFrames(shortStudy, kPanels);
    std::vector<double> step, late;
    {
        ResetPeak();
        const std::int64_t baseline = PeakResident();
        Panels panels(budget);
        openYear = Open(panels, year, yearFrames);
        step = Stepping(panels, steps, 40);
        late = Playback(panels, 1000, 200);
        // The far end of the year and back, through the whole budget.
        panels.Show(yearFrames - 1);
        panels.scheduler.SetDirection(-1);
        for (int i = yearFrames - 2; i > yearFrames - 60; --i)
            panels.Show(i);
        peakAbove = PeakResident() - baseline;
        std::printf("frames held at the end                  %.0f MB in the cache\n",
                    panels.scheduler.Cache().HeldBytes() / 1048576.0);
    }
    const int onTime = int(std::count_if(late.begin(), late.end(), [](double ms) { return ms <= 20; }));
    std::printf("frames per panel                        %d (short), %d (year)\n", shortFrames, yearFrames);
    std::printf("open to four first frames, short        %.3f s\n", openShort);
    std::printf("open to four first frames, year         %.3f s\n", openYear);
    std::printf("year - short                            %.3f s  (target <= 0.5 s)\n", openYear - openShort);
    std::printf("bare TurboJPEG, the four first frames   %.3f s\n", bare);
    std::printf("short open / bare decode                %.2f   (target <= 3)\n", openShort / bare);
    std::printf("peak resident above the start           %.0f MB\n", peakAbove / 1048576.0);
    std::printf("peak above start / (budget + 300 MB)    %.2f   (target <= 1)\n",
                double(peakAbove) / double(budget + (qint64(300) << 20)));
    std::printf("Next Frame with read-ahead, %d steps   median %.1f ms, p99 %.1f ms  (targets 10, 30)\n",
                steps, Percentile(step, 0.5), Percentile(step, 0.99));
    std::printf("playback at 0.1 s, 200 frames           %.1f%% within 20 ms of due  (target >= 95%%); "
                "median late %.1f ms\n",
                100.0 * onTime / late.size(), Percentile(late, 0.5));
}

} // namespace bench
