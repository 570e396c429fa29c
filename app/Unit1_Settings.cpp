// The settings page: management password change, typing mode, compaction, clear all, the
// protection of the database file by the management password.
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <exception>

#include "access/LoginState.h"
#include "access/PasswordChange.h"
#include "access/PasswordFilter.h"
#include "app/Unit1.h"
#include "autofill/TypingMode.h"
#include "maintenance/Backup.h"
#include "maintenance/ClearAll.h"
#include "maintenance/DatabaseProtection.h"
#include "maintenance/Unit_DB.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Logging.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"
#include "store/SqlCipherFile.h"

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
    if (ADOConnection1->hasDatabaseKey()) {
        // A protected file takes the key of the new password and the new stored password in
        // one rewrite, so it never holds one without the other.
        const QString key = ADOConnection1->openingKey();
        const QString statement = change.statement();
        ADOConnection1->close();
        ADOConnection1->setDatabaseKey(maintenance::protectDatabase(
            store::databasePath(appDir_), key, Edit_Pass_B->text(),
            [&statement](store::SqlCipherFile& rewritten) { rewritten.execute(statement); }));
    } else {
        ADOQuery1->clearSql();
        ADOQuery1->addSql(change.statement());
        ADOQuery1->execute();
    }
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
    // The fixed database password, or the key of a file under the management password.
    const bool compacted = maintenance::CompactJetDatabase(path, ADOConnection1->openingKey());
    platform::inform(compacted ? QStringLiteral("数据库压缩完成.") : QStringLiteral("数据库压缩失败."));
}

void TForm1::Button9Click() {
    if (!platform::confirmWarning(maintenance::clearAllConfirmation())) return;
    try {
        maintenance::clearAllRecords(*ADOQuery1, appDir_, panelText(kClockPanel));
        platform::trigger(Button_ClearAllEdit);
        platform::trigger(Button_Refresh);
    } catch (const std::exception& error) {
        // Clearing reports nothing to the user, not even its failure: the remaining steps are
        // skipped, and only the diagnostics say why.
        qCWarning(lcMaintenance, "clearing all records failed: %s", error.what());
    } catch (...) {
        qCWarning(lcMaintenance, "clearing all records failed with an unknown error");
    }
}

void TForm1::CheckBox_JiaMiClick() {
    const bool wanted = CheckBox_JiaMi->isChecked();
    {
        // The box shows the file as it is until the change is done.
        const QSignalBlocker blocker(CheckBox_JiaMi);
        CheckBox_JiaMi->setChecked(!wanted);
    }
    const QString path = store::databasePath(appDir_);
    if (!QFileInfo::exists(path)) {
        platform::inform(store::missingDatabaseMessage());
        return;
    }
    QString typed = platform::dialogs().passwordQuery(applicationTitle(), QStringLiteral("请输入管理密码:"));
    if (typed.isEmpty()) return;  // cancelled
    // Checked the way the login checks it: the stored cipher text of the management password.
    if (access::loginCipherOf(typed) != access::StoredLoginCipher()) {
        store::wipeText(typed);
        platform::inform(QStringLiteral("管理密码错误!"));
        return;
    }
    maintenance::BackupCopy(appDir_,
                            wanted ? maintenance::protectionOnBackupPrefix() : maintenance::protectionOffBackupPrefix(),
                            panelText(kClockPanel));
    const QString key = ADOConnection1->openingKey();
    ADOConnection1->close();
    try {
        if (wanted) {
            ADOConnection1->setDatabaseKey(maintenance::protectDatabase(path, key, typed));
        } else {
            maintenance::unprotectDatabase(path, key);
            ADOConnection1->clearDatabaseKey();
        }
    } catch (...) {
        store::wipeText(typed);
        throw;  // the error box; the file stays under its old key
    }
    store::wipeText(typed);
    CheckBox_JiaMi->setChecked(wanted);
    platform::inform(wanted ? QStringLiteral("数据库文件已用管理密码加密.") : QStringLiteral("数据库文件已取消加密."));
    platform::trigger(Button_Refresh);
}

}  // namespace tessavo::app
