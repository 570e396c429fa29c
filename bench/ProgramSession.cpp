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

namespace tessavo::bench {

platform::Dialogs::Answer QuietDialogs::show(const Box& box) {
    lastText = box.text;
    ++shown;
    return box.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString QuietDialogs::inputQuery(const QString&, const QString&, const QString& defaultText) { return defaultText; }

ProgramSession::ProgramSession(const Dataset& dataset) : copy_(dataset) {
    auto dialogs = std::make_unique<QuietDialogs>();
    dialogs_ = dialogs.get();
    previousDialogs_ = platform::installDialogs(std::move(dialogs));
    program_ = std::make_unique<app::Program>(copy_.appDir());
    // The gate runs now, in place of the one-second timer.
    main().Timer_CheckLogin->stop();
    platform::trigger(main().Button_CheckLogin);
    login().Edit_LoginPass->setText(QStringLiteral("vorel"));
    clickLogin();
    settle();
    if (!main().isVisible()) throw std::runtime_error("the login did not show the main window");
}

ProgramSession::~ProgramSession() {
    program_.reset();
    platform::installDialogs(std::move(previousDialogs_));
}

void ProgramSession::returnToLoginWindow() {
    platform::trigger(main().HideME);
    platform::trigger(main().Button_CheckLogin);
    login().Edit_LoginPass->setText(QStringLiteral("vorel"));
    settle();
}

void ProgramSession::clickLogin() { platform::trigger(login().Button_Logining); }

void ProgramSession::settle() { QApplication::processEvents(); }

}  // namespace tessavo::bench
