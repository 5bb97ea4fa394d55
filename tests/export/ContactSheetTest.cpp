// Contact sheets: frames in rows by date and columns by clock time, each picture
// in its cell; PDF pages as many as the grid needs.
#include "ExportStudy.h"

#include "viewer/export/ContactSheet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

using namespace exporting;
using exporttest::ExportStudy;
using exporttest::StudyShape;

namespace {

QList<int> AllFrames(int count)
{
    QList<int> frames;
    for (int k = 1; k <= count; ++k)
        frames << k;
    return frames;
}

int PdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

TEST(ContactSheetGrid, RowsAreDatesAndColumnsClockTimes)
{
    // Samples list 12:00 PM, 8:00 AM, 4:00 PM for each date.
    const ExportStudy study;
    const ExportScene scene = study.Scene(1);
    const SheetGrid grid = BuildSheetGrid(study.Record(), scene.Panels.front(), AllFrames(6));
    EXPECT_EQ(grid.RowDates, (QStringList{QStringLiteral("March 21"), QStringLiteral("June 21")}));
    EXPECT_EQ(grid.ColumnTimes, (QStringList{QStringLiteral("8:00 AM"), QStringLiteral("12:00 PM"), QStringLiteral("4:00 PM")}));
    ASSERT_EQ(grid.Cells.size(), 6u);
    EXPECT_EQ(grid.Cells[0].Column, 1); // frame 1 at noon
    EXPECT_EQ(grid.Cells[1].Column, 0);
    EXPECT_EQ(grid.Cells[5].Row, 1);
    EXPECT_EQ(grid.Cells[5].Column, 2);

    // Times that are no clock times keep the order they come in.
    StudyShape odd;
    odd.times = {QStringLiteral("noon"), QStringLiteral("dawn")};
    const ExportStudy other(odd);
    const SheetGrid named = BuildSheetGrid(other.Record(), other.Scene(1).Panels.front(), AllFrames(4));
    EXPECT_EQ(named.ColumnTimes, (QStringList{QStringLiteral("noon"), QStringLiteral("dawn")}));

    // A date whose day holds one time twice gets a second row, right under the first.
    StudyShape twice;
    twice.dates = {QStringLiteral("May 1"), QStringLiteral("May 2"), QStringLiteral("May 1")};
    twice.times = {QStringLiteral("9:00 AM")};
    const ExportStudy repeated(twice);
    const SheetGrid rows = BuildSheetGrid(repeated.Record(), repeated.Scene(1).Panels.front(), AllFrames(3));
    EXPECT_EQ(rows.RowDates, (QStringList{QStringLiteral("May 1"), QStringLiteral("May 1"), QStringLiteral("May 2")}));
    EXPECT_EQ(rows.Cells[2].Row, 1);
}

TEST(ContactSheet, APngSheetPutsEachFrameInItsCell)
{
    const ExportStudy study;
    const ExportScene scene = study.Scene(1);
    SheetRequest request;
    request.Path = study.Path(QStringLiteral("sheet.png"));
    request.Frames = AllFrames(6);
    request.CellWidth = 120;
    const ExportOutcome outcome = ExportContactSheetPng(scene, request);
    ASSERT_TRUE(outcome.ok()) << outcome.Error.toStdString();
    EXPECT_EQ(outcome.Frames, 6);

    const QImage sheet(request.Path);
    const SheetGrid grid = BuildSheetGrid(study.Record(), scene.Panels.front(), request.Frames);
    const SheetPage page = PngSheetPage(grid, QSize(64, 40), 120);
    ASSERT_EQ(sheet.size(), page.Size);
    EXPECT_EQ(page.Rows, 2);
    EXPECT_EQ(page.Columns, 3);
    EXPECT_EQ(page.PictureHeight, 75);
    for (const SheetCell& cell : grid.Cells) {
        const QPoint centre = page.PictureRect(cell.Row, cell.Column).center();
        EXPECT_TRUE(exporttest::Near(sheet.pixel(centre), exporttest::FrameColour(1, cell.Frame)))
            << "frame " << cell.Frame << " at row " << cell.Row << ", column " << cell.Column;
    }
    // The title block and the space between cells stay paper white.
    EXPECT_EQ(sheet.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(ContactSheet, APdfSheetTakesAsManyPagesAsItsGridNeeds)
{
    // Six dates of twelve times: columns beyond a page's width and rows beyond
    // its height continue on further pages.
    StudyShape shape;
    shape.views = 1;
    shape.dates.clear();
    for (int d = 1; d <= 6; ++d)
        shape.dates << QStringLiteral("May %1").arg(d);
    shape.times.clear();
    for (int h = 6; h < 18; ++h)
        shape.times << QStringLiteral("%1:00").arg(h);
    shape.width = 16;
    shape.height = 12;
    const ExportStudy study(shape);
    const ExportScene scene = study.Scene(1);
    const SheetGrid grid = BuildSheetGrid(study.Record(), scene.Panels.front(), AllFrames(72));
    ASSERT_EQ(grid.Columns(), 12);

    struct Case {
        PaperSize paper;
        const char* name;
    };
    for (const Case& c : {Case{PaperSize::A4, "a4.pdf"}, Case{PaperSize::Letter, "letter.pdf"}}) {
        SCOPED_TRACE(c.name);
        const std::vector<SheetPage> pages = PdfSheetPages(grid, QSize(16, 12), c.paper, 150);
        ASSERT_GE(pages.size(), 2u);
        int cellsOnPages = 0;
        for (const SheetPage& page : pages) {
            EXPECT_GT(page.Size.width(), page.Size.height()) << "landscape";
            EXPECT_LE(page.Grid.bottom(), page.Size.height());
            EXPECT_LE(page.Grid.right(), page.Size.width());
            cellsOnPages += page.Rows * page.Columns;
        }
        EXPECT_EQ(cellsOnPages, 72);

        SheetRequest request;
        request.Path = study.Path(QString::fromLatin1(c.name));
        request.Frames = AllFrames(72);
        request.Paper = c.paper;
        const ExportOutcome outcome = ExportContactSheetPdf(scene, request);
        ASSERT_TRUE(outcome.ok()) << outcome.Error.toStdString();
        EXPECT_EQ(PdfPageCount(request.Path), static_cast<int>(pages.size()));
    }

    // The morning of one day fits one page.
    SheetRequest oneDate;
    oneDate.Path = study.Path(QStringLiteral("may1.pdf"));
    oneDate.Frames = AllFrames(6);
    ASSERT_TRUE(ExportContactSheetPdf(scene, oneDate).ok());
    EXPECT_EQ(PdfPageCount(oneDate.Path), 1);
    EXPECT_EQ(ExportContactSheetPdf(study.Scene(1), {oneDate.Path, {}, PaperSize::A4, 320}).Error,
              QStringLiteral("There are no frames to export"));
}

} // namespace
