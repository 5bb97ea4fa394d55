// The properties table as tab-delimited text for pasting into a spreadsheet.
#pragma once

#include "viewer/properties/PropertyTable.h"

#include <QString>

namespace properties {

// "Daylight Study Properties: " and the study name, the eight headers joined by
// tabs, then every row of the table with a tab after each cell; every line ends
// with CR LF. Cell texts go in as they are.
QString PropertiesCopyText(const QString& StudyName, const PropertyTable& table);

} // namespace properties
