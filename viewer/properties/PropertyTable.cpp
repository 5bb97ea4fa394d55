#include "viewer/properties/PropertyTable.h"

#include "viewer/study/FilePaths.h"

#include <cmath>
#include <limits>

namespace properties {

const std::array<const char*, kPropertyColumns> kPropertyHeaders = {
    "View Name", "Sky", "Electric", "RGB File", "Pseudo File", "Date", "Time", "HALVEX File",
};

namespace {

qint32 RoundedTwips(double twips)
{
    // Measured widths are rounded like every other computed size: halves to even.
    const double rounded = std::nearbyint(twips);
    if (!(rounded > 0))
        return 0;
    return rounded >= std::numeric_limits<qint32>::max() - kColumnPadTwips
               ? std::numeric_limits<qint32>::max() - kColumnPadTwips
               : static_cast<qint32>(rounded);
}

} // namespace

QString PropertySkyName(qint32 skyCondition)
{
    switch (skyCondition) {
    case 1: return QStringLiteral("Clear");
    case 2: return QStringLiteral("Partly Cloudy");
    case 4: return QStringLiteral("Cloudy");
    default: break;
    }
    for (int type = 1; type <= 15; ++type) {
        if (skyCondition == (qint32{1} << (type + 2)))
            return QStringLiteral("General Sky - Type %1").arg(type);
    }
    return QStringLiteral("Unknown (%1)").arg(skyCondition);
}

QString ElectricText(qint16 electricState)
{
    switch (electricState) {
    case 1: return QStringLiteral("On");
    case 2: return QStringLiteral("Off");
    default: return QStringLiteral("Unknown (%1)").arg(electricState);
    }
}

QString FileCellText(const QString& name, const QString& emptyText)
{
    if (name.isEmpty())
        return emptyText;
    QString path = name;
    QString folder;
    QString ext;
    study::SplitFilePath(path, folder, ext);
    return path + ext;
}

PropertyTable BuildPropertyTable(const study::StudyRecord& study, const TextWidthTwips& textWidth)
{
    PropertyTable table;
    for (qint32 c = 0; c < kPropertyColumns; ++c)
        table.TextWidths[c] = RoundedTwips(textWidth(QString::fromLatin1(kPropertyHeaders[c])));

    const QString notAvailable = QStringLiteral("N.A.");
    const QString none;
    std::array<QString, kPropertyColumns> texts;
    for (qsizetype v = 1; v < study.Views.size(); ++v) {
        const study::StudyView& view = study.Views[v];
        for (qsizetype s = 1; s < view.Samples.size(); ++s) {
            const study::StudySample& sample = view.Samples[s];
            texts[0] = view.ViewName;
            texts[1] = PropertySkyName(sample.SkyCondition);
            texts[2] = ElectricText(sample.ElectricState);
            texts[3] = FileCellText(sample.RgbFile, notAvailable);
            texts[4] = FileCellText(sample.PseudoFile, notAvailable);
            texts[5] = sample.SampleDate;
            texts[6] = sample.SampleTime;
            texts[7] = FileCellText(sample.HalvexFile, none);

            table.PropertyData.AddRow();
            const qint32 row = table.PropertyRowCount++;
            for (qint32 c = 0; c < kPropertyColumns; ++c) {
                table.TextWidths[c] = std::max(table.TextWidths[c], RoundedTwips(textWidth(texts[c])));
                table.PropertyData.SetCell(c, row, texts[c]);
            }
        }
        table.PropertyData.AddRow();
        ++table.PropertyRowCount;
    }
    return table;
}

qint32 TwipsToPixels(double twips, double dotsPerInch)
{
    return static_cast<qint32>(std::nearbyint(twips * dotsPerInch / 1440.0));
}

} // namespace properties
