// Exports one panel's frames as a contact sheet: a title block (study, site,
// view, sky, lighting, colour) over a grid of small pictures in rows by date and
// columns by time of day, each captioned with its date and time. As a PDF of
// landscape pages (A4 or Letter; a grid too large for one page continues on
// the next) or as one PNG image. Written under a temporary name and renamed
// into place, like every export.
#pragma once

#include "viewer/export/AnimationExport.h"
#include "viewer/export/ContactSheetGrid.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace exporting {

enum class PaperSize { A4, Letter };

struct SheetRequest {
    QString Path;      // replaced when it exists: the caller asks the user first
    QList<int> Frames; // 1-based frames of the scene's first panel
    PaperSize Paper = PaperSize::A4; // PDF only
    int CellWidth = 320;             // PNG only: a picture's width in pixels
};

// Where everything goes on one page (PDF, in the writer's pixels) or on the
// one image (PNG).
struct SheetPage {
    QSize Size;
    QRect Title;                // the title block
    QRect Grid;                 // the cells' area
    int FirstRow = 0, Rows = 0; // grid rows on this page
    int FirstColumn = 0, Columns = 0;
    int CellWidth = 0, CellHeight = 0; // a cell: picture and caption line
    int PictureHeight = 0;
    int Gap = 0; // between neighbouring cells
    // The picture's place for grid cell (row, column) on this page.
    QRect PictureRect(int row, int column) const;
};

// The pages of a PDF sheet at `dotsPerInch` for pictures of `picture` shape;
// at least one page, also for an empty grid.
std::vector<SheetPage> PdfSheetPages(const SheetGrid& grid, QSize picture, PaperSize paper, int dotsPerInch);

// The one page of a PNG sheet with pictures `cellWidth` wide; smaller cells
// are used where the image would pass 32767 pixels a side.
SheetPage PngSheetPage(const SheetGrid& grid, QSize picture, int cellWidth);

// The sheet of the scene's first panel. Errors besides the renderer's and the
// file's: "A contact sheet shows one panel" when the scene has another count.
ExportOutcome ExportContactSheetPdf(const ExportScene& scene, const SheetRequest& request,
                                    const ExportProgress& progress = {},
                                    const FramePipeline& pipeline = FramePipeline());
ExportOutcome ExportContactSheetPng(const ExportScene& scene, const SheetRequest& request,
                                    const ExportProgress& progress = {},
                                    const FramePipeline& pipeline = FramePipeline());

} // namespace exporting
