// The settings page: management password change, typing mode, compaction, clear all.
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "access/LoginState.h"
#include "access/PasswordChange.h"
#include "access/PasswordFilter.h"
#include "app/Unit1.h"
#include "autofill/TypingMode.h"
#include "maintenance/Backup.h"
#include "maintenance/ClearAll.h"
#include "maintenance/Unit_DB.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/Query.h"

namespace tessavo::app {
namespace {

// The mask of "防偷窥": every character shows as "*", whatever the style would draw.
void maskEntry(QLineEdit* entry) {
    entry->setStyleSheet(QStringLiteral("lineedit-password-character: %1;").arg(int{u'*'}));
    entry->setEchoMode(QLineEdit::Password);
}

}  // namespace

// ---- management password change ----------------------------------------------------------

void TForm1::Button7Click() {
    const access::PasswordChange change(Edit_OldPass->text(), Edit_Pass_A->text(), Edit_Pass_B->text());
    const access::PasswordChange::Check check = change.check(access::StoredLoginCipher());
    if (check != access::PasswordChange::Check::Passed) {
        platform::inform(access::PasswordChange::messageFor(check));
        if (access::PasswordChange::clearsNewEntries(check)) Button_PassClealClick();
        return;
    }
    maintenance::BackupCopy(appDir_, maintenance::passwordChangeBackupPrefix(), panelText(kClockPanel));
    ADOQuery1->clearSql();
    ADOQuery1->addSql(change.statement());
    ADOQuery1->execute();
    platform::inform(access::PasswordChange::doneMessage());
    // The new password takes effect at the next start.
    requestClose();
}

void TForm1::Button_PassClealClick() {
    Edit_Pass_A->clear();
    Edit_Pass_B->clear();
}

void TForm1::Button5Click() {
    for (QLineEdit* entry : {Edit_OldPass, Edit_Pass_A, Edit_Pass_B}) maskEntry(entry);
}

void TForm1::Edit_Pass_AKeyPress(QChar& key) { access::filterPasswordKey(key); }
void TForm1::Edit_Pass_BKeyPress(QChar& key) { access::filterPasswordKey(key); }

// ---- typing mode -------------------------------------------------------------------------

void TForm1::LoadTypingMode() {
    const autofill::TypingMode before =
        RadioButton_IntoPass2->isChecked() ? autofill::TypingMode::Keystroke : autofill::TypingMode::Paste;
    const autofill::TypingMode mode = autofill::typingModeAtStart(autofill::readTypingModeKeys(appDir_), before);
    (mode == autofill::TypingMode::Paste ? RadioButton_IntoPass1 : RadioButton_IntoPass2)->setChecked(true);
}

void TForm1::Button6Click() {
    autofill::writeTypingMode(appDir_, RadioButton_IntoPass1->isChecked(), RadioButton_IntoPass2->isChecked());
    platform::inform(QStringLiteral("配置保存成功！"));
}

// ---- maintenance -------------------------------------------------------------------------

void TForm1::Button11Click() {
    const QString path = store::databasePath(appDir_);
    if (!QFileInfo::exists(path)) {
        platform::inform(store::missingDatabaseMessage());
        return;
    }
    // The grid's result closes with the connection; the next statement opens it again.
    ADOConnection1->close();
    const bool compacted = maintenance::CompactJetDatabase(path, QString::fromUtf16(store::kDatabasePassword));
    platform::inform(compacted ? QStringLiteral("数据库压缩完成.") : QStringLiteral("数据库压缩失败."));
}

void TForm1::Button9Click() {
    if (!platform::confirmWarning(maintenance::clearAllConfirmation())) return;
    try {
        maintenance::clearAllRecords(*ADOQuery1, appDir_, panelText(kClockPanel));
        platform::trigger(Button_ClearAllEdit);
        platform::trigger(Button_Refresh);
    } catch (...) {
        // Clearing reports nothing, not even its failure: the remaining steps are skipped.
    }
}

}  // namespace tessavo::app
