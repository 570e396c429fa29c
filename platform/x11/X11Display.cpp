#include "platform/x11/X11Display.h"

#include <QGuiApplication>

#include "platform/base/Logging.h"

// Xlib defines macros (Bool, Status) that clash with Qt: it comes after the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tessavo::platform {

_XDisplay* x11Display() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

std::string x11DisplayName() {
    Display* display = x11Display();
    return display ? std::string(XDisplayString(display)) : std::string();
}

// The selections are given up with the server's current time, so the request also takes effect
// when another program became the owner after our last event. It goes on a connection of its
// own to the program's display, since Qt's connection would use the time of its last event.
void clearX11Selections() {
    const std::string name = x11DisplayName();
    if (name.empty()) return;
    Display* display = XOpenDisplay(name.c_str());
    if (!display) {
        // The copy stays in the selections another program may still serve.
        qCWarning(lcX11, "cannot open the X display %s to give up the selections", name.c_str());
        return;
    }
    const Atom clipboardAtom = XInternAtom(display, "CLIPBOARD", False);
    XSetSelectionOwner(display, clipboardAtom, None, CurrentTime);
    XSetSelectionOwner(display, XA_PRIMARY, None, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
}

}  // namespace tessavo::platform
