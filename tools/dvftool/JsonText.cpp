#include "tools/dvftool/JsonText.h"

#include <charconv>
#include <cmath>

namespace dvftool {

QByteArray JsonString(const QString& text)
{
    static const char kHex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray json;
    json.reserve(utf8.size() + 2);
    json += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20) {
                json += "\\u00";
                json += kHex[byte >> 4];
                json += kHex[byte & 0x0F];
            } else {
                json += c;
            }
        }
    }
    json += '"';
    return json;
}

QByteArray JsonNumber(double value)
{
    // JSON has no infinity or NaN; the reader never yields them, but a null
    // keeps the output valid if one ever came through.
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

} // namespace dvftool
