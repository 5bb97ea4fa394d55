// The procedures through which the properties grid asks for its rows and cells
// by bookmark. They serve any table of cells, not only the study's properties.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace properties {

// Answer of RowFromBookmark for a row outside the table.
inline constexpr qint32 kNoRow = -9999;

// A table of text cells addressed (column, row). Cells of separator rows are
// empty texts; a cell outside the table reads as an empty text.
class PropertyCells {
public:
    PropertyCells() = default;
    explicit PropertyCells(qint32 columns) : columns_(columns < 0 ? 0 : columns) {}

    qint32 Columns() const { return columns_; }
    qint32 Rows() const { return rows_; }

    // Grows the table by one row of empty cells, keeping its contents.
    void AddRow();
    void SetCell(qint32 column, qint32 row, const QString& text);
    const QString& Cell(qint32 column, qint32 row) const;

private:
    qint32 columns_ = 0;
    qint32 rows_ = 0;
    QList<QString> cells_; // row after row
};

// The row a bookmark names, moved by offset; kNoRow when that falls outside
// 0 .. rowCount - 1. A null bookmark counts from the table's ends: offset 1 is
// the first row, -1 the last. A text bookmark is read by its leading number
// (blanks ignored, a text without one reads as 0), the sum rounded half to even.
qint32 RowFromBookmark(qint32 rowCount, const QVariant& bookmark, qint32 offset);

// The bookmark of a row: its number with a leading blank in place of a plus sign.
QString BookmarkFromRow(qint32 row);

// The bookmark offset rows away, or a null QVariant when that is outside the table.
QVariant RelativeBookmark(qint32 rowCount, const QVariant& bookmark, qint32 offset);

// The cell (column, row of bookmark) as text, or a null QVariant when either
// lies outside the table.
QVariant CellValue(const PropertyCells& data, qint32 columnCount, qint32 rowCount, const QVariant& bookmark,
                   qint32 column);

} // namespace properties
