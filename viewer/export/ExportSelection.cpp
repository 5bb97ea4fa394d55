#include "viewer/export/ExportSelection.h"

#include "platform/imaging/ImageDecoder.h"
#include "viewer/window/SkyConditions.h"

#include <QRegularExpression>

#include <algorithm>

namespace exporting {

viewer::PanelChoice DefaultChoice(const study::StudyRecord& record)
{
    viewer::PanelChoice choice;
    const QStringList skies = viewer::SkyConditionNames(record.SkyConditionMask);
    choice.SkyCode = skies.isEmpty() ? 0 : viewer::SkyCodeOfName(skies.front());
    choice.ElectricCode = (record.ElectricModeMask & 1) ? 1 : 2;
    choice.ColorCode = (record.ColorModeMask & 1) ? 1 : 2;
    return choice;
}

PanelSequence SelectPanelSequence(const study::StudyRecord& record, const PanelSettings& settings,
                                  study::StudyFolderIndex& files)
{
    PanelSequence sequence;
    sequence.Settings = settings;
    if (settings.View >= 1 && settings.View <= record.ViewCount())
        sequence.Sources = viewer::SelectPanelFrames(record.Views[settings.View], settings.Choice, files).Positions;
    for (const PanelSource& source : sequence.Sources) {
        if (source.Missing())
            continue;
        const imaging::ImageHeader header = imaging::ReadImageHeader(source.Path);
        if (header.ok())
            sequence.ImageSize = header.size;
        break;
    }
    return sequence;
}

int FrameCountOf(const std::vector<PanelSequence>& panels)
{
    qsizetype count = 0;
    for (const PanelSequence& panel : panels)
        count = std::max(count, panel.Sources.size());
    return static_cast<int>(count);
}

RangeParse ParseFrameRange(const QString& text, const QStringList& studyDates)
{
    RangeParse parse;
    if (text.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return parse;
    if (studyDates.contains(text)) {
        parse.Range.RangeKind = FrameRange::Kind::Date;
        parse.Range.Date = text;
        return parse;
    }
    static const QRegularExpression span(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch m = span.match(text);
    if (m.hasMatch()) {
        const int first = m.captured(1).toInt();
        const int last = m.hasCaptured(2) ? m.captured(2).toInt() : first;
        if (first >= 1 && first <= last) {
            parse.Range.RangeKind = FrameRange::Kind::Span;
            parse.Range.First = first;
            parse.Range.Last = last;
            return parse;
        }
    }
    parse.Error = QStringLiteral("The study has no date \"%1\" (and \"%1\" is no frame range such as 1-24)").arg(text);
    return parse;
}

RangeSelection SelectFrames(const FrameRange& range, const study::StudyRecord& record, int frameCount)
{
    RangeSelection selection;
    if (frameCount < 1) {
        selection.Error = QStringLiteral("There are no frames to export");
        return selection;
    }
    switch (range.RangeKind) {
    case FrameRange::Kind::All:
        for (int k = 1; k <= frameCount; ++k)
            selection.Frames.append(k);
        break;
    case FrameRange::Kind::Date: {
        const int known = static_cast<int>(std::min<qsizetype>(frameCount, record.SampleCount()));
        for (int k = 1; k <= known; ++k) {
            if (record.Views[1].Samples[k].SampleDate == range.Date)
                selection.Frames.append(k);
        }
        if (selection.Frames.isEmpty())
            selection.Error = QStringLiteral("No frame has the date \"%1\"").arg(range.Date);
        break;
    }
    case FrameRange::Kind::Span:
        if (range.First < 1 || range.Last > frameCount || range.First > range.Last) {
            selection.Error = QStringLiteral("Frames %1-%2 are outside the study's frames 1-%3")
                                  .arg(range.First)
                                  .arg(range.Last)
                                  .arg(frameCount);
            break;
        }
        for (int k = range.First; k <= range.Last; ++k)
            selection.Frames.append(k);
        break;
    }
    return selection;
}

namespace {

const study::StudySample* FirstViewSample(const study::StudyRecord& record, int frame)
{
    if (record.ViewCount() < 1 || frame < 1 || frame > record.SampleCount())
        return nullptr;
    return &record.Views[1].Samples[frame];
}

QString TimeText(const study::StudySample& sample)
{
    return sample.DaylightSaving ? sample.SampleTime + QStringLiteral(" DST") : sample.SampleTime;
}

} // namespace

QString FrameDate(const study::StudyRecord& record, int frame)
{
    const study::StudySample* sample = FirstViewSample(record, frame);
    return sample ? sample->SampleDate : QString();
}

QString FrameTime(const study::StudyRecord& record, int frame)
{
    const study::StudySample* sample = FirstViewSample(record, frame);
    return sample ? TimeText(*sample) : QString();
}

QString ColourName(const viewer::PanelChoice& choice)
{
    return choice.ColorCode == 1 ? QStringLiteral("RGB") : QStringLiteral("Pseudo");
}

QString LightingName(const viewer::PanelChoice& choice)
{
    return choice.ElectricCode == 1 ? QStringLiteral("On") : QStringLiteral("Off");
}

QStringList StudyDates(const study::StudyRecord& record)
{
    QStringList dates = viewer::StudyDatesOf(record);
    dates.removeFirst();
    return dates;
}

} // namespace exporting
