#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tessavo::test {

// The environment of a desktop session of the test's own: this X display, this home (and its
// configuration and data folders in it), a UTF-8 locale, and nothing of the desktop the tests
// run in (no session bus, no Wayland display, no input method's address).
QProcessEnvironment privateSessionEnvironment(const QString& x11Display, const QString& home);

// The programs a session bus has started by activation and that still run, by their command
// name: the bus tells each where it was started from, and it may have left the bus's process
// tree since.
QStringList programsStartedBy(const QString& busAddress);

// A program of the desktop (a bus, an input method, a text field) started for a test and ended
// with it: asked to end first, as a session ends it, so that it can take its helpers along.
class SessionProcess {
public:
    SessionProcess(const QProcessEnvironment& environment, const QString& program, const QStringList& arguments);
    ~SessionProcess();
    SessionProcess(const SessionProcess&) = delete;
    SessionProcess& operator=(const SessionProcess&) = delete;

    QProcess& operator*() { return process_; }
    QProcess* operator->() { return &process_; }
    // Whether it still runs (an ended one is noticed here, without an event loop).
    bool running() { return process_.state() != QProcess::NotRunning && !process_.waitForFinished(0); }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
};

// A private session bus (dbus-daemon --session) for the lifetime of the object. It starts the
// services of the system's service files on demand, as a desktop's session bus does.
class PrivateSessionBus {
public:
    // Fails the test when the bus does not come up (address() is empty then).
    explicit PrivateSessionBus(const QProcessEnvironment& environment);

    const QString& address() const { return address_; }
    // The environment with this bus as the session bus.
    QProcessEnvironment environment(QProcessEnvironment base) const;
    QStringList activatedPrograms() const { return programsStartedBy(address_); }

private:
    SessionProcess daemon_;
    QString address_;
};

}  // namespace tessavo::test
