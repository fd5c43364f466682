#include "addressbook/RecipientTableModel.h"

#include "data/Database.h"

RecipientTableModel::RecipientTableModel(db::Dataset *dataset, const QStringList &columns, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(columns)
{
    // The dataset has already changed when it tells us; the view asks nothing in between.
    connect(dataset, &db::Dataset::reset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(dataset, &db::Dataset::rowInserted, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(dataset, &db::Dataset::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        endRemoveRows();
        // The numbers below the removed row change.
        if (row < rowCount())
            emit dataChanged(index(row, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    });
    connect(dataset, &db::Dataset::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
    });
}

int RecipientTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataset->isActive() ? 0 : m_dataset->recordCount();
}

int RecipientTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.size();
}

QVariant RecipientTableModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::ToolTipRole && index.isValid() && !m_rowHint.isEmpty())
        return m_rowHint;
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    // The number column is found by its title, so the numbers follow it wherever it is moved.
    const QString &title = m_columns.at(index.column());
    if (title == rowNumberTitle())
        return QString::number(index.row() + 1);
    return m_dataset->value(index.row(), m_dataset->fieldIndex(title));
}

QVariant RecipientTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section);
    return {};
}

Qt::ItemFlags RecipientTableModel::flags(const QModelIndex &index) const
{
    // Read-only: rows can be selected, never edited in the grid.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
