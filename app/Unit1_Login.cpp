// The login gate: reads the stored management password and decides between the login
// window and the end of the program.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

#include "access/LoginState.h"
#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "store/Query.h"
#include "store/Statements.h"

namespace tessavo::app {

void TForm1::Button_CheckLoginClick() {
    ADOQuery_Pass->close();
    ADOQuery_Pass->clearSql();
    ADOQuery_Pass->addSql(store::sql::readManagementPassword());
    ADOQuery_Pass->open();
    access::StoredLoginCipher() =
        ADOQuery_Pass->recordCount() > 0 ? ADOQuery_Pass->fieldByName(QStringLiteral("密码")) : QString();
    if (access::StoredLoginCipher().isEmpty()) {
        requestClose();  // no management password stored: the program ends without a word
        return;
    }
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
