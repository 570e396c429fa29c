#include "app/GridBinding.h"

#include <QItemSelectionModel>
#include <QTableView>

#include "store/Query.h"

namespace tessavo::app {
namespace {

int firstShownColumn(const QTableView* grid) {
    const int columns = grid->model()->columnCount();
    for (int column = 0; column < columns; ++column) {
        if (!grid->isColumnHidden(column)) return column;
    }
    return 0;
}

}  // namespace

void bindGridToResult(QTableView* grid, store::Query* query) {
    // The result moved (a navigation button, the wheel, an open): the grid follows.
    QObject::connect(query, &store::Query::currentRowChanged, grid, [grid](int recNo) {
        if (recNo < 1) return;
        const QModelIndex target = grid->model()->index(recNo - 1, firstShownColumn(grid));
        if (grid->currentIndex().row() != target.row()) {
            grid->selectionModel()->setCurrentIndex(target,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    });
    // The user moved in the grid (click, arrow keys): the result follows.
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, query,
                     [query](const QModelIndex& current) {
                         if (current.isValid() && query->isOpen() && query->recNo() != current.row() + 1) {
                             query->setRecNo(current.row() + 1);
                         }
                     });
}

}  // namespace tessavo::app
