// The login gate: reads the stored management password and decides between the login
// window and the end of the program.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

#include "access/LoginState.h"
#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/base/Logging.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"
#include "store/Statements.h"

namespace tessavo::app {
namespace {

// The engine's own words stay, after a sentence that tells the user what they mean and where the
// copies taken before earlier changes are.
QString unreadableFileText(const QString& appDir, const char* engineText) {
    return QStringLiteral(
               "数据库文件 %1 已损坏，或者不是本程序的文件；备份（名字中带 _bak_ 的 .udb 文件）在文件夹 %2 中。\n%3")
        .arg(store::databasePath(appDir), appDir, QString::fromUtf8(engineText));
}

}  // namespace

void TForm1::readStoredLoginCipher() {
    ADOQuery_Pass->close();
    ADOQuery_Pass->clearSql();
    ADOQuery_Pass->addSql(store::sql::readManagementPassword());
    ADOQuery_Pass->open();
    access::StoredLoginCipher() =
        ADOQuery_Pass->recordCount() > 0 ? ADOQuery_Pass->fieldByName(QStringLiteral("密码")) : QString();
}

bool TForm1::databaseLocked() const {
    return !ADOConnection1->hasDatabaseKey() && store::isProtectedFile(store::databasePath(appDir_));
}

// A file the engine cannot read at all, or one without the table of the management password, is
// damaged or another program's; any other failure (a locked or unreadable file) keeps its own text.
void TForm1::readStoredLoginCipherExplained() {
    try {
        readStoredLoginCipher();
    } catch (const store::NotADatabaseError& error) {
        throw Error(unreadableFileText(appDir_, error.what()));
    } catch (const Error& error) {
        if (!lacksPassTable()) throw;
        throw Error(unreadableFileText(appDir_, error.what()));
    }
}

bool TForm1::lacksPassTable() {
    try {
        return !ADOConnection1->database().holdsTable(QStringLiteral("Pass"));
    } catch (const Error&) {
        return false;  // not open at all: the first failure says why
    }
}

bool TForm1::unlockDatabase(const QString& password) {
    if (!databaseLocked()) return true;
    ADOConnection1->setDatabaseKey(store::protectedFileKey(password, store::databasePath(appDir_)));
    try {
        readStoredLoginCipher();
    } catch (const store::NotADatabaseError&) {
        ADOConnection1->clearDatabaseKey();  // the typed password is not the file's
        return false;
    } catch (...) {
        ADOConnection1->clearDatabaseKey();  // the next login tries the file anew
        throw;
    }
    return true;
}

void TForm1::Button_CheckLoginClick() {
    // A file under the management password is not touched before the login: the login window
    // opens it with the key of what is typed there.
    if (!databaseLocked()) {
        readStoredLoginCipherExplained();
        if (access::StoredLoginCipher().isEmpty()) {
            qCWarning(lcAccess, "the database holds no management password: the program ends");
            requestClose();  // no management password stored: the program ends without a word
            return;
        }
    }
    {
        const QSignalBlocker blocker(CheckBox_JiaMi);
        CheckBox_JiaMi->setChecked(store::isProtectedFile(store::databasePath(appDir_)));
    }
    qCDebug(lcAccess, "the login gate lets the login window come up; the database file is %s",
            databaseLocked() ? "locked until the login" : "open");
    hide();
    loginWindow_->hide();
    // Minimised as the way back without a notification area, it comes up as a window again.
    loginWindow_->setWindowState(loginWindow_->windowState() & ~Qt::WindowMinimized);
    loginWindow_->show();
    QCoreApplication::processEvents();
}

void TForm1::Timer_CheckLoginTimer() {
    Timer_CheckLogin->stop();
    Button_CheckLoginClick();
}

}  // namespace tessavo::app
