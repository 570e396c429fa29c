#include "platform/x11/X11Hotkeys.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"

// Xlib defines macros (Bool, Status, None) that clash with Qt: it comes after the Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include "platform/x11/X11ErrorTrap.h"

namespace tessavo::platform {
namespace {

// The modifiers that tell hotkeys apart; the locks are left out, they never switch one off.
constexpr unsigned kHotkeyModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

// A key that types no character by its own symbol; a letter, digit or punctuation key by the
// character it types unshifted on a US keyboard, whose keysym has the same value.
KeySym keysymOf(std::uint8_t code) {
    if (const KeySymbol named = us::keySymbols(code)[0]) return named;
    const char16_t plain = us::character(code, false);
    return plain >= 0x20 && plain < 0x7F ? KeySym{plain} : NoSymbol;
}

unsigned modifierMask(unsigned modifiers) {
    unsigned mask = 0;
    if (modifiers & ModAlt) mask |= Mod1Mask;
    if (modifiers & ModControl) mask |= ControlMask;
    if (modifiers & ModShift) mask |= ShiftMask;
    if (modifiers & ModWin) mask |= Mod4Mask;
    return mask;
}

// "Ctrl+Left", for the diagnostics.
std::string describe(KeySym keysym, unsigned mask) {
    std::string text;
    for (const auto& [modifier, name] :
         {std::pair{ControlMask, "Ctrl+"}, {ShiftMask, "Shift+"}, {Mod1Mask, "Alt+"}, {Mod4Mask, "Super+"}}) {
        if (mask & modifier) text += name;
    }
    const char* key = XKeysymToString(keysym);
    return text + (key ? key : "?");
}

struct Combination {
    KeyCode key = 0;
    unsigned mask = 0;
    bool operator==(const Combination&) const = default;
};

struct Registration {
    Combination combination;
    GlobalHotkeys::Receiver receiver;
};

// The key that gives the keysym, asked of the server now: Xlib's copy of the keymap, which this
// connection never refreshes, would miss a key the keyboard gained since (Xwayland's keymap grows
// as keyboards come). 0 when no key gives it.
KeyCode currentKeycodeOf(Display* display, KeySym keysym) {
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perKey = 0;
    KeySym* const map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perKey);
    if (!map) return 0;
    KeyCode found = 0;
    for (int key = first; key <= last && found == 0; ++key) {
        const KeySym* const levels = map + static_cast<std::ptrdiff_t>(key - first) * perKey;
        if (std::find(levels, levels + perKey, keysym) != levels + perKey) found = static_cast<KeyCode>(key);
    }
    XFree(map);
    return found;
}

}  // namespace

struct X11Hotkeys::Impl {
    Display* display = nullptr;
    Window root = 0;
    unsigned numLockMask = 0;
    // Owned by the application object, so it goes before the event dispatcher does.
    QPointer<QSocketNotifier> notifier;
    std::map<int, Registration> registrations;

    ~Impl() {
        for (const auto& [id, registration] : registrations) ungrab(registration.combination);
        delete notifier.data();
        XCloseDisplay(display);
    }

    std::vector<unsigned> withLocks(unsigned mask) const {
        std::vector<unsigned> masks = {mask, mask | LockMask};
        if (numLockMask) masks.insert(masks.end(), {mask | numLockMask, mask | LockMask | numLockMask});
        return masks;
    }

    bool grab(const Combination& combination, const std::string& name) {
        X11ErrorTrap trap(display);
        for (const unsigned mask : withLocks(combination.mask)) {
            XGrabKey(display, combination.key, mask, root, False, GrabModeAsync, GrabModeAsync);
        }
        if (!trap.failed()) {
            qCDebug(lcX11, "grabbed %s (keycode %u)", name.c_str(), unsigned{combination.key});
            return true;
        }
        qCWarning(lcX11, "the X server refused the grab of %s (keycode %u): %s", name.c_str(),
                  unsigned{combination.key}, trap.errorText().c_str());
        ungrab(combination);  // only our own grabs go; another program's stay
        return false;
    }

    void ungrab(const Combination& combination) {
        for (const unsigned mask : withLocks(combination.mask)) XUngrabKey(display, combination.key, mask, root);
        XSync(display, False);
    }

    bool heldByAnother(const Combination& combination, int id) const {
        for (const auto& [other, registration] : registrations) {
            if (other != id && registration.combination == combination) return true;
        }
        return false;
    }

    void readEvents() {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress) continue;
            const Combination pressed{static_cast<KeyCode>(event.xkey.keycode), event.xkey.state & kHotkeyModifiers};
            for (const auto& [id, registration] : registrations) {
                if (registration.combination == pressed) post(id);
            }
        }
    }

    // Like a posted message: the receiver runs from the event loop, after the current handler.
    void post(int id) {
        QMetaObject::invokeMethod(
            notifier.data(), [this, id] { deliver(id); }, Qt::QueuedConnection);
    }

    void deliver(int id) {
        const auto found = registrations.find(id);
        if (found == registrations.end()) return;                         // unregistered since the press
        const GlobalHotkeys::Receiver receiver = found->second.receiver;  // it may unregister itself
        receiver(id);
    }

    // Events that came in while Xlib waited for a reply sit in its queue, where the notifier
    // does not see them.
    void readQueuedEventsLater() {
        if (notifier && QLength(display) > 0) {
            QMetaObject::invokeMethod(
                notifier.data(), [this] { readEvents(); }, Qt::QueuedConnection);
        }
    }
};

X11Hotkeys::X11Hotkeys(const char* displayName) : impl_(std::make_unique<Impl>()) {
    impl_->display = XOpenDisplay(displayName);
    if (!impl_->display) throw Error(std::string("cannot open the X display for the hotkeys"));
    impl_->root = DefaultRootWindow(impl_->display);
    impl_->numLockMask = XkbKeysymToModifiers(impl_->display, XK_Num_Lock);
    impl_->notifier =
        new QSocketNotifier(ConnectionNumber(impl_->display), QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(impl_->notifier.data(), &QSocketNotifier::activated, impl_->notifier.data(),
                     [impl = impl_.get()] { impl->readEvents(); });
}

X11Hotkeys::~X11Hotkeys() = default;

HotkeyRegistration X11Hotkeys::registerHotKey(int id, unsigned modifiers, std::uint8_t vk, Receiver receiver) {
    const KeySym keysym = keysymOf(vk);
    const KeyCode key = keysym == NoSymbol ? 0 : currentKeycodeOf(impl_->display, keysym);
    const Combination combination{key, modifierMask(modifiers)};
    const std::string name = describe(keysym, combination.mask);
    if (key == 0) {
        qCWarning(lcX11, "no key on this keyboard gives %s (virtual key %#x): no hotkey", name.c_str(), unsigned{vk});
        return HotkeyRegistration::NoSuchKey;
    }
    if (impl_->heldByAnother(combination, id)) {
        qCWarning(lcX11, "%s is already a hotkey of this program under another identifier", name.c_str());
        return HotkeyRegistration::HeldElsewhere;
    }
    unregisterHotKey(id);
    const bool grabbed = impl_->grab(combination, name);
    if (grabbed) impl_->registrations[id] = {combination, std::move(receiver)};
    impl_->readQueuedEventsLater();
    // The server refuses a grab another client holds (BadAccess).
    return grabbed ? HotkeyRegistration::Registered : HotkeyRegistration::HeldElsewhere;
}

bool X11Hotkeys::unregisterHotKey(int id) {
    const auto found = impl_->registrations.find(id);
    if (found == impl_->registrations.end()) return false;
    impl_->ungrab(found->second.combination);
    impl_->registrations.erase(found);
    impl_->readQueuedEventsLater();
    return true;
}

void X11Hotkeys::endHotkeyGrab() {
    XUngrabKeyboard(impl_->display, CurrentTime);
    // Processed before any key sent on another connection.
    XSync(impl_->display, False);
    impl_->readQueuedEventsLater();
}

}  // namespace tessavo::platform
