#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "tests/support/RunProgram.h"

namespace tessavo::test {

// The D-Bus session bus of a private desktop session of the end-to-end tier, and the real
// desktop portal on it: a dbus-daemon of the session's user (see SessionUser.h), whose
// programs, and the services it starts itself, get the session's variables. Every program
// started through it ends with it. Reused by the sessions of each desktop (GNOME, KDE).
class DesktopSessionBus {
public:
    // session: the variables of the session (XDG_RUNTIME_DIR, HOME, XDG_CURRENT_DESKTOP, ...);
    // logDir: a folder of the session user's where each program's output goes, one file each.
    // Throws std::runtime_error when the bus does not come up.
    DesktopSessionBus(QProcessEnvironment session, QString logDir);
    ~DesktopSessionBus();
    DesktopSessionBus(const DesktopSessionBus&) = delete;
    DesktopSessionBus& operator=(const DesktopSessionBus&) = delete;

    QString address() const { return address_; }
    // The session's variables with the bus's address.
    QProcessEnvironment environment() const { return environment_; }
    // Sets a variable for the programs started from now on, and for the services the bus starts.
    void setVariable(const QString& name, const QString& value);

    // Starts a program of the session as its user; its output goes to <logDir>/<name>.log.
    QProcess& start(const QStringList& command, const QString& name) { return start(command, name, environment_); }
    // The same with an environment of its own.
    QProcess& start(const QStringList& command, const QString& name, const QProcessEnvironment& environment);
    // What the program started under that name has written so far.
    QString log(const QString& name) const;
    // Runs a program of the session as its user to its end.
    ProgramRun run(const QStringList& command) const;
    // Waits until some program owns the name on the bus.
    bool waitForName(const QString& busName) const;

    // Starts the desktop portal with only the named backends (files of
    // /usr/share/xdg-desktop-portal/portals, "gnome.portal"), each backend's program first
    // (waited for by its bus name), and waits until the portal answers on the bus. Throws
    // std::runtime_error when one of them does not come up.
    struct PortalBackend {
        QString portalFile;
        QStringList command;
        QString busName;
    };
    void startPortal(const std::vector<PortalBackend>& backends);

private:
    QString logDir_;
    QProcessEnvironment environment_;
    QString address_;
    std::vector<std::unique_ptr<QProcess>> programs_;  // the bus first, ended last
};

}  // namespace tessavo::test
