// dvftool info [--json] STUDY.dvf: what a study file holds, as a readable
// summary or as one JSON object for scripts.
#include "tools/dvftool/DvfTool.h"
#include "tools/dvftool/JsonText.h"

#include "viewer/study/StudyReader.h"

#include <QList>
#include <QMap>
#include <QSet>

namespace dvftool {

namespace {

const QByteArray kUsage = "usage: dvftool info [--json] STUDY.dvf\n";

using study::StudyRecord;
using study::StudySample;
using study::StudyView;

QByteArray SampleJson(const StudySample& sample)
{
    QByteArray json = "{\"SkyCondition\": " + QByteArray::number(sample.SkyCondition);
    json += ", \"ElectricState\": " + QByteArray::number(sample.ElectricState);
    json += ", \"SampleDate\": " + JsonString(sample.SampleDate);
    json += ", \"SampleTime\": " + JsonString(sample.SampleTime);
    json += ", \"DaylightSaving\": ";
    json += sample.DaylightSaving ? "true" : "false";
    json += ", \"HalvexFile\": " + JsonString(sample.HalvexFile);
    json += ", \"RgbFile\": " + JsonString(sample.RgbFile);
    json += ", \"PseudoFile\": " + JsonString(sample.PseudoFile);
    json += '}';
    return json;
}

// Views 1..n and samples 1..m: the placeholders are no part of the study.
QByteArray StudyJson(const StudyRecord& record, const QString& errMsg)
{
    QByteArray json = "{\"ErrMsg\": " + JsonString(errMsg);
    json += ", \"StudyName\": " + JsonString(record.StudyName);
    json += ", \"SiteName\": " + JsonString(record.SiteName);
    json += ", \"SiteLatitude\": " + JsonNumber(record.SiteLatitude);
    json += ", \"SiteLongitude\": " + JsonNumber(record.SiteLongitude);
    json += ", \"SiteCompassNorth\": " + JsonNumber(record.SiteCompassNorth);
    json += ", \"SkyConditionMask\": " + QByteArray::number(record.SkyConditionMask);
    json += ", \"ColorModeMask\": " + QByteArray::number(record.ColorModeMask);
    json += ", \"ElectricModeMask\": " + QByteArray::number(record.ElectricModeMask);
    json += ", \"Views\": [";
    for (qsizetype v = 1; v < record.Views.size(); ++v) {
        const StudyView& view = record.Views[v];
        if (v > 1)
            json += ", ";
        json += "{\"ViewName\": " + JsonString(view.ViewName) + ", \"Samples\": [";
        for (qsizetype s = 1; s < view.Samples.size(); ++s) {
            if (s > 1)
                json += ", ";
            json += SampleJson(view.Samples[s]);
        }
        json += "]}";
    }
    json += "]}\n";
    return json;
}

QString SkyConditionName(qint32 code)
{
    switch (code) {
    case 1: return QStringLiteral("Clear");
    case 2: return QStringLiteral("Partly Cloudy");
    case 4: return QStringLiteral("Overcast");
    default: break;
    }
    for (int k = 1; k <= 15; ++k) {
        if (code == (qint32{1} << (k + 2)))
            return QStringLiteral("General Sky - Type %1").arg(k);
    }
    return QStringLiteral("unnamed code %1").arg(code);
}

QString Number(double value)
{
    return QString::fromLatin1(JsonNumber(value));
}

// Names of the bits set in mask, in bit order.
QString MaskText(qint32 mask, const QStringList& names)
{
    QStringList present;
    for (qsizetype bit = 0; bit < names.size(); ++bit) {
        if (mask & (qint32{1} << bit))
            present << names[bit];
    }
    return present.isEmpty() ? QStringLiteral("none") : present.join(QStringLiteral(", "));
}

QString SkyText(const StudyRecord& record)
{
    QStringList names;
    for (int bit = 0; bit <= 17; ++bit)
        names << SkyConditionName(qint32{1} << bit);
    QString text = MaskText(record.SkyConditionMask, names);

    // What the samples themselves use, which need not agree with the mask.
    if (record.ViewCount() > 0 && record.SampleCount() > 0) {
        QMap<qint32, int> counts;
        const QList<StudySample>& samples = record.Views[1].Samples;
        for (qsizetype s = 1; s < samples.size(); ++s)
            ++counts[samples[s].SkyCondition];
        QStringList used;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            used << QStringLiteral("%1: %2").arg(SkyConditionName(it.key())).arg(it.value());
        text += QStringLiteral(" (samples by sky: %1)").arg(used.join(QStringLiteral(", ")));
    }
    return text;
}

QString DatesText(const StudyRecord& record)
{
    if (record.ViewCount() == 0)
        return QStringLiteral("0");
    QStringList dates;
    QSet<QString> seen;
    const QList<StudySample>& samples = record.Views[1].Samples;
    for (qsizetype s = 1; s < samples.size(); ++s) {
        if (!seen.contains(samples[s].SampleDate)) {
            seen.insert(samples[s].SampleDate);
            dates << samples[s].SampleDate;
        }
    }
    constexpr qsizetype kListed = 12;
    if (dates.isEmpty())
        return QStringLiteral("0");
    if (dates.size() <= kListed)
        return QStringLiteral("%1 (%2)").arg(dates.size()).arg(dates.join(QStringLiteral(", ")));
    return QStringLiteral("%1 (%2 to %3)").arg(dates.size()).arg(dates.front(), dates.back());
}

QString SummaryText(const StudyRecord& record)
{
    QString text;
    text += QStringLiteral("Study:             %1\n").arg(record.StudyName);
    text += QStringLiteral("Site:              %1\n").arg(record.SiteName);
    text += QStringLiteral("Latitude:          %1 degrees\n").arg(Number(record.SiteLatitude));
    text += QStringLiteral("Longitude:         %1 degrees\n").arg(Number(record.SiteLongitude));
    text += QStringLiteral("Compass north:     %1 degrees\n").arg(Number(record.SiteCompassNorth));
    text += QStringLiteral("Views:             %1\n").arg(record.ViewCount());
    for (qsizetype v = 1; v < record.Views.size(); ++v)
        text += QStringLiteral("  %1. %2\n").arg(v).arg(record.Views[v].ViewName);
    text += QStringLiteral("Samples:           %1\n").arg(record.SampleCount());
    text += QStringLiteral("Distinct dates:    %1\n").arg(DatesText(record));
    text += QStringLiteral("Sky conditions:    %1\n").arg(SkyText(record));
    text += QStringLiteral("Image kinds:       %1\n")
                .arg(MaskText(record.ColorModeMask, {QStringLiteral("true colour"), QStringLiteral("pseudo colour")}));
    text += QStringLiteral("Electric lighting: %1\n")
                .arg(MaskText(record.ElectricModeMask, {QStringLiteral("on"), QStringLiteral("off")}));
    return text;
}

} // namespace

int InfoCommand(const QStringList& args, const Output& io)
{
    const std::optional<Arguments> parsed = ParseArguments(args, {QStringLiteral("--json")}, "info", kUsage, io);
    if (!parsed)
        return kExitUsage;
    const bool json = parsed->Has("--json");
    const QString& file = parsed->files.front();

    StudyRecord record;
    QString errMsg;
    study::ReadStudyFile(record, file, errMsg);

    if (json) {
        io.Out(StudyJson(record, errMsg));
    } else {
        io.Out(SummaryText(record));
        if (!errMsg.isEmpty())
            io.Err(QStringLiteral("dvftool info: %1: %2\n").arg(file, errMsg));
    }
    return errMsg.isEmpty() ? kExitOk : kExitFailed;
}

} // namespace dvftool
