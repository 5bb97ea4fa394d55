// The bookmark procedures the grid asks through: rows from bookmarks at both
// ends of a table, bookmark texts, relative moves and cell lookups.
#include "PropertyStudies.h"

#include "viewer/properties/GridSupport.h"

#include <gtest/gtest.h>

using namespace properties;

namespace {

PropertyCells NumberedCells(qint32 columns, qint32 rows)
{
    PropertyCells cells(columns);
    for (qint32 r = 0; r < rows; ++r) {
        cells.AddRow();
        for (qint32 c = 0; c < columns; ++c)
            cells.SetCell(c, r, QStringLiteral("%1,%2").arg(c).arg(r));
    }
    return cells;
}

} // namespace

TEST(GridSupport, NullBookmarkCountsFromEitherEnd)
{
    EXPECT_EQ(RowFromBookmark(8, QVariant(), 1), 0);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), 8), 7);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), 9), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), -1), 7);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), -8), 0);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), -9), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QVariant(), 0), kNoRow);
    EXPECT_EQ(kNoRow, -9999);
}

TEST(GridSupport, TextBookmarkPlusOffsetMustStayInsideTheTable)
{
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral(" 5"), 2), 7);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral(" 5"), 3), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral(" 0"), -1), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral(" 0"), 0), 0);
    EXPECT_EQ(RowFromBookmark(0, QStringLiteral(" 0"), 0), kNoRow);
    EXPECT_EQ(RowFromBookmark(0, QVariant(), 1), kNoRow);
    EXPECT_EQ(RowFromBookmark(0, QVariant(), -1), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QVariant(3), 1), 4); // the grid may hand a number back
}

TEST(GridSupport, BookmarkTextsAreReadByTheirLeadingNumber)
{
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("row 5"), 2), 2); // no number: row 0
    EXPECT_EQ(RowFromBookmark(8, QString(), 1), 1);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("3abc"), 0), 3);
    EXPECT_EQ(RowFromBookmark(20, QStringLiteral(" 1 2"), 0), 12); // blanks inside are skipped
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("-2"), 3), 1);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("2.5"), 0), 2); // halves to the even row
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("3.5"), 0), 4);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("2.51"), 0), 3);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("5e-1"), 0), 0);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("1e300"), 0), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("1e999"), 0), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("-1e999"), 0), kNoRow);
    EXPECT_EQ(RowFromBookmark(8, QStringLiteral("1e-999"), 2), 2);
    EXPECT_EQ(RowFromBookmark(2147483647, QStringLiteral(" 2147483646"), 1), kNoRow);
    EXPECT_EQ(RowFromBookmark(2147483647, QStringLiteral(" 2147483646"), 0), 2147483646);
}

TEST(GridSupport, BookmarkIsTheRowWithALeadingBlank)
{
    EXPECT_EQ(BookmarkFromRow(0), QStringLiteral(" 0"));
    EXPECT_EQ(BookmarkFromRow(12), QStringLiteral(" 12"));
    EXPECT_EQ(BookmarkFromRow(-3), QStringLiteral("-3"));
    for (qint32 row : {0, 1, 7, 12, 99999})
        EXPECT_EQ(RowFromBookmark(100000, BookmarkFromRow(row), 0), row);
}

TEST(GridSupport, RelativeBookmarkIsNullOutsideTheTable)
{
    EXPECT_EQ(RelativeBookmark(8, QStringLiteral(" 5"), 2), QVariant(QStringLiteral(" 7")));
    EXPECT_TRUE(RelativeBookmark(8, QStringLiteral(" 5"), 3).isNull());
    EXPECT_EQ(RelativeBookmark(8, QVariant(), 1), QVariant(QStringLiteral(" 0")));
    EXPECT_EQ(RelativeBookmark(8, QVariant(), -1), QVariant(QStringLiteral(" 7")));
    EXPECT_TRUE(RelativeBookmark(8, QVariant(), 0).isNull());
    EXPECT_TRUE(RelativeBookmark(0, QVariant(), 1).isNull());
}

TEST(GridSupport, CellValueAnswersNullOutsideTheTable)
{
    const PropertyCells cells = NumberedCells(8, 3);
    EXPECT_EQ(CellValue(cells, 8, 3, QStringLiteral(" 2"), 7), QVariant(QStringLiteral("7,2")));
    EXPECT_EQ(CellValue(cells, 8, 3, QStringLiteral(" 0"), 0), QVariant(QStringLiteral("0,0")));
    EXPECT_TRUE(CellValue(cells, 8, 3, QStringLiteral(" 0"), 8).isNull());
    EXPECT_TRUE(CellValue(cells, 8, 3, QStringLiteral(" 0"), -1).isNull());
    EXPECT_TRUE(CellValue(cells, 8, 3, QStringLiteral(" 3"), 0).isNull());
    EXPECT_TRUE(CellValue(cells, 8, 3, QVariant(), 0).isNull()); // null with offset 0 is no row
    // Counts larger than the data never read past it.
    EXPECT_EQ(CellValue(cells, 9, 5, QStringLiteral(" 4"), 8), QVariant(QString()));
}

TEST(GridSupport, EmptyCellsAreEmptyTextNotNull)
{
    PropertyCells cells(8);
    cells.AddRow();
    const QVariant value = CellValue(cells, 8, 1, QStringLiteral(" 0"), 3);
    EXPECT_FALSE(value.isNull());
    EXPECT_EQ(value.toString(), QString());
}
