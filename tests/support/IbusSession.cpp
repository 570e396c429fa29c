#include "tests/support/IbusSession.h"

#include <gtest/gtest.h>

#include <QProcess>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// Runs `ibus <arguments>`; what it wrote, or nothing when it did not end. Its exit status says
// little: `ibus engine libpinyin` sets the engine and still ends with 1 (it cannot set the
// keyboard layout "default" that engine names).
QString runIbus(const QProcessEnvironment& environment, const QStringList& arguments) {
    QProcess ibus;
    ibus.setProcessEnvironment(environment);
    ibus.start(QStringLiteral("ibus"), arguments);
    if (!ibus.waitForFinished(int(kPatience.count())) || ibus.exitStatus() != QProcess::NormalExit) return {};
    return QString::fromUtf8(ibus.readAllStandardOutput()).trimmed();
}

}  // namespace

IbusSession::IbusSession(const QProcessEnvironment& base, const QString& engine) {
    QProcessEnvironment environment = base;
    // No accessibility bus for the GTK programs of IBus and its clients: nothing here reads it.
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    bus_ = std::make_unique<PrivateSessionBus>(environment);
    if (bus_->address().isEmpty()) return;
    environment = bus_->environment(environment);
    clients_ = environment;
    clients_.insert(QStringLiteral("GTK_IM_MODULE"), QStringLiteral("ibus"));
    clients_.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("ibus"));
    clients_.insert(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=ibus"));
    // ibus-daemon ends with the process that started it: the test process here, as GNOME Shell
    // in a session.
    daemon_ = std::make_unique<SessionProcess>(environment, QStringLiteral("ibus-daemon"),
                                               QStringList{QStringLiteral("--panel=disable")});
    // It answers once its bus is up; the engine's own process starts at the switch.
    if (!waitUntil([&] { return !running() || setEngine(engine); }) || !running())
        ADD_FAILURE() << "ibus-daemon does not come up with the engine " << engine.toStdString();
}

IbusSession::~IbusSession() {
    daemon_.reset();  // before the bus, which its helpers leave when it goes
}

QString IbusSession::engine() const {
    const QString output = runIbus(clients_, {QStringLiteral("engine")});
    // One line with the name; without an engine, nothing.
    return output.contains(u'\n') || output.contains(u' ') ? QString() : output;
}

bool IbusSession::setEngine(const QString& name) const {
    runIbus(clients_, {QStringLiteral("engine"), name});
    return engine() == name;
}

}  // namespace tessavo::test
