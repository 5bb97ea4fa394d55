// What the window benchmark's figures share: the process's memory as the
// kernel counts it, a clock, and a viewer window driven without a person.
#pragma once

#include "platform/ui/FakeUi.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/frmDSFViewer.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>

namespace bench {

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Resident memory now, and its peak since the last ResetPeakResident, in bytes.
std::int64_t ResidentBytes();
std::int64_t PeakResidentBytes();
// Starts a new peak from the present resident size (Linux clear_refs).
bool ResetPeakResident();

inline double Megabytes(std::int64_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// A shown viewer window whose message boxes and dialogs are recorded, not shown.
struct BenchWindow {
    study::StudyModule module;
    ui::FakeUi ui;
    std::unique_ptr<viewer::frmDSFViewer> window;

    explicit BenchWindow(int width = 1600, int height = 1000);
    ~BenchWindow();
};

// A scratch folder below the benchmark's data folder, emptied first.
QString FreshFolder(const QString& name);

} // namespace bench
