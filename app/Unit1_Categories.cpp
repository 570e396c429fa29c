// Categories: the load from the records, add, rename and delete.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/Unit1.h"
#include "maintenance/Backup.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/Browse.h"
#include "store/CategoryNames.h"
#include "store/Query.h"
#include "store/Statements.h"

namespace tessavo::app {

namespace {

store::CategoryNames listedCategories(const QListWidget* list) {
    QStringList names;
    for (int row = 0; row < list->count(); ++row) names.append(list->item(row)->text());
    return store::CategoryNames(names);
}

// Asks for a category name; an empty answer (Cancel on an empty default too) ends without a
// word, a refused one with its message. Returns the accepted name, else empty text.
QString askCategoryName(const QString& defaultName, const store::CategoryNames& existing) {
    const QString answer =
        platform::dialogs().inputQuery(QStringLiteral("请输入分类"), QStringLiteral("分类"), defaultName);
    const store::CategoryNameVerdict verdict = store::judgeCategoryName(answer, existing);
    if (verdict == store::CategoryNameVerdict::Accepted) return answer;
    if (verdict != store::CategoryNameVerdict::Empty) platform::inform(store::categoryNameMessage(verdict));
    return {};
}

}  // namespace

void TForm1::Button_GeiClassClick() {
    ListBox_Class->clear();  // the program's own change: no category is chosen
    Edit_FenLei->clear();
    platform::trigger(Button_Refresh);
    // The refresh has just opened the listing by use: opening it once more would fetch the same
    // rows again, so its result is walked as it stands.
    const QStringList names = store::categoriesOf(*ADOQuery1->result()).names();
    ListBox_Class->addItems(names);
    Edit_FenLei->addItems(names);
    Edit_FenLei->setCurrentIndex(-1);  // the load leaves the editor without a category
    // The grid empties; a refresh right after this (the login's, the category commands') takes
    // these rows back instead of fetching them once more, unless the database changed.
    ADOQuery1->closeKeepingRows();
}

void TForm1::N5Click() {
    const QString name = askCategoryName(QString(), listedCategories(ListBox_Class));
    if (name.isEmpty()) return;
    store::executeChange(*ADOQuery1,
                         {store::sql::insertCategoryPlaceholder(name, store::categoryPlaceholderPassword())});
    platform::inform(QStringLiteral("分类添加成功."));
    platform::trigger(Button_GeiClass);
    platform::trigger(Button_Refresh);
}

void TForm1::N4Click() {
    const QString oldName = Edit_FenLei->currentText();
    if (oldName.isEmpty()) {
        platform::inform(QStringLiteral("请选中要修复的分类！"));
        return;
    }
    // Cancel returns the old name, which the list holds: the rename ends as a taken name.
    const QString newName = askCategoryName(oldName, listedCategories(ListBox_Class));
    if (newName.isEmpty()) return;
    store::executeChange(*ADOQuery_EnCrypt, store::sql::renameCategory(newName, oldName));
    ADOQuery_EnCrypt->close();
    platform::trigger(Button_GeiClass);
    platform::trigger(Button_Refresh);
}

void TForm1::N3Click() {
    if (!platform::confirmWarning(QStringLiteral("您真的要删除该分类吗?"))) return;
    const QString name = Edit_FenLei->currentText();
    // The delete goes on whether the copy was made or not.
    maintenance::BackupCopy(appDir(), maintenance::categoryDeletionBackupPrefix(name), panelText(kClockPanel));
    store::executeChange(*ADOQuery1, {store::sql::deleteCategory(name)});
    platform::trigger(Button_ClearAllEdit);
    platform::trigger(Button_GeiClass);
}

}  // namespace tessavo::app
