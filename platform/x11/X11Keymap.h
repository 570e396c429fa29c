#pragma once

// Only the X11 keyboard includes this header: Xlib's macros stay out of the Qt code.
#include <X11/XKBlib.h>

#include <memory>
#include <vector>

#include "platform/keyboard/KeyStrokes.h"

namespace tessavo::platform {

// A snapshot of the server's keyboard mapping and of the state that chooses among its
// symbols (the active group, the locked modifiers other than Caps Lock).
class X11Keymap {
public:
    // Reads the current mapping and state; throws tessavo::Error when the server gives none.
    explicit X11Keymap(Display* display);

    // Every key's four levels in the active group.
    std::vector<KeyLevels> activeGroupLevels() const;
    // The key that brings levels three and four (ISO_Level3_Shift, else Mode_switch, as the
    // keymap binds them); 0 when the keymap has none.
    KeyCode levelThreeKey() const { return levelThree_.key; }
    // The keys that carry no symbol in any group.
    std::vector<KeyNumber> emptyKeys() const;
    // A key that carries the symbol: one giving it without modifiers in the active group if
    // there is one, else one carrying it anywhere; 0 when no key does.
    KeyCode findKeysym(KeySym keysym) const;
    // A key giving plain without and shifted with Shift in the active group; 0 when none does.
    KeyCode findKeyPair(KeySym plain, KeySym shifted) const;

private:
    // What holding the level-three key adds to the state.
    struct LevelThree {
        KeyCode key = 0;
        unsigned modifiers = 0;
        unsigned group = 0;
    };

    KeySym keysymIn(KeyCode keycode, unsigned group, unsigned modifiers) const;
    KeySym keysymAt(KeyCode keycode, bool shift) const;
    LevelThree findLevelThree() const;
    LevelThree effectOf(KeyCode keycode) const;
    int minKeycode() const;
    int maxKeycode() const;

    struct FreeKeyboard {
        void operator()(XkbDescPtr description) const;
    };
    std::unique_ptr<XkbDescRec, FreeKeyboard> description_;
    unsigned group_ = 0;
    unsigned lockedModifiers_ = 0;
    LevelThree levelThree_;
};

// The symbols that could type a UTF-16 code unit: its Latin-1 or Unicode keysym, the function
// keysyms of Tab, Enter, Backspace and Esc; none for surrogates and other control characters.
std::vector<KeySym> keysymsForCharacter(char16_t ch);

}  // namespace tessavo::platform
