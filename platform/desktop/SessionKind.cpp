#include "platform/desktop/SessionKind.h"

#include "platform/base/Logging.h"
#include "platform/portal/PortalProbe.h"
#include "platform/wayland/WaylandKeyboard.h"

namespace tessavo::platform {

SessionEnvironment SessionEnvironment::current() {
    return {qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("WAYLAND_DISPLAY"),
            qEnvironmentVariable("DISPLAY")};
}

SessionKind sessionKindOf(const SessionEnvironment& environment) {
    const QString type = environment.sessionType.trimmed().toLower();
    if (type == QLatin1String("x11")) return SessionKind::X11;
    if (!environment.waylandDisplay.isEmpty() || type == QLatin1String("wayland")) return SessionKind::Wayland;
    if (!environment.display.isEmpty()) return SessionKind::X11;
    return SessionKind::None;
}

FillPath chooseFillPath(SessionKind session, const WaylandOffers& offers) {
    switch (session) {
        case SessionKind::Wayland:
            if (offers.virtualKeyboard) return FillPath::WaylandWlroots;
            if (offers.portalRemoteDesktop) return FillPath::WaylandPortal;
            return FillPath::None;
        case SessionKind::X11:
        case SessionKind::None:  // our windows need an X display anyway: as before
            break;
    }
    return FillPath::X11;
}

WaylandOffers probeWaylandOffers() {
    WaylandOffers offers;
    offers.virtualKeyboard = waylandOffersVirtualKeyboard();
    offers.portalRemoteDesktop = sessionPortalOffers(QStringLiteral("org.freedesktop.portal.RemoteDesktop"));
    return offers;
}

bool canType(FillPath path) { return path != FillPath::None; }

const char* fillPathName(FillPath path) {
    switch (path) {
        case FillPath::X11:
            return "X11";
        case FillPath::WaylandWlroots:
            return "Wayland virtual keyboard";
        case FillPath::WaylandPortal:
            return "Wayland desktop portal";
        case FillPath::None:
            break;
    }
    return "none";
}

FillPath chosenFillPath() {
    static const FillPath chosen = [] {
        const SessionKind session = sessionKindOf(SessionEnvironment::current());
        const FillPath path =
            chooseFillPath(session, session == SessionKind::Wayland ? probeWaylandOffers() : WaylandOffers{});
        qCDebug(lcAutofill, "fill path: %s", fillPathName(path));
        return path;
    }();
    return chosen;
}

}  // namespace tessavo::platform
