#include "viewer/properties/PropertyModel.h"

namespace properties {

PropertyModel::PropertyModel(const PropertyTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table)
{
}

int PropertyModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : table_.PropertyRowCount;
}

int PropertyModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : table_.PropertyColumnCount;
}

QVariant PropertyModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return table_.PropertyData.Cell(index.column(), index.row());
}

QVariant PropertyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kPropertyColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kPropertyHeaders[section]);
}

Qt::ItemFlags PropertyModel::flags(const QModelIndex& index) const
{
    // Selectable so a user can pick out a row while reading; never editable.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant PropertyModel::CellRequest(const QVariant& bookmark, qint32 column) const
{
    return CellValue(table_.PropertyData, table_.PropertyColumnCount, table_.PropertyRowCount, bookmark, column);
}

QVariant PropertyModel::RelativeRowRequest(const QVariant& start, qint32 offset, qint32& approximatePosition) const
{
    QVariant bookmark = RelativeBookmark(table_.PropertyRowCount, start, offset);
    if (!bookmark.isNull())
        approximatePosition = RowFromBookmark(table_.PropertyRowCount, bookmark, 0);
    return bookmark;
}

} // namespace properties
