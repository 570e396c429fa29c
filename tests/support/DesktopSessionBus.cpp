#include "tests/support/DesktopSessionBus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "tests/support/FileBytes.h"
#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kPortalFiles = QStringLiteral("/usr/share/xdg-desktop-portal/portals");

QString readFile(const QString& path) { return QString::fromStdString(readBytes(path)); }

}  // namespace

DesktopSessionBus::DesktopSessionBus(QProcessEnvironment session, QString logDir)
    : logDir_(std::move(logDir)), environment_(std::move(session)) {
    const QString socket = environment_.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/bus");
    address_ = QStringLiteral("unix:path=") + socket;
    start({QStringLiteral("dbus-daemon"), QStringLiteral("--session"), QStringLiteral("--nofork"),
           QStringLiteral("--address=") + address_},
          QStringLiteral("dbus"));
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    if (!waitUntil([&] { return QFile::exists(socket) && waitForName(QStringLiteral("org.freedesktop.DBus")); })) {
        throw std::runtime_error("the session bus did not come up: " + log(QStringLiteral("dbus")).toStdString());
    }
}

DesktopSessionBus::~DesktopSessionBus() {
    // The last started first: the bus goes after everything that uses it.
    for (auto program = programs_.rbegin(); program != programs_.rend(); ++program) {
        (*program)->terminate();
        if (!(*program)->waitForFinished(10000)) (*program)->kill();
        (*program)->waitForFinished(5000);
    }
}

void DesktopSessionBus::setVariable(const QString& name, const QString& value) {
    environment_.insert(name, value);
    const ProgramRun update = run({QStringLiteral("dbus-update-activation-environment"), name + u'=' + value});
    if (update.exitCode != 0) throw std::runtime_error("the bus does not take " + name.toStdString());
}

QProcess& DesktopSessionBus::start(const QStringList& command, const QString& name,
                                   const QProcessEnvironment& environment) {
    auto& program = programs_.emplace_back(std::make_unique<QProcess>());
    const QStringList full = asSessionUser(command);
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->setStandardOutputFile(logDir_ + u'/' + name + QStringLiteral(".log"));
    program->start(full.front(), full.mid(1));
    if (!program->waitForStarted()) throw std::runtime_error("cannot start " + command.join(u' ').toStdString());
    return *program;
}

QString DesktopSessionBus::log(const QString& name) const {
    return readFile(logDir_ + u'/' + name + QStringLiteral(".log"));
}

ProgramRun DesktopSessionBus::run(const QStringList& command) const { return runAsSessionUser(command, environment_); }

bool DesktopSessionBus::waitForName(const QString& busName) const {
    return waitUntil([&] {
        const ProgramRun owner =
            run({QStringLiteral("dbus-send"), QStringLiteral("--session"), QStringLiteral("--print-reply"),
                 QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.NameHasOwner"), "string:" + busName});
        return owner.exitCode == 0 && owner.standardOutput.contains("boolean true");
    });
}

void DesktopSessionBus::startPortal(const std::vector<PortalBackend>& backends) {
    // The portal reads its backends from this folder: only the desktop's own are there, as on a
    // machine with that desktop alone.
    const QString portals = logDir_ + QStringLiteral("/portals");
    QDir().mkpath(portals);
    for (const PortalBackend& backend : backends) {
        const QString file = portals + u'/' + backend.portalFile;
        QFile::remove(file);
        if (!QFile::copy(kPortalFiles + u'/' + backend.portalFile, file))
            throw std::runtime_error("no portal file " + backend.portalFile.toStdString());
    }
    handOverToSessionUser(portals);
    setVariable(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), portals);
    for (const PortalBackend& backend : backends) {
        start(backend.command, QFileInfo(backend.command.front()).fileName());
        if (!waitForName(backend.busName)) throw std::runtime_error(backend.busName.toStdString() + " did not come up");
    }
    start({QStringLiteral("/usr/libexec/xdg-desktop-portal"), QStringLiteral("--verbose")},
          QStringLiteral("xdg-desktop-portal"));
    if (!waitForName(QStringLiteral("org.freedesktop.portal.Desktop")))
        throw std::runtime_error("the desktop portal did not come up: " +
                                 log(QStringLiteral("xdg-desktop-portal")).toStdString());
}

}  // namespace tessavo::test
