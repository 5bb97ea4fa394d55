#include "bench/window/WindowBenchSupport.h"

#include <QApplication>
#include <QDir>

#include <fstream>
#include <string>

#include <unistd.h>

namespace bench {

namespace {

std::int64_t StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(name) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024; // kB
    }
    return -1;
}

} // namespace

std::int64_t ResidentBytes()
{
    return StatusField("VmRSS");
}

std::int64_t PeakResidentBytes()
{
    return StatusField("VmHWM");
}

bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return bool(clear.flush());
}

BenchWindow::BenchWindow(int width, int height)
{
    window = std::make_unique<viewer::frmDSFViewer>(module, ui);
    window->resize(width, height);
    window->show();
    QApplication::processEvents();
}

BenchWindow::~BenchWindow()
{
    window.reset();
}

QString FreshFolder(const QString& name)
{
    const QString folder = QStringLiteral(HALVEX_BENCH_DATA_DIR "/") + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

} // namespace bench
