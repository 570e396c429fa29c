#include "platform/x11/X11Keyboard.h"

// Xlib's macros must not reach Qt headers: the Qt logging comes first, the X headers through
// X11Keymap.h only.
#include "platform/base/Logging.h"
#include "platform/x11/X11Keymap.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "platform/base/Error.h"
#include "platform/keyboard/KeyStrokes.h"
#include "platform/keyboard/KeyTranslator.h"
#include "platform/keyboard/UsKeyboardLayout.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11Property.h"

namespace tessavo::platform {
namespace {

struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, CloseDisplay>;

struct FreeModifierMap {
    void operator()(XModifierKeymap* map) const { XFreeModifiermap(map); }
};

// The symbols a character is lent a spare key with: a letter with its other case, so that
// each case comes at its own level and neither depends on how the server fills a lone symbol.
struct LentSymbols {
    std::vector<KeySymbol> symbols;
    bool shift = false;
};

LentSymbols lentSymbolsFor(KeySym keysym) {
    KeySym lower = NoSymbol;
    KeySym upper = NoSymbol;
    XConvertCase(keysym, &lower, &upper);
    if (lower == upper) return {{static_cast<KeySymbol>(keysym)}, false};
    return {{static_cast<KeySymbol>(lower), static_cast<KeySymbol>(upper)}, keysym == upper};
}

// Spare keys are bound through the core protocol, which every client follows.
class ServerKeymapWriter final : public KeymapWriter {
public:
    explicit ServerKeymapWriter(Display* display) : display_(display) {}

    // Neither the key nor its symbols go to the log: the symbols are characters of the text
    // being typed, and the key's number tells how many others were lent before it.
    bool bind(KeyNumber key, const std::vector<KeySymbol>& symbols) override {
        X11ErrorTrap trap(display_);
        std::vector<KeySym> keysyms(symbols.begin(), symbols.end());
        XChangeKeyboardMapping(display_, key, static_cast<int>(keysyms.size()), keysyms.data(), 1);
        if (!trap.failed()) return true;
        qCWarning(lcX11, "the X server refused to lend a spare key: %s", trap.errorText().c_str());
        return false;
    }

    void clear(KeyNumber key) override {
        X11ErrorTrap trap(display_);
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display_, key, 1, &none, 1);
        if (trap.failed()) {
            qCWarning(lcX11, "the X server refused to empty a spare key again: %s", trap.errorText().c_str());
        }
    }

    void settle(int changes) override {
        // Each program reads the changed keymap only when it comes to the change's notice, and
        // then takes the keymap as it is at that moment: it must still hold the symbols of the
        // keys typed before. No program says when it is done, so the wait grows with the
        // number of changes it has to take in.
        XSync(display_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleBase + kSettlePerChange * changes));
    }

private:
    static constexpr int kSettleBase = 800;
    static constexpr int kSettlePerChange = 40;
    Display* display_;
};

}  // namespace

struct X11Keyboard::Impl final : KeyLayout, KeySink {
    DisplayHandle display;
    std::optional<X11Keymap> keymap;
    std::vector<KeyLevels> levels;  // the active group of the keymap
    bool inBurst = false;
    bool capsLockLifted = false;
    KeyTranslator translator{*this, *this};
    KeySink* observer = nullptr;
    std::optional<ServerKeymapWriter> writer;
    std::optional<SpareKeys> spareKeys;  // only while a burst is open

    // The burst's snapshot; outside a burst every query looks at the mapping afresh.
    const X11Keymap& currentKeymap() {
        if (!inBurst || !keymap) {
            keymap.emplace(display.get());
            levels = keymap->activeGroupLevels();
        }
        return *keymap;
    }

    unsigned lockedModifiers() {
        XkbStateRec state{};
        XkbGetState(display.get(), XkbUseCoreKbd, &state);
        return state.locked_mods;
    }

    KeyNumber keyForSymbol(KeySymbol keysym) override { return currentKeymap().findKeysym(keysym); }

    PairKey keyForPair(char16_t plain, char16_t shifted) override {
        if (const KeyCode key = currentKeymap().findKeyPair(plain, shifted)) return {key, false};
        if (!spareKeys) return {};
        const auto key = spareKeys->keyFor({plain, shifted});
        return key ? PairKey{*key, true} : PairKey{};
    }

    // How the character is typed: a key of the active group, else a spare key lent to it.
    std::optional<KeyStroke> strokeFor(char16_t ch) override {
        const std::vector<KeySym> keysyms = keysymsForCharacter(ch);
        if (keysyms.empty()) return std::nullopt;
        const std::uint16_t usCode = us::vkKeyScan(ch);
        const bool preferShift = usCode != NoKeyCode && (usCode & ShiftStateShift);
        const X11Keymap& map = currentKeymap();
        const std::vector<KeySymbol> wanted(keysyms.begin(), keysyms.end());
        if (auto stroke = findKeyStroke(levels, wanted, preferShift, map.levelThreeKey() != 0)) return stroke;
        if (!spareKeys) return std::nullopt;
        const LentSymbols lent = lentSymbolsFor(keysyms.front());
        const auto key = spareKeys->keyFor(lent.symbols);
        if (!key) return std::nullopt;
        return KeyStroke{*key, lent.shift, false};
    }

    KeyNumber levelThreeKey() override { return keymap->levelThreeKey(); }

    void sendKey(const KeyEvent& event) override {
        if (observer) observer->sendKey(event);
        XTestFakeKeyEvent(display.get(), event.key, event.press ? True : False, CurrentTime);
        XFlush(display.get());
    }

    void startBurst() {
        inBurst = true;
        keymap.emplace(display.get());
        levels = keymap->activeGroupLevels();
        translator.startBurst();
        spareKeys.emplace(*writer, keymap->emptyKeys());
        spareKeys->onReuse = [this](KeyNumber key) { translator.forget(key); };
        capsLockLifted = lockedModifiers() & LockMask;
        if (capsLockLifted) XkbLockModifiers(display.get(), XkbUseCoreKbd, LockMask, 0);
        XSync(display.get(), False);
    }

    void endBurst() {
        inBurst = false;
        translator.releaseAll();
        XSync(display.get(), False);
        spareKeys.reset();  // the lent keys go back to empty
        // That a burst ran and how it ended; never how many keys it sent, nor which: they
        // tell a password's length and its characters.
        qCDebug(lcX11, "a typing burst ended: every key it pressed let go, every key it lent emptied%s",
                capsLockLifted ? ", Caps Lock locked again" : "");
        if (capsLockLifted) {
            // A burst that pressed Caps Lock itself ({CAPSLOCK}) leaves the lock flipped from
            // the user's state, as the key press asked.
            const bool onNow = lockedModifiers() & LockMask;
            XkbLockModifiers(display.get(), XkbUseCoreKbd, LockMask, onNow ? 0 : LockMask);
            capsLockLifted = false;
        }
        XSync(display.get(), False);
    }

    std::vector<KeyCode> modifierKeys() {
        const std::unique_ptr<XModifierKeymap, FreeModifierMap> map(XGetModifierMapping(display.get()));
        std::vector<KeyCode> keys;
        if (!map) return keys;
        for (int modifier = 0; modifier < 8; ++modifier) {
            if (modifier == LockMapIndex) continue;
            for (int i = 0; i < map->max_keypermod; ++i) {
                const KeyCode key = map->modifiermap[modifier * map->max_keypermod + i];
                if (key) keys.push_back(key);
            }
        }
        return keys;
    }

    bool anyKeyDown(const std::vector<KeyCode>& keys) {
        char pressed[32];
        XQueryKeymap(display.get(), pressed);
        for (const KeyCode key : keys) {
            if (pressed[key / 8] & (1 << (key % 8))) return true;
        }
        return false;
    }
};

namespace {

// Without these no key can be sent: said in the diagnostics as well as in the error box, which
// shows only when a fill is tried.
[[noreturn]] void cannotType(const char* reason) {
    qCWarning(lcX11, "no keystrokes can be sent: %s", reason);
    throw Error(std::string(reason));
}

}  // namespace

X11Keyboard::X11Keyboard(const char* displayName) : impl_(std::make_unique<Impl>()) {
    impl_->display.reset(XOpenDisplay(displayName));
    if (!impl_->display) cannotType("cannot open the X display for typing");
    Display* display = impl_->display.get();
    impl_->writer.emplace(display);
    int event = 0, error = 0, major = 0, minor = 0, opcode = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        cannotType("the X server has no XTest extension for typing");
    }
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) {
        cannotType("the X server has no XKB extension for typing");
    }
    const unsigned locked = impl_->lockedModifiers();
    keyState()[vk::NumLock] = (locked & XkbKeysymToModifiers(display, XK_Num_Lock)) ? 1 : 0;
    keyState()[vk::Capital] = (locked & LockMask) ? 1 : 0;
}

X11Keyboard::~X11Keyboard() = default;

KeyTranslator& X11Keyboard::translator() { return impl_->translator; }

void X11Keyboard::startBurst() { impl_->startBurst(); }

void X11Keyboard::endBurst() { impl_->endBurst(); }

void X11Keyboard::drainOwnKeyboardMessages() {
    // The program's windows receive their key events through Qt's own connection and handle
    // them when its event loop runs again; dispatching here could start a second auto-fill in
    // the middle of this one. What remains is to let the server take in each injected event
    // before the next, so that nothing is reordered or dropped on a busy server.
    XSync(impl_->display.get(), False);
}

KeyboardLayout X11Keyboard::activeLayout() {
    Display* const display = impl_->display.get();
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return {};
    // setxkbmap and the desktops that set the keymap leave its names on the root window.
    const X11Property names(display, DefaultRootWindow(display), XInternAtom(display, "_XKB_RULES_NAMES", False),
                            XA_STRING);
    if (!names.holds(8)) return {};
    return layoutOfGroup({reinterpret_cast<const char*>(names.data()), names.count()}, state.group);
}

void X11Keyboard::observeKeys(KeySink* observer) { impl_->observer = observer; }

bool X11Keyboard::waitForModifiersReleased(int maxMilliseconds) {
    const std::vector<KeyCode> modifiers = impl_->modifierKeys();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMilliseconds);
    while (impl_->anyKeyDown(modifiers)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace tessavo::platform
