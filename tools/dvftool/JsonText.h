// The few pieces of JSON dvftool writes: strings (UTF-8, escaped), numbers.
#pragma once

#include <QByteArray>
#include <QString>

namespace dvftool {

// text as a quoted JSON string in UTF-8.
QByteArray JsonString(const QString& text);

// The shortest text that reads back as the same double.
QByteArray JsonNumber(double value);

} // namespace dvftool
