#include "viewer/export/ContactSheet.h"

#include "viewer/export/StagedFile.h"
#include "viewer/window/SkyConditions.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace exporting {

namespace {

// The PDF's resolution: fine enough for print at the pictures' small size.
constexpr int kPdfDotsPerInch = 150;
// The largest side a PNG sheet may have; many viewers refuse larger images.
constexpr int kMaxPngSide = 32767;

int Dots(double mm, int dotsPerInch)
{
    return static_cast<int>(std::lround(mm / 25.4 * dotsPerInch));
}

int PictureHeightFor(int width, QSize picture)
{
    if (picture.isEmpty())
        return width * 10 / 16;
    return std::max(1, static_cast<int>(std::lround(double(width) * picture.height() / picture.width())));
}

// Sizes of one sheet's parts, in the page's pixels.
struct SheetMetrics {
    int margin = 0;
    int gap = 0;
    int titleHeight = 0;
    int captionHeight = 0;
};

SheetMetrics PdfMetrics(int dpi)
{
    return {Dots(10, dpi), Dots(2.5, dpi), Dots(20, dpi), Dots(5, dpi)};
}

SheetMetrics PngMetrics(int cellWidth)
{
    const int unit = std::max(4, cellWidth / 16);
    return {2 * unit, unit, 6 * unit, 2 * unit};
}

SheetPage PageFrame(QSize size, const SheetMetrics& m)
{
    SheetPage page;
    page.Size = size;
    page.Gap = m.gap;
    page.Title = QRect(m.margin, m.margin, size.width() - 2 * m.margin, m.titleHeight);
    const int top = page.Title.bottom() + 1 + m.gap;
    page.Grid = QRect(m.margin, top, size.width() - 2 * m.margin, size.height() - m.margin - top);
    return page;
}

int CaptionPixelSize(int captionHeight)
{
    return std::max(6, captionHeight * 6 / 10);
}

struct SheetText {
    QString heading;  // the study
    QString site;
    QString settings; // view, sky, lighting, colour
};

SheetText TitleOf(const ExportScene& scene)
{
    SheetText text;
    const PanelSequence& panel = scene.Panels.front();
    const int view = panel.Settings.View;
    const QString viewName = view >= 1 && view <= scene.Study.ViewCount() ? scene.Study.Views[view].ViewName : QString();
    const viewer::PanelChoice& c = panel.Settings.Choice;
    text.heading = scene.Study.StudyName;
    text.site = QStringLiteral("Site: %1").arg(scene.Study.SiteName);
    text.settings = QStringLiteral("View: %1   ·   Sky: %2   ·   Electric lighting: %3   ·   Colour: %4")
                        .arg(viewName, viewer::SkyConditionName(c.SkyCode), LightingName(c), ColourName(c));
    return text;
}

void PaintTitle(QPainter& painter, const SheetPage& page, const SheetText& text, const QString& pageText)
{
    const QRect r = page.Title;
    const int line = std::max(6, r.height() / 4);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(line * 13 / 10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect head(r.left(), r.top(), r.width(), line * 17 / 10);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font).elidedText(text.heading, Qt::ElideRight, r.width() * 3 / 4));
    font.setBold(false);
    font.setPixelSize(line * 8 / 10);
    painter.setFont(font);
    if (!pageText.isEmpty())
        painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, pageText);
    const QFontMetrics metrics(font);
    const QRect site(r.left(), head.bottom() + 1, r.width(), line);
    painter.drawText(site, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(text.site, Qt::ElideRight, r.width()));
    const QRect settings(r.left(), site.bottom() + 1, r.width(), line);
    painter.drawText(settings, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(text.settings, Qt::ElideRight, r.width()));
    painter.setPen(QPen(QColor(120, 120, 120), std::max(1, line / 12)));
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

void PaintCell(QPainter& painter, const SheetPage& page, const QRect& picture, const QImage& image,
               const QString& caption)
{
    painter.drawImage(picture, image);
    const int captionHeight = page.CellHeight - page.PictureHeight;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // A long date and time shrinks to fit under a narrow picture before it is cut short.
    const int largest = CaptionPixelSize(captionHeight);
    int size = largest;
    for (; size > largest / 2; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(caption) <= picture.width())
            break;
    }
    font.setPixelSize(size);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect line(picture.left(), picture.bottom() + 1, picture.width(), captionHeight);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                     QFontMetrics(font).elidedText(caption, Qt::ElideRight, line.width()));
}

struct PagedCell {
    int page;
    std::size_t cell; // index into grid.Cells
};

int PageOf(const std::vector<SheetPage>& pages, const SheetCell& cell)
{
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const SheetPage& page = pages[p];
        if (cell.Row >= page.FirstRow && cell.Row < page.FirstRow + page.Rows && cell.Column >= page.FirstColumn &&
            cell.Column < page.FirstColumn + page.Columns)
            return static_cast<int>(p);
    }
    return -1;
}

// Renders every cell's picture in parallel and paints page by page: `nextPage`
// is called before every page after the first.
ExportOutcome PaintSheet(const ExportScene& scene, const SheetGrid& grid, const std::vector<SheetPage>& pages,
                         QPainter& painter, const std::function<bool()>& nextPage, const ExportProgress& progress,
                         const FramePipeline& pipeline)
{
    ExportOutcome outcome;
    std::vector<PagedCell> cells;
    for (std::size_t i = 0; i < grid.Cells.size(); ++i) {
        const int page = PageOf(pages, grid.Cells[i]);
        if (page >= 0)
            cells.push_back({page, i});
    }
    std::stable_sort(cells.begin(), cells.end(), [](const PagedCell& a, const PagedCell& b) { return a.page < b.page; });

    const SheetText title = TitleOf(scene);
    const int pageCount = static_cast<int>(pages.size());
    int current = -1;
    QString failure;
    const auto advanceTo = [&](int page) {
        while (current < page) {
            if (current >= 0 && !nextPage()) {
                failure = QStringLiteral("Could not start a new page");
                return false;
            }
            ++current;
            const QString pageText = pageCount > 1 ? QStringLiteral("Page %1 of %2").arg(current + 1).arg(pageCount)
                                                   : QString();
            PaintTitle(painter, pages[current], title, pageText);
        }
        return true;
    };

    const auto render = [&](int index) -> RenderedFrame {
        const PagedCell& pc = cells[index];
        const SheetCell& cell = grid.Cells[pc.cell];
        const QRect picture = pages[pc.page].PictureRect(cell.Row, cell.Column);
        ExportScene thumb;
        thumb.Study = scene.Study;
        thumb.Canvases = scene.Canvases;
        thumb.Panels = {scene.Panels.front()};
        thumb.Layout = ArrangePanels(1, picture.size());
        return thumb.Render(cell.Frame);
    };
    const int total = static_cast<int>(cells.size());
    int done = 0;
    const auto sink = [&](int index, const QImage& image) {
        const PagedCell& pc = cells[index];
        if (!advanceTo(pc.page))
            return false;
        const SheetCell& cell = grid.Cells[pc.cell];
        PaintCell(painter, pages[pc.page], pages[pc.page].PictureRect(cell.Row, cell.Column), image,
                  QStringLiteral("%1  %2").arg(cell.Date, cell.Time));
        done = index + 1;
        return !progress || progress(done, total);
    };
    const auto wait = [&] { return !progress || progress(done, total); };
    const PipelineOutcome run = pipeline.Run(total, render, sink, wait);
    if (!failure.isEmpty())
        outcome.Error = failure;
    else if (!run.Error.isEmpty())
        outcome.Error = run.Error;
    else if (run.Stopped)
        outcome.Cancelled = true;
    else if (!advanceTo(pageCount - 1))
        outcome.Error = failure;
    outcome.Frames = run.Delivered;
    return outcome;
}

QString SheetRefusal(const ExportScene& scene, const SheetGrid& grid)
{
    if (scene.Panels.size() != 1)
        return QStringLiteral("A contact sheet shows one panel");
    if (grid.Cells.empty())
        return QStringLiteral("There are no frames to export");
    return {};
}

QSize PictureShape(const ExportScene& scene)
{
    return scene.Layout.Cells.empty() ? QSize() : scene.Layout.Cells.front().Cell.size();
}

SheetGrid GridOf(const ExportScene& scene, const QList<int>& frames)
{
    return scene.Panels.empty() ? SheetGrid() : BuildSheetGrid(scene.Study, scene.Panels.front(), frames);
}

} // namespace

QRect SheetPage::PictureRect(int row, int column) const
{
    return {Grid.left() + (column - FirstColumn) * (CellWidth + Gap), Grid.top() + (row - FirstRow) * (CellHeight + Gap),
            CellWidth, PictureHeight};
}

std::vector<SheetPage> PdfSheetPages(const SheetGrid& grid, QSize picture, PaperSize paper, int dotsPerInch)
{
    const QPageSize pageSize(paper == PaperSize::A4 ? QPageSize::A4 : QPageSize::Letter);
    const QSize size = pageSize.sizePixels(dotsPerInch).transposed(); // landscape
    const SheetMetrics m = PdfMetrics(dotsPerInch);
    const SheetPage frame = PageFrame(size, m);
    const int columns = std::max(1, grid.Columns());
    const int rows = std::max(1, grid.Rows());

    // As many columns as fit at a readable width, the pictures filling the page's width.
    const int minWidth = Dots(25, dotsPerInch);
    const int maxWidth = Dots(90, dotsPerInch);
    const int perPageColumns = std::clamp((frame.Grid.width() + m.gap) / (minWidth + m.gap), 1, columns);
    int cellWidth = std::min(maxWidth, (frame.Grid.width() - (perPageColumns - 1) * m.gap) / perPageColumns);
    int pictureHeight = PictureHeightFor(cellWidth, picture);
    if (pictureHeight + m.captionHeight > frame.Grid.height()) {
        // Tall pictures: one row must still fit a page.
        pictureHeight = frame.Grid.height() - m.captionHeight;
        cellWidth = std::max(1, static_cast<int>(std::lround(double(pictureHeight) * std::max(1, picture.width()) /
                                                             std::max(1, picture.height()))));
    }
    const int cellHeight = pictureHeight + m.captionHeight;
    const int perPageRows = std::max(1, (frame.Grid.height() + m.gap) / (cellHeight + m.gap));

    std::vector<SheetPage> pages;
    for (int firstRow = 0; firstRow < rows; firstRow += perPageRows) {
        for (int firstColumn = 0; firstColumn < columns; firstColumn += perPageColumns) {
            SheetPage page = frame;
            page.FirstRow = firstRow;
            page.Rows = std::min(perPageRows, rows - firstRow);
            page.FirstColumn = firstColumn;
            page.Columns = std::min(perPageColumns, columns - firstColumn);
            page.CellWidth = cellWidth;
            page.CellHeight = cellHeight;
            page.PictureHeight = pictureHeight;
            // Cells keep their size on a page with fewer columns; the grid shrinks to them.
            page.Grid.setWidth(page.Columns * cellWidth + (page.Columns - 1) * m.gap);
            page.Grid.setHeight(page.Rows * cellHeight + (page.Rows - 1) * m.gap);
            pages.push_back(page);
        }
    }
    return pages;
}

SheetPage PngSheetPage(const SheetGrid& grid, QSize picture, int cellWidth)
{
    const int columns = std::max(1, grid.Columns());
    const int rows = std::max(1, grid.Rows());
    cellWidth = std::max(16, cellWidth);
    for (;;) {
        const SheetMetrics m = PngMetrics(cellWidth);
        const int pictureHeight = PictureHeightFor(cellWidth, picture);
        const int cellHeight = pictureHeight + m.captionHeight;
        const qint64 width = 2 * m.margin + qint64(columns) * cellWidth + qint64(columns - 1) * m.gap;
        const qint64 height =
            2 * m.margin + m.titleHeight + m.gap + qint64(rows) * cellHeight + qint64(rows - 1) * m.gap;
        if ((width > kMaxPngSide || height > kMaxPngSide) && cellWidth > 16) {
            const double shrink = std::min(double(kMaxPngSide) / width, double(kMaxPngSide) / height);
            cellWidth = std::max(16, std::min(cellWidth - 1, static_cast<int>(cellWidth * shrink)));
            continue;
        }
        SheetPage page = PageFrame(QSize(static_cast<int>(width), static_cast<int>(height)), m);
        page.Rows = grid.Rows();
        page.Columns = grid.Columns();
        page.CellWidth = cellWidth;
        page.CellHeight = cellHeight;
        page.PictureHeight = pictureHeight;
        return page;
    }
}

ExportOutcome ExportContactSheetPdf(const ExportScene& scene, const SheetRequest& request,
                                    const ExportProgress& progress, const FramePipeline& pipeline)
{
    ExportOutcome outcome;
    const SheetGrid grid = GridOf(scene, request.Frames);
    if (QString refusal = SheetRefusal(scene, grid); !refusal.isEmpty()) {
        outcome.Error = refusal;
        return outcome;
    }
    const std::vector<SheetPage> pages = PdfSheetPages(grid, PictureShape(scene), request.Paper, kPdfDotsPerInch);

    StagedFile staged(request.Path);
    if (QString error = staged.Create(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    QFile file(staged.TemporaryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        outcome.Error = QStringLiteral("Could not write the file %1: %2").arg(request.Path, file.errorString());
        return outcome;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(request.Paper == PaperSize::A4 ? QPageSize::A4 : QPageSize::Letter),
                                         QPageLayout::Landscape, QMarginsF()));
        writer.setTitle(QStringLiteral("%1 - contact sheet").arg(scene.Study.StudyName));
        writer.setCreator(QStringLiteral("HALVEX Daystrand"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            outcome.Error = QStringLiteral("Could not write the file %1").arg(request.Path);
            return outcome;
        }
        outcome = PaintSheet(scene, grid, pages, painter, [&writer] { return writer.newPage(); }, progress, pipeline);
        painter.end();
    }
    if (!outcome.ok())
        return outcome;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        outcome.Error = QStringLiteral("Could not write the file %1: %2").arg(request.Path, file.errorString());
        return outcome;
    }
    file.close();
    if (QString error = staged.Commit(); !error.isEmpty())
        outcome.Error = error;
    return outcome;
}

ExportOutcome ExportContactSheetPng(const ExportScene& scene, const SheetRequest& request,
                                    const ExportProgress& progress, const FramePipeline& pipeline)
{
    ExportOutcome outcome;
    const SheetGrid grid = GridOf(scene, request.Frames);
    if (QString refusal = SheetRefusal(scene, grid); !refusal.isEmpty()) {
        outcome.Error = refusal;
        return outcome;
    }
    const SheetPage page = PngSheetPage(grid, PictureShape(scene), request.CellWidth);
    QImage sheet(page.Size, QImage::Format_RGB32);
    if (sheet.isNull()) {
        outcome.Error = QStringLiteral("Not enough memory for a sheet of %1 x %2 pixels")
                            .arg(page.Size.width())
                            .arg(page.Size.height());
        return outcome;
    }
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        painter.setRenderHint(QPainter::TextAntialiasing);
        outcome = PaintSheet(scene, grid, {page}, painter, [] { return true; }, progress, pipeline);
    }
    if (!outcome.ok())
        return outcome;
    StagedFile staged(request.Path);
    if (QString error = staged.Create(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    QImageWriter writer(staged.TemporaryPath(), "png");
    if (!writer.write(sheet)) {
        outcome.Error = QStringLiteral("Could not write the file %1: %2").arg(request.Path, writer.errorString());
        return outcome;
    }
    if (QString error = staged.Commit(); !error.isEmpty())
        outcome.Error = error;
    return outcome;
}

} // namespace exporting
