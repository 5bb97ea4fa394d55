#include "viewer/properties/CopyText.h"

namespace properties {

QString PropertiesCopyText(const QString& StudyName, const PropertyTable& table)
{
    const QLatin1String lineEnd("\r\n");
    const QLatin1Char tab('\t');

    QString text = QStringLiteral("Daylight Study Properties: ") + StudyName + lineEnd;
    for (qint32 c = 0; c < kPropertyColumns; ++c) {
        if (c > 0)
            text += tab;
        text += QLatin1String(kPropertyHeaders[c]);
    }
    text += lineEnd;

    for (qint32 r = 0; r < table.PropertyRowCount; ++r) {
        for (qint32 c = 0; c < table.PropertyColumnCount; ++c) {
            text += table.PropertyData.Cell(c, r);
            text += tab;
        }
        text += lineEnd;
    }
    return text;
}

} // namespace properties
