#include "viewer/window/NumberText.h"

namespace viewer {

QString SpaceSigned(double value)
{
    if (value == 0)
        return QStringLiteral(" 0");
    QString digits = QString::number(value < 0 ? -value : value, 'g', 15).toUpper();
    if (digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1);
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + digits;
}

double LeadingNumber(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && (text[at] == QLatin1Char(' ') || text[at] == QLatin1Char('\t')))
        ++at;
    QString number;
    bool point = false;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            number += c;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok); // C locale: "." whatever the user's settings
    return ok ? value : 0;
}

} // namespace viewer
