#include "bench/ProgramSession.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "tests/support/ProgramLogin.h"

namespace tessavo::bench {

ProgramSession::ProgramSession(const Dataset& dataset) : copy_(dataset) {
    program_ = std::make_unique<app::Program>(copy_.appDir());
    test::runLoginGateNow(*program_);
    test::enterPasswordAndLogIn(*program_);
    settle();
    if (!main().isVisible()) throw std::runtime_error("the login did not show the main window");
}

ProgramSession::~ProgramSession() = default;

void ProgramSession::returnToLoginWindow() {
    platform::trigger(main().HideME);
    platform::trigger(main().Button_CheckLogin);
    login().Edit_LoginPass->setText(QStringLiteral("vorel"));
    settle();
}

void ProgramSession::clickLogin() { platform::trigger(login().Button_Logining); }

void ProgramSession::settle() { QApplication::processEvents(); }

}  // namespace tessavo::bench
