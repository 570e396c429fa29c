#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <memory>

#include "tests/support/SessionProcesses.h"

namespace tessavo::test {

// IBus as GNOME starts it (ibus-daemon --panel=disable) on a private session bus, for a home and
// an X display of the test's own: it leaves its bus address in that home's
// ~/.config/ibus/bus/, where its clients and the program look for it.
class IbusSession {
public:
    // base: the environment of the home and display (HOME, XDG_CONFIG_HOME, DISPLAY); engine:
    // the global engine to start with. Fails the test when IBus does not come up with it.
    IbusSession(const QProcessEnvironment& base, const QString& engine);
    ~IbusSession();
    IbusSession(const IbusSession&) = delete;
    IbusSession& operator=(const IbusSession&) = delete;

    // The environment of a program that types through IBus (GTK's and Qt's IBus modules) and
    // shares its session bus.
    const QProcessEnvironment& clientEnvironment() const { return clients_; }
    const PrivateSessionBus& bus() const { return *bus_; }
    bool running() const { return daemon_ && daemon_->running(); }

    // The global engine as `ibus engine` tells it ("libpinyin", "xkb:us::eng"); empty when
    // IBus does not answer or has none.
    QString engine() const;
    // Sets the global engine with `ibus engine`; false when it is not the engine afterwards.
    bool setEngine(const QString& name) const;

private:
    std::unique_ptr<PrivateSessionBus> bus_;
    QProcessEnvironment clients_;
    std::unique_ptr<SessionProcess> daemon_;
};

}  // namespace tessavo::test
