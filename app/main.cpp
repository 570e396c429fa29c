// The program entry: one instance per user, the theme and title, the two windows, the loop.
#include <QApplication>
#include <QFile>

#include "app/Artwork.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/AppInfo.h"
#include "platform/Hardening.h"
#include "platform/SingleInstance.h"

using namespace tessavo;

namespace {

void applySkyTheme(QApplication& app) {
    QFile sheet(QStringLiteral(":/sky.qss"));
    if (sheet.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

}  // namespace

int main(int argc, char** argv) {
    // The theme's style sheet lives in the static app library: without this its resource
    // object is left out of the link and the theme silently missing.
    Q_INIT_RESOURCE(app);
    platform::HardenProcess();
    // A second start ends at once, silently; the running instance is not disturbed.
    const platform::SingleInstance instance(applicationTitle());
    if (!instance.acquired()) return 0;

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    applySkyTheme(app);
    app.setApplicationName(applicationTitle());
    app.setWindowIcon(ProgramIcon());

    Program program(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    // The main window's close ends the program whatever else is shown: quit() would first ask
    // every window to close and give up while the login window (which refuses) is up.
    QObject::connect(
        &program.main(), &TForm1::programEnded, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return app.exec();
}
