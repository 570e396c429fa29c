// Browsing and search: the listing, categories, search, navigation and the chosen row.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "app/NotesEditor.h"
#include "app/Unit1.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "platform/desktop/Shell.h"
#include "store/Browse.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"

namespace tessavo::app {

namespace {

// After every load: 分类, 网址, 密码 and 备注 are hidden, the shown columns get their widths.
void setUpColumns(QTableView* grid) {
    for (const int hidden : {1, 2, 5, 6}) grid->setColumnHidden(hidden, true);
    const int widths[] = {40, 60, 90, 200, 200, 130};
    for (int column = 0; column < 6; ++column) grid->setColumnWidth(column, widths[column]);
}

// The pick list has no edit part: a category is chosen by its entry, letter case ignored;
// no entry is chosen when none matches.
void chooseCategory(QComboBox* pickList, const QString& category) {
    pickList->setCurrentIndex(pickList->findText(category, Qt::MatchFixedString));
}

// Panel 1 holds the number of the browse result's current row; the record change reads it back.
void showCurrentRowNumber(TForm1& form) {
    form.setPanelText(kCurrentRowPanel, QString::number(form.ADOQuery1->recNo()));
}

}  // namespace

void TForm1::Button_RefreshClick() {
    store::openBrowse(*ADOQuery1, store::sql::browseByUse());
    setUpColumns(DBGrid1);
    setPanelText(kRecordCountPanel, store::allRecordsCountText(ADOQuery1->recordCount()));
    platform::trigger(Button_ClearAllEdit);
}

void TForm1::ListBox_ClassClick() {
    if (ListBox_Class->currentItem() != nullptr) {
        const QString category = ListBox_Class->currentItem()->text();
        store::openBrowse(*ADOQuery1, store::sql::browseCategory(category));
        setPanelText(kRecordCountPanel, store::categoryCountText(category, ADOQuery1->recordCount()));
        chooseCategory(Edit_FenLei, category);
        if (ADOQuery1->eof()) {
            platform::inform(QStringLiteral("对不起该分类下还没有信息"));
            store::openBrowse(*ADOQuery1, store::sql::browseUnsorted());
        }
        setUpColumns(DBGrid1);
    }
    platform::trigger(Button_ClearAllEdit);
}

void TForm1::Button_SearchClick() {
    if (searchkeyword->text().isEmpty()) {
        platform::inform(QStringLiteral("请输入搜索关键词！"));
        return;
    }
    const QString keyword = searchkeyword->text();
    store::openBrowse(*ADOQuery1, store::sql::searchRecords(ComboBoxSeachClass->currentText(), keyword));
    setPanelText(kRecordCountPanel, store::searchCountText(keyword, ADOQuery1->recordCount()));
    if (ADOQuery1->eof()) {
        platform::inform(QStringLiteral("对不起没有找到相关信息！"));
        store::openBrowse(*ADOQuery1, store::sql::browseAllColumns());
    }
    setUpColumns(DBGrid1);
    searchkeyword->clear();
}

void TForm1::searchkeywordClick() { searchkeyword->clear(); }

void TForm1::searchkeywordDblClick() { searchkeyword->clear(); }

void TForm1::Button_FirstClick() {
    ADOQuery1->first();
    showCurrentRowNumber(*this);
}

void TForm1::Button_PriorClick() {
    ADOQuery1->prior();
    showCurrentRowNumber(*this);
}

void TForm1::Button_NextClick() {
    ADOQuery1->next();
    showCurrentRowNumber(*this);
}

void TForm1::Button_LastClick() {
    ADOQuery1->last();
    showCurrentRowNumber(*this);
}

// One row per wheel event, whatever its size: towards the user is forward.
void TForm1::DBGrid1MouseWheel(int delta) {
    if (delta < 0) {
        ADOQuery1->next();
    } else {
        ADOQuery1->prior();
    }
}

void TForm1::DBGrid1CellClick() {
    const store::RecordFields row = store::chosenRowFields(*ADOQuery1);
    Edit_BianHao->setText(row.编号);
    chooseCategory(Edit_FenLei, row.分类);
    Edit_WangZhi->setText(row.网址);
    Edit_BiaoTi->setText(row.标题);
    Edit_ZhangHao->setText(row.帐号);
    Edit_MiMa->setText(row.密码);
    Edit_MiMa_Temp->setText(row.密码);
    showNotes(*Memo_BeiZhu, row.备注);
    showCurrentRowNumber(*this);
    if (!Edit_BianHao->text().isEmpty())
        store::executeChange(*ADOQuery2, {store::sql::raiseUseCount(Edit_BianHao->text())});
}

void TForm1::Button_Pass_ShowOrHideClick() {
    const bool show = Button_Pass_ShowOrHide->text() == QStringLiteral("显示");
    Button_Pass_ShowOrHide->setText(show ? QStringLiteral("隐藏") : QStringLiteral("显示"));
    Edit_MiMa->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
}

void TForm1::Button10Click() {
    if (!Edit_WangZhi->text().isEmpty()) platform::shell().openUrl(Edit_WangZhi->text());
}

}  // namespace tessavo::app
