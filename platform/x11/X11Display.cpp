#include "platform/x11/X11Display.h"

#include <QGuiApplication>

// Xlib defines macros (Bool, Status) that clash with Qt: it comes after the Qt headers.
#include <X11/Xlib.h>

namespace tessavo::platform {

_XDisplay* x11Display() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

}  // namespace tessavo::platform
