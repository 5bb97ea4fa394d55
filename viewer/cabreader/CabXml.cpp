#include "viewer/cabreader/CabXml.h"

namespace cabreader {

QString XmlEscape(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': escaped += QStringLiteral("&amp;"); continue;
        case u'<': escaped += QStringLiteral("&lt;"); continue;
        case u'>': escaped += QStringLiteral("&gt;"); continue;
        case u'\'': escaped += QStringLiteral("&apos;"); continue;
        case u'"': escaped += QStringLiteral("&quot;"); continue;
        default: break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            escaped += c;
            escaped += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = (u >= 0x20 || u == 0x09 || u == 0x0A || u == 0x0D) && !c.isSurrogate()
                             && u != 0xFFFE && u != 0xFFFF;
        escaped += allowed ? c : QChar(QChar::ReplacementCharacter);
    }
    return escaped;
}

QString XmlElement(const QString& content, const QString& tag, const QString& attributeName,
                   const QString& attributeValue)
{
    QString element = u'<' + tag;
    if (!attributeName.isEmpty())
        element += u' ' + attributeName + QStringLiteral(" = '") + XmlEscape(attributeValue) + u'\'';
    return element + u'>' + content + QStringLiteral("</") + tag + u'>';
}

} // namespace cabreader
