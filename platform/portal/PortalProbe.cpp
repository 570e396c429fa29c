#include "platform/portal/PortalProbe.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include "platform/base/Logging.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/SessionBus.h"

namespace tessavo::platform {
namespace {

// The bus may first have to start the portal, which takes a moment on a fresh login.
constexpr int kProbeTimeoutMilliseconds = 5000;

}  // namespace

bool portalOffers(const QDBusConnection& bus, const QString& interface) { return portalVersion(bus, interface) >= 1; }

uint portalVersion(const QDBusConnection& bus, const QString& interface) {
    if (!bus.isConnected()) return 0;
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(portal::kService), QLatin1String(portal::kObjectPath),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kProbeTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCDebug(lcPlatform) << "the desktop portal offers no" << interface << ":" << reply.errorName();
        return 0;
    }
    const uint version = reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
    qCDebug(lcPlatform) << "the desktop portal offers" << interface << "version" << version;
    return version;
}

bool sessionPortalOffers(const QString& interface) {
    return sessionBusKnown() && portalOffers(QDBusConnection::sessionBus(), interface);
}

}  // namespace tessavo::platform
