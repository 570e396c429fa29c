#include "app/Startup.h"

#include <QApplication>
#include <QFile>

#include "app/Artwork.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/QtTexts.h"

// The theme's style sheet lives in the static app library: without this its resource object
// is left out of the link and the theme silently missing. The macro must stand outside any
// namespace.
static void initialiseResources() { Q_INIT_RESOURCE(app); }

namespace tessavo::app {
namespace {

void applySkyTheme(QApplication& app) {
    QFile sheet(QStringLiteral(":/sky.qss"));
    if (sheet.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

}  // namespace

void prepareApplication(QApplication& app) {
    initialiseResources();
    app.setQuitOnLastWindowClosed(false);
    applySkyTheme(app);
    app.setApplicationName(applicationTitle());
    app.setWindowIcon(programIcon());
    platform::installQtChineseTexts(app);
}

QtCommandLine::QtCommandLine(const char* program) {
    arguments_.emplace_back(program != nullptr ? QByteArray(program) : QByteArrayLiteral("tessavo"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        arguments_.emplace_back(QByteArrayLiteral("-platform"));
        arguments_.emplace_back(QByteArrayLiteral("xcb"));
    }
    for (QByteArray& argument : arguments_) pointers_.push_back(argument.data());
    argc_ = static_cast<int>(arguments_.size());
    pointers_.push_back(nullptr);  // argv ends with a null pointer, as main's does
}

QStringList QtCommandLine::arguments() const {
    QStringList list;
    for (const QByteArray& argument : arguments_) list << QString::fromLocal8Bit(argument);
    return list;
}

}  // namespace tessavo::app
