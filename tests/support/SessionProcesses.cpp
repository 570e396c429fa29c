#include "tests/support/SessionProcesses.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

constexpr int kEndingMilliseconds = 10000;

QString commandName(const QString& pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll().trimmed()) : QString();
}

}  // namespace

QProcessEnvironment privateSessionEnvironment(const QString& x11Display, const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "IBUS_ADDRESS", "XDG_CACHE_HOME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("DISPLAY"), x11Display);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return environment;
}

QStringList programsStartedBy(const QString& busAddress) {
    const QByteArray starter = "DBUS_STARTER_ADDRESS=" + busAddress.toUtf8();
    QStringList names;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (pid.toLongLong() <= 0 || !environment.open(QIODevice::ReadOnly)) continue;
        if (environment.readAll().split('\0').contains(starter)) names << commandName(pid);
    }
    return names;
}

SessionProcess::SessionProcess(const QProcessEnvironment& environment, const QString& program,
                               const QStringList& arguments) {
    process_.setProcessEnvironment(environment);
    process_.start(program, arguments);
    if (!process_.waitForStarted(int(kPatience.count()))) ADD_FAILURE() << "cannot start " << program.toStdString();
}

SessionProcess::~SessionProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (process_.waitForFinished(kEndingMilliseconds)) return;
    process_.kill();
    process_.waitForFinished();
}

PrivateSessionBus::PrivateSessionBus(const QProcessEnvironment& environment)
    : daemon_(environment, QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")}) {
    if (!waitUntil([&] { return daemon_->canReadLine() || daemon_->waitForReadyRead(100); })) {
        ADD_FAILURE() << "the session bus does not tell its address";
        return;
    }
    address_ = QString::fromUtf8(daemon_->readLine().trimmed());
}

QProcessEnvironment PrivateSessionBus::environment(QProcessEnvironment base) const {
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    return base;
}

}  // namespace tessavo::test
