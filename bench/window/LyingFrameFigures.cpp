// Peak memory of the window opening a study that names, 100 times over, one
// small JPEG whose header claims 16000 x 16000 pixels: a decoder that trusts
// the header reserves 768 MB for every frame it starts on.
#include "bench/window/WindowBenchSupport.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace bench {

namespace {

constexpr int kNamings = 100;
constexpr double kLimitMegabytes = 300;

QString WriteLyingStudy()
{
    const QString folder = FreshFolder(QStringLiteral("lying"));
    QFile::copy(QStringLiteral(HALVEX_SOURCE_DIR "/tests/imaging/data/header_claims_16000x16000.jpg"),
                folder + QStringLiteral("/claims.jpg"));
    QByteArray text = "[HEADER]\r\nLying Frames\r\nBench\r\n42.5\r\n-71.25\r\n0\r\n1\r\n1\r\n2\r\n"
                      "[VIEW]\r\nView A\r\n[ENDVIEW]\r\n";
    for (int i = 0; i < kNamings; ++i)
        text += "[SAMPLE]\r\n1\r\n2\r\nJune 21\r\n12:00 PM\r\nFalse\r\nproject.hvx\r\n[RGB]\r\nclaims.jpg\r\n";
    QFile dvf(folder + QStringLiteral("/lying.dvf"));
    if (!dvf.open(QIODevice::WriteOnly) || dvf.write(text) != text.size())
        return {};
    return dvf.fileName();
}

} // namespace

bool RunLyingFrameFigures()
{
    const QString study = WriteLyingStudy();
    if (study.isEmpty()) {
        std::fprintf(stderr, "cannot write the study\n");
        return false;
    }
    BenchWindow bench;
    bench.module.CurrentFolder = QFileInfo(study).path() + QLatin1Char('/');
    if (!ResetPeakResident()) {
        std::fprintf(stderr, "this system cannot reset the peak resident size\n");
        return false;
    }
    const std::int64_t baseline = ResidentBytes();
    bench.window->msbLoadAndDisplay(study);
    QApplication::processEvents();
    const double above = Megabytes(PeakResidentBytes() - baseline);

    std::printf("== a study naming one %lld-byte JPEG that claims 16000x16000, %d times\n",
                static_cast<long long>(QFileInfo(QFileInfo(study).path() + "/claims.jpg").size()), kNamings);
    std::printf("what the user is told   %s\n",
                bench.ui.messages.empty() ? "(nothing)" : qPrintable(bench.ui.messages.back().text));
    std::printf("window resident before  %.1f MB\n", Megabytes(baseline));
    std::printf("peak above that         %.1f MB  (limit %.0f MB)\n", above, kLimitMegabytes);
    std::printf("peak / limit            %.3f   (target < 1)\n", above / kLimitMegabytes);
    std::printf("peak / one trusted header's reservation (768 MB)  %.4f\n", above / 768.0);
    return true;
}

} // namespace bench
