#include "viewer/cabreader/CabFileTime.h"

namespace cabreader {

namespace {

QDateTime ZeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0), Qt::UTC);
}

} // namespace

QDateTime ToCabFileTime(quint16 DosDate, quint16 DosTime)
{
    // DOS packs the year from 1980 in 7 bits, the month in 4, the day in 5;
    // hours in 5 bits, minutes in 6 and seconds halved in 5.
    const int year = 1980 + (DosDate >> 9);
    const int month = (DosDate >> 5) & 0x0F;
    const int day = DosDate & 0x1F;
    const int hour = DosTime >> 11;
    const int minute = (DosTime >> 5) & 0x3F;
    const int second = (DosTime & 0x1F) * 2;

    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return ZeroDateTime();
    return QDateTime(date, time, Qt::UTC);
}

QString CabDateText(const QDateTime& value)
{
    const QString date = value.date().toString(QStringLiteral("MM/dd/yyyy"));
    if (value.time() == QTime(0, 0, 0))
        return date;
    return date + u' ' + value.time().toString(QStringLiteral("HH:mm:ss"));
}

} // namespace cabreader
