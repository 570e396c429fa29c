// The program entry: one instance per user, the theme and title, the two windows, the loop.
#include <QApplication>

#include "app/Program.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/Guard.h"
#include "platform/process/Hardening.h"
#include "platform/process/InstanceMessages.h"
#include "platform/process/SingleInstance.h"

using namespace tessavo;

namespace {

// A later start hands the running instance what a click on its tray icon does, then ends: on
// a desktop without a tray (or before its tray has come up) that is the way back to a hidden
// program.
int reachRunningInstance(app::QtCommandLine& qtCommandLine, const platform::SingleInstance& instance) {
    const QCoreApplication app(qtCommandLine.argc(), qtCommandLine.argv());
    platform::sendInstanceCommand(instance.socketPath(), platform::InstanceCommand::Show);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    platform::hardenProcess();
    app::QtCommandLine qtCommandLine(argc > 0 ? argv[0] : nullptr);
    const platform::SingleInstance instance(applicationTitle());
    if (!instance.acquired()) return reachRunningInstance(qtCommandLine, instance);

    QApplication application(qtCommandLine.argc(), qtCommandLine.argv());
    app::prepareApplication(application);
    app::Program program(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    // The main window's close ends the program whatever else is shown: quit() would first ask
    // every window to close and give up while the login window (which refuses) is up.
    QObject::connect(
        &program.main(), &app::TForm1::programEnded, &application, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    platform::InstanceListener laterStarts;
    platform::bindGuardedCall(&laterStarts, &platform::InstanceListener::commandReceived, &program.main(),
                              [&program](platform::InstanceCommand) { program.main().LaterStartClick(); });
    laterStarts.listen(instance.socketPath());
    return application.exec();
}
