// Serves the properties table to a QTableView: headers, cell texts, read only.
#pragma once

#include "viewer/properties/PropertyTable.h"

#include <QAbstractTableModel>

namespace properties {

class PropertyModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The table must outlive the model.
    explicit PropertyModel(const PropertyTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The grid's two data requests by bookmark. The view itself asks by row
    // and column and is answered straight from the table, with the same texts.
    QVariant CellRequest(const QVariant& bookmark, qint32 column) const;
    // The bookmark offset rows from start, or null; approximatePosition gets
    // its row when there is one and is left alone otherwise.
    QVariant RelativeRowRequest(const QVariant& start, qint32 offset, qint32& approximatePosition) const;

private:
    const PropertyTable& table_;
};

} // namespace properties
