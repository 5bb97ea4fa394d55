#include "bench/imaging/BareDecode.h"

#include "viewer/study/StudyReader.h"

#include <QFile>
#include <QFileInfo>

#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace bench {

double BareFirstFrames(const QString& dvf, int views, int rounds)
{
    study::StudyRecord record;
    QString error;
    study::ReadStudyFile(record, dvf, error);
    if (!error.isEmpty() || record.Views.size() <= views)
        std::abort();
    const QString folder = QFileInfo(dvf).path() + u'/';
    tjhandle tj = tjInitDecompress();
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int v = 1; v <= views; ++v) {
            QFile file(folder + record.Views[v].Samples[1].RgbFile);
            if (!file.open(QIODevice::ReadOnly))
                std::abort();
            const QByteArray bytes = file.readAll();
            const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
            int w = 0, h = 0, sub = 0, cs = 0;
            tjDecompressHeader3(tj, data, bytes.size(), &w, &h, &sub, &cs);
            std::vector<unsigned char> pixels(std::size_t(w) * h * 3);
            if (tjDecompress2(tj, data, bytes.size(), pixels.data(), w, 0, h, TJPF_RGB, 0) != 0)
                std::abort();
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    tjDestroy(tj);
    return best;
}

} // namespace bench
