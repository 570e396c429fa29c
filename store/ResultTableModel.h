#pragma once

#include <QAbstractTableModel>
#include <QPointer>

// QPointer's conversion to Query* needs the whole class.
#include "store/Query.h"

namespace tessavo::store {

// A read-only table over the open result of a query, for the grid (DBGrid1). Its columns are
// the result's columns, titled with their names; it is empty while the result is closed and
// starts over whenever the query opens, closes or loses a row.
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultTableModel(Query* query, QObject* parent = nullptr);

    Query* query() const { return query_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QPointer<Query> query_;
};

}  // namespace tessavo::store
