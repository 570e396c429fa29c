#pragma once

#include <QDBusConnection>
#include <QString>

namespace tessavo::platform {

// Whether the desktop portal on the bus offers the interface (say
// "org.freedesktop.portal.RemoteDesktop"), told by the interface's version property; false
// without a portal, or when it does not answer in time.
bool portalOffers(const QDBusConnection& bus, const QString& interface);
// The interface's version on the bus; 0 where portalOffers is false.
uint portalVersion(const QDBusConnection& bus, const QString& interface);
// The same of the portal on the session bus; false when the session has no bus.
bool sessionPortalOffers(const QString& interface);

}  // namespace tessavo::platform
