#include "viewer/properties/GridSupport.h"

#include <cmath>
#include <limits>

namespace properties {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The number a text starts with, read as the grid's own bookmarks are: blanks
// anywhere are skipped, then a sign, digits, a "." fraction and an E exponent.
// Reading stops at the first character that cannot continue the number.
double LeadingNumber(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (!IsBlank(c))
            compact += c;
    }
    QByteArray number;
    qsizetype i = 0;
    const qsizetype n = compact.size();
    auto at = [&](qsizetype k) { return k < n ? compact[k].toLatin1() : '\0'; };
    if (at(i) == '+' || at(i) == '-')
        number += at(i++);
    bool digits = false;
    while (at(i) >= '0' && at(i) <= '9') {
        number += at(i++);
        digits = true;
    }
    if (at(i) == '.') {
        number += at(i++);
        while (at(i) >= '0' && at(i) <= '9') {
            number += at(i++);
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    const char e = at(i);
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        qsizetype k = i + 1;
        QByteArray exponent = "e";
        if (at(k) == '+' || at(k) == '-')
            exponent += at(k++);
        bool expDigits = false;
        while (at(k) >= '0' && at(k) <= '9') {
            exponent += at(k++);
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok); // "." whatever the user's locale
    if (ok)
        return value;
    // Beyond the range of a double: far outside any table, or next to nothing.
    if (number.contains("e-"))
        return 0.0;
    return number.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
}

double BookmarkNumber(const QVariant& bookmark)
{
    if (bookmark.typeId() == QMetaType::QString)
        return LeadingNumber(bookmark.toString());
    bool ok = false;
    const double value = bookmark.toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

void PropertyCells::AddRow()
{
    cells_.resize(cells_.size() + columns_);
    ++rows_;
}

void PropertyCells::SetCell(qint32 column, qint32 row, const QString& text)
{
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_)
        return;
    cells_[qsizetype(row) * columns_ + column] = text;
}

const QString& PropertyCells::Cell(qint32 column, qint32 row) const
{
    static const QString empty;
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_)
        return empty;
    return cells_[qsizetype(row) * columns_ + column];
}

qint32 RowFromBookmark(qint32 rowCount, const QVariant& bookmark, qint32 offset)
{
    double row = 0;
    if (bookmark.isNull())
        row = offset < 0 ? double(rowCount) + offset : double(offset) - 1;
    else
        row = std::nearbyint(BookmarkNumber(bookmark) + offset); // the default rounding: halves to even
    if (!std::isfinite(row) || row < 0 || row >= rowCount)
        return kNoRow;
    return static_cast<qint32>(row);
}

QString BookmarkFromRow(qint32 row)
{
    return row < 0 ? QString::number(row) : QLatin1Char(' ') + QString::number(row);
}

QVariant RelativeBookmark(qint32 rowCount, const QVariant& bookmark, qint32 offset)
{
    const qint32 row = RowFromBookmark(rowCount, bookmark, offset);
    if (row >= 0 && row < rowCount)
        return BookmarkFromRow(row);
    return QVariant();
}

QVariant CellValue(const PropertyCells& data, qint32 columnCount, qint32 rowCount, const QVariant& bookmark,
                   qint32 column)
{
    const qint32 row = RowFromBookmark(rowCount, bookmark, 0);
    if (column < 0 || column >= columnCount || row < 0 || row >= rowCount)
        return QVariant();
    return data.Cell(column, row);
}

} // namespace properties
