// The figures the imaging benchmark prints, each measured in one run.
#pragma once

#include <QRect>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <string>

namespace bench {

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Resident memory of this process in bytes.
std::int64_t ResidentBytes();

// Frame files of a study made for the benchmark (kept between runs).
QStringList BenchFrames(const QString& name, int count, int width, int height);

// Loads `paths` with one thread, with the worker pool and with a bare
// TurboJPEG loop; prints the ratios and the memory held per frame.
void RunLoadFigures(const QStringList& paths, int rounds);

// Frames per second decoded for an 800x450 panel against full-size decodes.
void RunScaleFigures(const QStringList& paths, int rounds);

// Four panels of frame sources on a year-long study against a short one:
// opening, memory, stepping with read-ahead and playback.
void RunStudyFigures(qint64 budget, int steps);

// Where panel `panel` (0..3) of four lies in a 1600 x 1000 window, as the
// viewer lays them out: a 3612-twip column, then two rows of two panels of
// aspect 1.63 (15 twips to a pixel).
QRect FourPanelSlot(int panel);

// Next Frame with four panels of the given frames in a 1600 x 1000 window.
void RunPaintFigures(const QStringList& paths, int steps);

// Panning four linked, zoomed panels of the given frames in a 1600 x 1000
// window: the repaint after each move of the pointer, against Qt drawing the
// same visible parts straight from the frames.
void RunPanFigures(const QStringList& paths, int steps);

} // namespace bench
