#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <vector>

#include "tests/support/AccountRecords.h"
#include "tests/support/ProgramFixture.h"

class QWidget;

namespace tessavo::store {
class Connection;
}

namespace tessavo::test {

// The program with records of its own, logged in on the account page, and the user's gestures
// on that page: real clicks on grid rows and list entries, wheel events on the grid.
class AccountPage : public ProgramFixture {
protected:
    store::Connection& connection();
    // Stores the records before the login, which loads the categories and the listing.
    void logInWith(const std::vector<PlainRecord>& records);

    // The grid as the user sees it.
    int gridRows();
    QString gridText(int row, int column);
    // The texts of one column, top to bottom.
    QStringList gridColumn(int column);
    // The 0-based row of the grid's current cell.
    int gridCurrentRow();

    QStringList listedCategories();
    QStringList pickListCategories();

    // A left click on the first shown cell of a grid row (0-based).
    void clickRow(int row);
    // A left click on the entry of the category list with this text.
    void clickCategory(const QString& name);
    // One wheel event on the grid with this vertical angle delta.
    void turnWheel(int delta);
    // One wheel event with these angle deltas (x sideways, y vertical) over one part of the
    // grid: its rows, a scroll bar, a header.
    void turnWheelOver(QWidget* part, QPoint angleDelta);

    std::vector<qint64> numbers;
};

}  // namespace tessavo::test
