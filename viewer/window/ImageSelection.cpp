#include "viewer/window/ImageSelection.h"

#include "viewer/study/FilePaths.h"

#include <QSet>

namespace viewer {

PanelFrames SelectPanelFrames(const study::StudyView& view, const PanelChoice& choice, const QString& folder)
{
    PanelFrames frames;
    const qsizetype samples = view.SampleCount();
    frames.Overflow = samples > kMaxPanelFrames;
    const qsizetype last = frames.Overflow ? kMaxPanelFrames : samples;
    for (qsizetype k = 1; k <= last; ++k) {
        const study::StudySample& sample = view.Samples[k];
        if (sample.SkyCondition != choice.SkyCode || sample.ElectricState != choice.ElectricCode)
            continue;
        const QString& name = choice.ColorCode == 1 ? sample.RgbFile : sample.PseudoFile;
        const QString path = study::ResolveStudyFile(folder, name);
        if (!study::FileExists(path))
            continue;
        frames.Paths.append(path);
        frames.Samples.append(static_cast<int>(k));
    }
    return frames;
}

int FindView(const study::StudyRecord& record, const QString& name)
{
    for (qsizetype v = 1; v <= record.ViewCount(); ++v) {
        if (record.Views[v].ViewName == name)
            return static_cast<int>(v);
    }
    return 0;
}

QStringList StudyDatesOf(const study::StudyRecord& record)
{
    QStringList dates{QString()};
    if (record.ViewCount() < 1)
        return dates;
    const study::StudyView& first = record.Views[1];
    QSet<QString> seen;
    for (qsizetype k = 1; k <= first.SampleCount(); ++k) {
        const QString& date = first.Samples[k].SampleDate;
        if (!seen.contains(date)) {
            seen.insert(date);
            dates.append(date);
        }
    }
    return dates;
}

float LoadProgress(int index, int count, qsizetype sampleCount)
{
    const float step = sampleCount > 0 ? 25.0f / static_cast<float>(sampleCount) : 0.0f;
    return static_cast<float>(index * 25) + static_cast<float>(count) * step;
}

} // namespace viewer
