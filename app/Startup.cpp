#include "app/Startup.h"

#include <QApplication>
#include <QFile>

#include "app/Artwork.h"
#include "platform/AppInfo.h"
#include "platform/QtTexts.h"

// The theme's style sheet lives in the static app library: without this its resource object
// is left out of the link and the theme silently missing. The macro must stand outside any
// namespace.
static void initialiseResources() { Q_INIT_RESOURCE(app); }

namespace tessavo {
namespace {

void applySkyTheme(QApplication& app) {
    QFile sheet(QStringLiteral(":/sky.qss"));
    if (sheet.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

}  // namespace

void PrepareApplication(QApplication& app) {
    initialiseResources();
    app.setQuitOnLastWindowClosed(false);
    applySkyTheme(app);
    app.setApplicationName(applicationTitle());
    app.setWindowIcon(ProgramIcon());
    platform::InstallQtChineseTexts(app);
}

}  // namespace tessavo
