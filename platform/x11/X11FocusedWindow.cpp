#include "platform/x11/X11FocusedWindow.h"

#include "platform/base/Logging.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

// Xlib defines macros (Bool, Status) that clash with Qt: it comes after the Qt headers.
#include <X11/Xutil.h>

namespace tessavo::platform {
namespace {

std::optional<WindowClass> classOf(Display* display, Window window) {
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) == 0) return std::nullopt;
    WindowClass names{QString::fromLocal8Bit(hint.res_name), QString::fromLocal8Bit(hint.res_class)};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

Window parentOf(Display* display, Window window) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
    if (children) XFree(children);
    return parent == root ? None : parent;
}

}  // namespace

std::optional<WindowClass> X11FocusedWindow::focusedWindowClass() {
    Display* const display = x11Display();
    if (!display) return std::nullopt;
    // The window may go away between the questions: its errors are trapped, not fatal.
    const X11ErrorTrap trap(display);
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    for (Window window = focus; window != None && window != PointerRoot; window = parentOf(display, window)) {
        if (auto names = classOf(display, window)) {
            qCDebug(lcX11, "the focused window is of the class %s", qPrintable(names->className));
            return names;
        }
    }
    qCDebug(lcX11, "no window of a known class has the focus");
    return std::nullopt;
}

}  // namespace tessavo::platform
