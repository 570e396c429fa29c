#pragma once

// Only the X11 keyboard includes this header: Xlib's macros stay out of the Qt code.
#include <X11/XKBlib.h>

#include <memory>
#include <optional>
#include <vector>

namespace tessavo::platform {

// Where a character sits on the keyboard: the key and whether Shift is needed.
struct KeyPlacement {
    KeyCode keycode;
    bool shift;
};

// A snapshot of the server's keyboard mapping and of the state that chooses among its
// symbols (the active group, the locked modifiers other than Caps Lock).
class X11Keymap {
public:
    // Reads the current mapping and state; throws tessavo::Error when the server gives none.
    explicit X11Keymap(Display* display);

    // The symbol a key gives in the active group, without or with Shift.
    KeySym keysymAt(KeyCode keycode, bool shift) const;
    // The first key that gives one of the symbols at the preferred level, else at the other one.
    std::optional<KeyPlacement> findCharacter(const std::vector<KeySym>& keysyms, bool preferShift) const;
    // A key that carries the symbol: one giving it without modifiers in the active group if
    // there is one, else one carrying it anywhere; 0 when no key does.
    KeyCode findKeysym(KeySym keysym) const;
    // A key giving plain without and shifted with Shift, in the active group if one does,
    // else in another group; 0 when no key does.
    KeyCode findKeyPair(KeySym plain, KeySym shifted) const;

    int minKeycode() const;
    int maxKeycode() const;

private:
    KeySym keysymIn(KeyCode keycode, unsigned group, bool shift) const;

    struct FreeKeyboard {
        void operator()(XkbDescPtr description) const;
    };
    std::unique_ptr<XkbDescRec, FreeKeyboard> description_;
    unsigned group_ = 0;
    unsigned lockedModifiers_ = 0;
};

// The symbols that could type a UTF-16 code unit: its Latin-1 or Unicode keysym, the function
// keysyms of Tab, Enter, Backspace and Esc; none for surrogates and other control characters.
std::vector<KeySym> keysymsForCharacter(char16_t ch);

}  // namespace tessavo::platform
