#include "platform/desktop/SessionKind.h"

#include "platform/base/Logging.h"

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

FillPath chooseFillPath(SessionKind session) {
    switch (session) {
        case SessionKind::Wayland:
            return FillPath::None;
        case SessionKind::X11:
        case SessionKind::None:  // our windows need an X display anyway: as before
            break;
    }
    return FillPath::X11;
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
        const FillPath path = chooseFillPath(sessionKindOf(SessionEnvironment::current()));
        qCDebug(lcAutofill, "fill path: %s", fillPathName(path));
        return path;
    }();
    return chosen;
}

}  // namespace tessavo::platform
