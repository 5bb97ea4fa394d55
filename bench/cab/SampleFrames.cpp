// Real JPEG frames for the cabinet benchmark, from the sample-study generator.
#include "bench/cab/BenchData.h"

#include "tools/make-sample-study/SampleStudyWriter.h"

#include <QDir>
#include <QGuiApplication>

namespace cabbench {

bool MakeJpegFrames(const std::filesystem::path& folder, std::uint64_t bytes, BenchData& data)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "cab_bench";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    // Frames of 1280x800 run to about 150 KB; one study of 4 views, 4 dates,
    // RGB and pseudo-colour gives 32 frames per time of day.
    const int times = int(std::max<std::uint64_t>(1, bytes / (32 * 150000)));
    samplestudy::SampleStudyOptions o;
    o.outputFolder = QString::fromStdString(folder.string());
    o.studyName = QStringLiteral("Cabinet Bench");
    o.views = 4;
    o.dates = 4;
    o.times = std::min(times, 60);
    o.width = 1280;
    o.height = 800;
    const auto result = samplestudy::WriteSampleStudy(o);
    if (!result.ok())
        return false;

    QDir dir(o.outputFolder);
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        const std::filesystem::path path = folder / file.toStdString();
        const std::uint64_t size = std::filesystem::file_size(path);
        const bool frame = file.endsWith(QStringLiteral(".jpg"));
        if (frame && data.jpegBytes >= bytes) {
            std::filesystem::remove(path);
            continue;
        }
        (frame ? data.jpegBytes : data.textBytes) += size;
        data.files.push_back({path, "frames/" + file.toStdString(), size});
    }
    return true;
}

} // namespace cabbench
