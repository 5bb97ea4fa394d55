// The study's samples as the eight-column properties table: one row per sample
// of every view, an empty row after each view, and the width each column needs.
#pragma once

#include "viewer/properties/GridSupport.h"
#include "viewer/study/StudyRecord.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

namespace properties {

inline constexpr qint32 kPropertyColumns = 8;

// Column headers, in column order.
extern const std::array<const char*, kPropertyColumns> kPropertyHeaders;

// Space added to the widest text of a column, in twips.
inline constexpr qint32 kColumnPadTwips = 120;

// Width of a text in twips in the font the table is shown in.
using TextWidthTwips = std::function<double(const QString&)>;

struct PropertyTable {
    PropertyCells PropertyData{kPropertyColumns};
    qint32 PropertyRowCount = 0;
    qint32 PropertyColumnCount = kPropertyColumns;
    // Widest text of each column, header included, rounded to whole twips;
    // the grid adds kColumnPadTwips.
    std::array<qint32, kPropertyColumns> TextWidths{};
};

// Builds the table from the study; every text is measured once, here.
PropertyTable BuildPropertyTable(const study::StudyRecord& study, const TextWidthTwips& textWidth);

// The texts of one sample's cells.
QString PropertySkyName(qint32 skyCondition); // "Cloudy" for 4; "Unknown (n)" outside the table
QString ElectricText(qint16 electricState);   // "On", "Off", or "Unknown (n)"
// A study-relative image name without its folder; "N.A." for an empty name
// when emptyText asks for it.
QString FileCellText(const QString& name, const QString& emptyText);

// Column widths in pixels: widest text plus the pad, at dotsPerInch.
qint32 TwipsToPixels(double twips, double dotsPerInch);

} // namespace properties
