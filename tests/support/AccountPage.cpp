#include "tests/support/AccountPage.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include "app/Unit1.h"
#include "store/Connection.h"

namespace tessavo::test {

store::Connection& AccountPage::connection() { return *main().ADOConnection1; }

void AccountPage::logInWith(const std::vector<PlainRecord>& records) {
    numbers = storeRecords(connection(), records);
    logIn();
}

int AccountPage::gridRows() { return main().DBGrid1->model()->rowCount(); }

QString AccountPage::gridText(int row, int column) {
    const QAbstractItemModel* model = main().DBGrid1->model();
    return model->data(model->index(row, column)).toString();
}

QStringList AccountPage::gridColumn(int column) {
    QStringList texts;
    for (int row = 0; row < gridRows(); ++row) texts.append(gridText(row, column));
    return texts;
}

int AccountPage::gridCurrentRow() { return main().DBGrid1->currentIndex().row(); }

QStringList AccountPage::listedCategories() {
    QStringList names;
    for (int row = 0; row < main().ListBox_Class->count(); ++row) names.append(main().ListBox_Class->item(row)->text());
    return names;
}

QStringList AccountPage::pickListCategories() {
    QStringList names;
    for (int index = 0; index < main().Edit_FenLei->count(); ++index) names.append(main().Edit_FenLei->itemText(index));
    return names;
}

void AccountPage::clickRow(int row) {
    QTableView* grid = main().DBGrid1;
    const QModelIndex cell = grid->model()->index(row, 0);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
}

void AccountPage::clickCategory(const QString& name) {
    QListWidget* list = main().ListBox_Class;
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

void AccountPage::turnWheel(int delta) { turnWheelOver(main().DBGrid1->viewport(), QPoint(0, delta)); }

void AccountPage::turnWheelOver(QWidget* part, QPoint angleDelta) {
    const QPointF at = part->rect().center();
    QWheelEvent event(at, part->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(part, &event);
}

}  // namespace tessavo::test
