// window_bench: figures of the viewer window as a person meets it.
//   window_bench [--only lying|year] [--year STUDY.dvf --short STUDY.dvf] [--budget-mb N]
// The year figures need the two studies that imaging_bench --only study makes.
#include "bench/window/WindowBenchSupport.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {
bool RunLyingFrameFigures();
bool RunYearFigures(const QString& year, const QString& shortStudy, qint64 budget);
} // namespace bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string only;
    QString year, shortStudy;
    qint64 budgetMb = 512;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--only"))
            only = argv[i + 1];
        else if (!std::strcmp(argv[i], "--year"))
            year = QString::fromLocal8Bit(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--short"))
            shortStudy = QString::fromLocal8Bit(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--budget-mb"))
            budgetMb = std::atoll(argv[i + 1]);
    }
    QApplication app(argc, argv);
    bool ok = true;
    if (only.empty() || only == "lying")
        ok = bench::RunLyingFrameFigures() && ok;
    if ((only.empty() || only == "year") && !year.isEmpty() && !shortStudy.isEmpty())
        ok = bench::RunYearFigures(year, shortStudy, budgetMb << 20) && ok;
    return ok ? 0 : 1;
}
