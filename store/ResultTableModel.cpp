#include "store/ResultTableModel.h"

#include "store/Query.h"

namespace tessavo::store {

namespace {

const ResultSet* openResultOf(const Query* query) { return query != nullptr ? query->result() : nullptr; }

}  // namespace

ResultTableModel::ResultTableModel(Query* query, QObject* parent) : QAbstractTableModel(parent), query_(query) {
    connect(query, &Query::resultAboutToChange, this, &ResultTableModel::beginResetModel);
    connect(query, &Query::resultChanged, this, &ResultTableModel::endResetModel);
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    const ResultSet* result = openResultOf(query_);
    return parent.isValid() || result == nullptr ? 0 : result->rowCount();
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    const ResultSet* result = openResultOf(query_);
    return parent.isValid() || result == nullptr ? 0 : result->columnCount();
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    const ResultSet* result = openResultOf(query_);
    if (role != Qt::DisplayRole || result == nullptr || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    return result->text(index.row(), index.column());
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const ResultSet* result = openResultOf(query_);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && result != nullptr && section >= 0 &&
        section < result->columnCount())
        return result->columnNames().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace tessavo::store
