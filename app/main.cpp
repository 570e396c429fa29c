// The program entry: one instance per user, the theme and title, the two windows, the loop.
#include <QApplication>

#include "app/Program.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "platform/AppInfo.h"
#include "platform/Hardening.h"
#include "platform/SingleInstance.h"

using namespace tessavo;

int main(int argc, char** argv) {
    platform::HardenProcess();
    QtCommandLine qtCommandLine(argc > 0 ? argv[0] : nullptr);
    // A second start ends at once, silently; the running instance is not disturbed.
    const platform::SingleInstance instance(applicationTitle());
    if (!instance.acquired()) return 0;

    QApplication app(qtCommandLine.argc(), qtCommandLine.argv());
    PrepareApplication(app);
    Program program(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    // The main window's close ends the program whatever else is shown: quit() would first ask
    // every window to close and give up while the login window (which refuses) is up.
    QObject::connect(
        &program.main(), &TForm1::programEnded, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return app.exec();
}
