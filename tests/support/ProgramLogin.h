#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"

namespace tessavo::test {

// The login as the user does it on the program's two windows: the gate shows the login window
// (run now rather than by the one-second timer, which is stopped), the password goes into the
// entry, and "进入" is clicked. Shared by the gui tests, the benchmarks and the fault worker.
inline void runLoginGateNow(app::Program& program) {
    program.main().Timer_CheckLogin->stop();
    platform::trigger(program.main().Button_CheckLogin);
}

inline void enterPasswordAndLogIn(app::Program& program, const QString& password = QStringLiteral("vorel")) {
    program.login().Edit_LoginPass->setText(password);
    platform::trigger(program.login().Button_Logining);
}

}  // namespace tessavo::test
