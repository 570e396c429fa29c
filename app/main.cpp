// The program entry: one instance per user, the theme and title, the two windows, the loop; or,
// with --fill, a request to the running instance.
#include <QApplication>
#include <cstdio>

#include "app/LaunchRequest.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "autofill/Hotkeys.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/Guard.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/process/Hardening.h"
#include "platform/process/InstanceMessages.h"
#include "platform/process/SingleInstance.h"

using namespace tessavo;

namespace {

// Hands the running instance a command; false when none takes it.
bool handToRunningInstance(app::QtCommandLine& qtCommandLine, const platform::SingleInstance& instance,
                           platform::InstanceCommand command) {
    const QCoreApplication app(qtCommandLine.argc(), qtCommandLine.argv());
    return platform::sendInstanceCommand(instance.socketPath(), command);
}

void tell(const QString& text) { std::fputs(text.toLocal8Bit().constData(), stderr); }

// A later start hands the running instance what a click on its tray icon does, then ends: on
// a desktop without a tray (or before its tray has come up) that is the way back to a hidden
// program.
int reachRunningInstance(app::QtCommandLine& qtCommandLine, const platform::SingleInstance& instance) {
    handToRunningInstance(qtCommandLine, instance, platform::InstanceCommand::Show);
    return 0;
}

// A fill start asks the running instance to fill and ends; it never shows a window of its own,
// so the window the user fills into keeps the focus. Holding the instance lock itself means no
// instance runs.
int askForFill(app::QtCommandLine& qtCommandLine, const platform::SingleInstance& instance,
               platform::InstanceCommand command) {
    if (!instance.acquired() && handToRunningInstance(qtCommandLine, instance, command)) return 0;
    tell(app::noRunningInstanceText());
    return 1;
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void runCommand(app::Program& program, platform::InstanceCommand command) {
    switch (command) {
        case platform::InstanceCommand::Show:
            program.main().LaterStartClick();
            break;
        case platform::InstanceCommand::FillAccount:
            autofill::FillAsIfPressed(autofill::kAccountHotkey);
            break;
        case platform::InstanceCommand::FillPassword:
            autofill::FillAsIfPressed(autofill::kPasswordHotkey);
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    platform::hardenProcess();
    const app::Launch launch = app::launchOf(argumentsOf(argc, argv));
    if (launch == app::Launch::BadUsage) {
        tell(app::usageText());
        return 2;
    }
    app::QtCommandLine qtCommandLine(argc > 0 ? argv[0] : nullptr);
    const platform::SingleInstance instance(applicationTitle());
    if (const auto fill = app::fillCommandOf(launch)) return askForFill(qtCommandLine, instance, *fill);
    if (!instance.acquired()) return reachRunningInstance(qtCommandLine, instance);

    QApplication application(qtCommandLine.argc(), qtCommandLine.argv());
    app::prepareApplication(application);
    platform::prepareKeyboard();
    app::Program program(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    // The main window's close ends the program whatever else is shown: quit() would first ask
    // every window to close and give up while the login window (which refuses) is up.
    QObject::connect(
        &program.main(), &app::TForm1::programEnded, &application, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    platform::InstanceListener laterStarts;
    platform::bindGuardedCall(&laterStarts, &platform::InstanceListener::commandReceived, &program.main(),
                              [&program](platform::InstanceCommand command) { runCommand(program, command); });
    laterStarts.listen(instance.socketPath());
    return application.exec();
}
