#pragma once

// The recipient grid's model: a view over the recipient dataset's snapshot, one row per row of the
// current result. The column titled "序号" is not bound to a field; it shows the row's number.

#include <QAbstractTableModel>
#include <QStringList>

namespace db {
class Dataset;
}

class RecipientTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static QString rowNumberTitle() { return QStringLiteral("序号"); }

    // columns: the titles in order; every title but "序号" names the field it shows.
    RecipientTableModel(db::Dataset *dataset, const QStringList &columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The tooltip over every row (the view's own tooltip shows only over the empty area).
    void setRowHint(const QString &hint) { m_rowHint = hint; }

private:
    QString m_rowHint;
    db::Dataset *m_dataset;
    QStringList m_columns;
};
