// The grid of a contact sheet: one panel's frames in rows by date and columns
// by time of day, each cell knowing its frame and the date and time of the
// panel's own sample (what the picture in it shows).
#pragma once

#include "viewer/export/ExportSelection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace exporting {

struct SheetCell {
    int Row = 0;    // 0-based
    int Column = 0; // 0-based
    int Frame = 0;  // 1-based frame of the panel
    QString Date;
    QString Time;   // with " DST" where daylight saving applies
};

struct SheetGrid {
    QStringList RowDates;    // the date of each row; a date whose day holds one time twice gets a second row
    QStringList ColumnTimes; // the time of day of each column
    std::vector<SheetCell> Cells; // in frame order
    int Rows() const { return static_cast<int>(RowDates.size()); }
    int Columns() const { return static_cast<int>(ColumnTimes.size()); }
};

// Rows are dates in order of first appearance. Columns are times of day in
// clock order when every time reads as a clock time ("8:00 AM", "14:30"),
// otherwise in order of first appearance. Frames beyond the panel's end are
// left out.
SheetGrid BuildSheetGrid(const study::StudyRecord& record, const PanelSequence& panel, const QList<int>& frames);

} // namespace exporting
