#include "platform/x11/Unit_Function.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

// Xlib defines macros (Bool, Status) that clash with Qt: it comes after the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11/X11Display.h"
#include "platform/x11/X11Property.h"

namespace tessavo::platform {
namespace {

std::vector<Atom> netWmState(Display* display, Window window) {
    const X11Property state(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM);
    if (!state.holds(32)) return {};
    const auto* values = reinterpret_cast<const Atom*>(state.data());
    return std::vector<Atom>(values, values + state.count());
}

bool contains(const std::vector<Atom>& atoms, Atom atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

// A mapped window asks the window manager; the property itself covers an unmapped one, which
// the window manager reads when the window is shown.
void changeStates(Display* display, Window window, Atom first, Atom second, bool add, bool mapped) {
    std::vector<Atom> atoms = netWmState(display, window);
    std::erase_if(atoms, [&](Atom atom) { return atom == first || atom == second; });
    if (add) atoms.insert(atoms.end(), {first, second});
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    if (mapped) {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = window;
        message.xclient.message_type = state;
        message.xclient.format = 32;
        message.xclient.data.l[0] = add ? 1 : 0;  // add or remove
        message.xclient.data.l[1] = static_cast<long>(first);
        message.xclient.data.l[2] = static_cast<long>(second);
        message.xclient.data.l[3] = 1;  // from a normal application
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &message);
    }
    XFlush(display);
}

// Puts the window on the taskbar and the pager, or keeps it off them; nothing is sent when it
// is already so.
void setTaskbarButton(QWidget* window, bool shown) {
    Display* display = platform::x11Display();
    if (!display || !window) return;
    const Window id = static_cast<Window>(window->winId());
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    const Atom skipPager = XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False);
    const std::vector<Atom> atoms = netWmState(display, id);
    const bool skipped = contains(atoms, skipTaskbar) && contains(atoms, skipPager);
    const bool listed = !contains(atoms, skipTaskbar) && !contains(atoms, skipPager);
    if (shown ? listed : skipped) return;
    changeStates(display, id, skipTaskbar, skipPager, !shown, window->isVisible());
}

}  // namespace

void HideTaskbarButton(QWidget* window) { setTaskbarButton(window, false); }

void ShowTaskbarButton(QWidget* window) { setTaskbarButton(window, true); }

void centreOnScreen(QWidget* window) {
    if (const QScreen* screen = window->screen()) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
}

bool IsTaskbarButtonHidden(QWidget* window) {
    Display* display = platform::x11Display();
    if (!display || !window) return false;
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    return contains(netWmState(display, static_cast<Window>(window->winId())), skipTaskbar);
}

}  // namespace tessavo::platform
