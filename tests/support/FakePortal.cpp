#include "tests/support/FakePortal.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QProcessEnvironment>
#include <atomic>

namespace tessavo::test {
namespace {

constexpr int kStartMilliseconds = 30000;

QString connectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("tessavo-test-portal-%1").arg(++counter);
}

}  // namespace

FakePortal::FakePortal(Offers offers) : connectionName_(connectionName()) {
    running_ = startBus() && startPortal(offers);
    if (running_) bus_ = QDBusConnection::connectToBus(QString::fromUtf8(address_), connectionName_);
    running_ = running_ && bus_.isConnected();
    if (!running_) ADD_FAILURE() << "the private bus with the fake portal did not come up";
}

FakePortal::~FakePortal() {
    QDBusConnection::disconnectFromBus(connectionName_);
    for (QProcess* process : {&portal_, &daemon_}) {
        process->kill();
        process->waitForFinished();
    }
}

bool FakePortal::startBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(kStartMilliseconds)) return false;
    while (!daemon_.canReadLine()) {
        if (!daemon_.waitForReadyRead(kStartMilliseconds)) return false;
    }
    address_ = daemon_.readLine().trimmed();
    return !address_.isEmpty();
}

bool FakePortal::startPortal(const Offers& offers) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address_));
    portal_.setProcessEnvironment(environment);
    portal_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments;
    if (!offers.remoteDesktop) arguments << QStringLiteral("--without-remote-desktop");
    if (!offers.globalShortcuts) arguments << QStringLiteral("--without-global-shortcuts");
    arguments << QStringLiteral("--remote-desktop-version") << QString::number(offers.remoteDesktopVersion);
    portal_.start(QStringLiteral(TESSAVO_FAKE_PORTAL), arguments);
    if (!portal_.waitForStarted(kStartMilliseconds)) return false;
    while (!portal_.canReadLine()) {
        if (!portal_.waitForReadyRead(kStartMilliseconds)) return false;
    }
    return portal_.readLine().trimmed() == "ready";
}

QDBusMessage FakePortal::control(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
                                                       QStringLiteral("/org/tessavo/FakePortal"),
                                                       QStringLiteral("org.tessavo.FakePortal"), method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus_.call(call);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << "the fake portal's " << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

QStringList FakePortal::log() { return control(QStringLiteral("Log")).arguments().value(0).toStringList(); }

QStringList FakePortal::logOf(const QString& prefix) {
    QStringList lines = log();
    lines.removeIf([&](const QString& line) { return !line.startsWith(prefix); });
    return lines;
}

void FakePortal::setStartAnswer(uint code) { control(QStringLiteral("SetStartAnswer"), {code}); }

void FakePortal::use(const QString& shortcutId) { control(QStringLiteral("Use"), {shortcutId}); }

void FakePortal::press(const QString& shortcutId) { control(QStringLiteral("Press"), {shortcutId}); }

void FakePortal::failKeys() { control(QStringLiteral("FailKeys")); }

void FakePortal::failStarts(uint count) { control(QStringLiteral("FailStarts"), {count}); }

void FakePortal::endRemoteDesktop() { control(QStringLiteral("EndRemoteDesktop")); }

}  // namespace tessavo::test
