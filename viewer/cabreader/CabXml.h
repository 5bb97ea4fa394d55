// The pieces of a cabinet's XML listing.
#pragma once

#include <QString>

namespace cabreader {

// Text made safe for XML content and quoted attribute values: & < > ' " become
// entity references, and characters XML cannot carry at all (C0 controls other
// than tab, CR and LF, lone surrogates, U+FFFE, U+FFFF) become U+FFFD.
QString XmlEscape(const QString& text);

// "<tag>content</tag>", or "<tag name = 'value'>content</tag>" with an
// attribute. Content is taken as finished XML; the attribute value is escaped.
QString XmlElement(const QString& content, const QString& tag, const QString& attributeName = QString(),
                   const QString& attributeValue = QString());

} // namespace cabreader
