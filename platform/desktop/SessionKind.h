#pragma once

#include <QString>

namespace tessavo::platform {

// The kind of desktop session the program was started in, told by its environment.
enum class SessionKind {
    X11,      // an X server only: the hotkeys and typed keys reach every window
    Wayland,  // a Wayland compositor; our windows run through Xwayland
    None,     // neither display named
};

// The variables that tell the session apart; empty when unset.
struct SessionEnvironment {
    QString sessionType;     // XDG_SESSION_TYPE, as the login manager set it
    QString waylandDisplay;  // WAYLAND_DISPLAY
    QString display;         // DISPLAY

    static SessionEnvironment current();
};

// XDG_SESSION_TYPE=x11 is an X11 session even with a Wayland display named (a nested
// compositor); otherwise a named Wayland display or XDG_SESSION_TYPE=wayland is Wayland, and a
// named X display alone is X11.
SessionKind sessionKindOf(const SessionEnvironment& environment);

// How a fill reaches the focused window.
enum class FillPath {
    X11,             // XTest keys and the X selections
    WaylandWlroots,  // the compositor's virtual-keyboard and data-control globals
    WaylandPortal,   // the desktop portal's remote-desktop keyboard
    None,            // nothing here can type into a Wayland window
};

// What a Wayland session offers for typing into its windows, as probed at start.
struct WaylandOffers {
    bool virtualKeyboard = false;      // the compositor's virtual-keyboard global (wlroots)
    bool portalRemoteDesktop = false;  // the desktop portal's RemoteDesktop on the session bus (GNOME, KDE)
};

// The fill path for the session. On Wayland it depends on what the session offers: the
// compositor's virtual keyboard, else the desktop portal, else nothing.
FillPath chooseFillPath(SessionKind session, const WaylandOffers& offers = {});
// Looks at what this Wayland session offers (asks the session bus, so only for Wayland).
WaylandOffers probeWaylandOffers();
// Whether a fill on this path can send keys at all.
bool canType(FillPath path);
const char* fillPathName(FillPath path);

// The path of this process: chosen from the environment at the first call, and logged.
FillPath chosenFillPath();

}  // namespace tessavo::platform
