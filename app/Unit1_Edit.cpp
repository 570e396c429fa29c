// Record editing: add, modify, delete and the editor reset.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/NotesEditor.h"
#include "app/Unit1.h"
#include "platform/base/Error.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/Browse.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"

namespace tessavo::app {

namespace {

store::RecordFields editorFields(const TForm1& form) {
    store::RecordFields fields;
    fields.编号 = form.Edit_BianHao->text();
    fields.分类 = form.Edit_FenLei->currentText();
    fields.网址 = form.Edit_WangZhi->text();
    fields.标题 = form.Edit_BiaoTi->text();
    fields.帐号 = form.Edit_ZhangHao->text();
    fields.密码 = form.Edit_MiMa->text();
    fields.备注 = notesOf(*form.Memo_BeiZhu);
    return fields;
}

// Shows the message of the first missing field; true when the fields may be written.
bool fieldsComplete(const store::RecordFields& fields, store::EditorCommand command) {
    const std::optional<QString> missing = store::missingFieldMessage(fields, command);
    if (missing) platform::inform(*missing);
    return !missing;
}

// The row number that status panel 1 showed before a change.
int rowNumberInPanel(const TForm1& form) {
    bool isNumber = false;
    const int number = form.panelText(kCurrentRowPanel).toInt(&isNumber);
    if (!isNumber)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(form.panelText(kCurrentRowPanel)));
    return number;
}

}  // namespace

void TForm1::Button1Click() {
    const store::RecordFields fields = editorFields(*this);
    if (!fieldsComplete(fields, store::EditorCommand::Add)) return;
    store::executeChange(*ADOQuery1, {store::sql::insertRecord(store::recordToStore(fields))});
    platform::inform(QStringLiteral("添加成功."));
    platform::trigger(Button_ClearAllEdit);
    platform::trigger(Button_Refresh);
}

void TForm1::Button2Click() {
    const store::RecordFields fields = editorFields(*this);
    if (!fieldsComplete(fields, store::EditorCommand::Modify)) return;
    store::executeChange(*ADOQuery1, store::sql::modifyRecord(store::recordToStore(fields), fields.编号));
    platform::trigger(Button_ClearAllEdit);
    platform::inform(QStringLiteral("修改成功."));
    platform::trigger(Button_Refresh);
    // Back to the position the changed row had; after the re-sort it may hold another record.
    const int rowNumber = rowNumberInPanel(*this);
    ADOQuery1->first();
    ADOQuery1->moveBy(rowNumber - 1);
}

void TForm1::Button3Click() {
    if (!platform::confirmWarning(QStringLiteral("您真的要删除该记录吗?"))) return;
    try {
        ADOQuery1->deleteCurrent();
        platform::trigger(Button_ClearAllEdit);
    } catch (const std::exception&) {
        // No row to delete (a closed or empty result) or the engine refused: nothing is said.
    }
}

// The pick list of categories has no edit part and keeps its choice; Edit_MiMa_Temp keeps the
// last chosen password for the copy button.
void TForm1::Button_ClearAllEditClick() {
    Edit_BianHao->clear();
    Edit_WangZhi->clear();
    Edit_BiaoTi->clear();
    Edit_ZhangHao->clear();
    Edit_MiMa->clear();
    Memo_BeiZhu->clear();
}

}  // namespace tessavo::app
