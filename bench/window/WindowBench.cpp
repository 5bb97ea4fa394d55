// window_bench: figures of the viewer window as a person meets it.
//   window_bench [--only lying]
#include "bench/window/WindowBenchSupport.h"

#include <QApplication>

#include <cstring>
#include <string>

namespace bench {
bool RunLyingFrameFigures();
} // namespace bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--only"))
            only = argv[i + 1];
    }
    QApplication app(argc, argv);
    bool ok = true;
    if (only.empty() || only == "lying")
        ok = bench::RunLyingFrameFigures() && ok;
    return ok ? 0 : 1;
}
