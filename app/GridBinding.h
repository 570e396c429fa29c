#pragma once

class QTableView;

namespace tessavo::store {
class Query;
}  // namespace tessavo::store

namespace tessavo::app {

// Keeps the grid's current row and the result's current row the same, both ways.
void bindGridToResult(QTableView* grid, store::Query* query);

}  // namespace tessavo::app
