#include "viewer/export/ContactSheetGrid.h"

#include <QHash>
#include <QSet>
#include <QTime>

#include <algorithm>
#include <optional>

namespace exporting {

namespace {

std::optional<QTime> ClockTime(const QString& text)
{
    static const char* const kFormats[] = {"h:mm AP", "h:mm:ss AP", "h:mmAP", "h AP", "H:mm", "H:mm:ss"};
    const QString t = text.trimmed();
    for (const char* format : kFormats) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

// The distinct times in the order the columns take.
QStringList ColumnOrder(const QStringList& timesInOrder)
{
    QStringList times;
    QSet<QString> seen;
    for (const QString& t : timesInOrder) {
        if (!seen.contains(t)) {
            seen.insert(t);
            times.append(t);
        }
    }
    QHash<QString, QTime> clock;
    for (const QString& t : times) {
        const std::optional<QTime> parsed = ClockTime(t);
        if (!parsed)
            return times;
        clock.insert(t, *parsed);
    }
    std::stable_sort(times.begin(), times.end(),
                     [&clock](const QString& a, const QString& b) { return clock.value(a) < clock.value(b); });
    return times;
}

} // namespace

SheetGrid BuildSheetGrid(const study::StudyRecord& record, const PanelSequence& panel, const QList<int>& frames)
{
    SheetGrid grid;
    const int view = panel.Settings.View;
    if (view < 1 || view > record.ViewCount())
        return grid;
    const study::StudyView& samples = record.Views[view];

    struct Entry {
        int frame;
        const study::StudySample* sample;
    };
    std::vector<Entry> entries;
    QStringList times;
    for (int frame : frames) {
        if (frame < 1 || frame > panel.Sources.size())
            continue;
        const study::StudySample& sample = samples.Samples[panel.Sources[frame - 1].Sample];
        entries.push_back({frame, &sample});
        times.append(sample.SampleTime);
    }
    grid.ColumnTimes = ColumnOrder(times);
    QHash<QString, int> columnOf;
    for (int c = 0; c < grid.ColumnTimes.size(); ++c)
        columnOf.insert(grid.ColumnTimes[c], c);

    // The rows a date has, each with the columns already taken.
    QHash<QString, QList<int>> rowsOfDate;
    std::vector<QSet<int>> taken;
    for (const Entry& e : entries) {
        const int column = columnOf.value(e.sample->SampleTime);
        QList<int>& rows = rowsOfDate[e.sample->SampleDate];
        int row = -1;
        for (int r : rows) {
            if (!taken[r].contains(column)) {
                row = r;
                break;
            }
        }
        if (row < 0) {
            row = grid.Rows();
            grid.RowDates.append(e.sample->SampleDate);
            taken.emplace_back();
            rows.append(row);
        }
        taken[row].insert(column);
        const QString time = e.sample->DaylightSaving ? e.sample->SampleTime + QStringLiteral(" DST")
                                                      : e.sample->SampleTime;
        grid.Cells.push_back({row, column, e.frame, e.sample->SampleDate, time});
    }

    // A date's second row stands right under its first, not after later dates.
    std::vector<int> order(grid.Rows());
    for (int r = 0; r < grid.Rows(); ++r)
        order[r] = r;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return rowsOfDate.value(grid.RowDates[a]).front() < rowsOfDate.value(grid.RowDates[b]).front();
    });
    std::vector<int> placeOf(grid.Rows());
    QStringList dates;
    for (int k = 0; k < grid.Rows(); ++k) {
        placeOf[order[k]] = k;
        dates.append(grid.RowDates[order[k]]);
    }
    grid.RowDates = dates;
    for (SheetCell& cell : grid.Cells)
        cell.Row = placeOf[cell.Row];
    return grid;
}

} // namespace exporting
