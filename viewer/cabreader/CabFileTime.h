// Calendar time of a cabinet entry's DOS date and time stamp, and its text in
// the listing.
#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace cabreader {

// The date and time the stamp names, seconds included, taken as they stand:
// no time zone is applied (the value carries UTC only so that no local
// daylight-saving gap can move it). A stamp that names no real moment gives the
// zero date-time, 30 December 1899 00:00:00.
QDateTime ToCabFileTime(quint16 DosDate, quint16 DosTime);

// "MM/DD/YYYY HH:MM:SS", or just "MM/DD/YYYY" at exactly midnight.
QString CabDateText(const QDateTime& value);

} // namespace cabreader
