#include "viewer/window/ImageSelection.h"

#include "viewer/study/StudyFolderIndex.h"

#include <QSet>

#include <algorithm>

namespace viewer {

namespace {

// How many samples are looked at between two progress reports.
constexpr qsizetype kProgressStride = 256;

} // namespace

int PanelFrames::MissingCount() const
{
    return static_cast<int>(std::count_if(Positions.cbegin(), Positions.cend(),
                                          [](const FramePosition& p) { return p.Missing(); }));
}

PanelFrames SelectPanelFrames(const study::StudyView& view, const PanelChoice& choice,
                              study::StudyFolderIndex& files, const SelectionProgress& progress)
{
    PanelFrames frames;
    frames.Choice = choice;
    const qsizetype samples = view.SampleCount();
    frames.Overflow = samples > kMaxPanelFrames;
    const qsizetype last = frames.Overflow ? kMaxPanelFrames : samples;
    for (qsizetype k = 1; k <= last; ++k) {
        if (progress && k % kProgressStride == 0 && !progress(k, last)) {
            frames.Cancelled = true;
            return frames;
        }
        const study::StudySample& sample = view.Samples[k];
        if (sample.SkyCondition != choice.SkyCode || sample.ElectricState != choice.ElectricCode)
            continue;
        FramePosition position;
        position.Sample = static_cast<int>(k);
        position.Name = choice.ColorCode == 1 ? sample.RgbFile : sample.PseudoFile;
        position.Path = files.Find(position.Name);
        frames.Positions.append(std::move(position));
    }
    if (progress && !progress(last, last))
        frames.Cancelled = true;
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

float LoadProgress(int index, qsizetype count, qsizetype sampleCount)
{
    const float step = sampleCount > 0 ? 25.0f / static_cast<float>(sampleCount) : 0.0f;
    return static_cast<float>(index * 25) + static_cast<float>(count) * step;
}

} // namespace viewer
