#include "platform/X11Keymap.h"

#include <X11/keysym.h>

#include <algorithm>

#include "platform/Error.h"

namespace tessavo::platform {

void X11Keymap::FreeKeyboard::operator()(XkbDescPtr description) const {
    XkbFreeKeyboard(description, XkbAllComponentsMask, True);
}

X11Keymap::X11Keymap(Display* display) : description_(XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd)) {
    XkbStateRec state{};
    if (!description_ || XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        throw Error(std::string("the X server reports no keyboard mapping"));
    }
    group_ = state.group;
    // Caps Lock is lifted while typing; Num Lock and the like stay as the user set them.
    lockedModifiers_ = state.locked_mods & ~static_cast<unsigned>(LockMask);
}

int X11Keymap::minKeycode() const { return description_->min_key_code; }
int X11Keymap::maxKeycode() const { return description_->max_key_code; }

KeySym X11Keymap::keysymIn(KeyCode keycode, unsigned group, bool shift) const {
    const unsigned modifiers = lockedModifiers_ | (shift ? ShiftMask : 0u);
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    // The server's own rule (key types, group wrapping) decides which symbol the key gives.
    if (!XkbTranslateKeyCode(description_.get(), keycode, XkbBuildCoreState(modifiers, group), &consumed, &keysym)) {
        return NoSymbol;
    }
    return keysym;
}

KeySym X11Keymap::keysymAt(KeyCode keycode, bool shift) const { return keysymIn(keycode, group_, shift); }

std::optional<KeyPlacement> X11Keymap::findCharacter(const std::vector<KeySym>& keysyms, bool preferShift) const {
    for (const bool shift : {preferShift, !preferShift}) {
        for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
            const KeySym keysym = keysymAt(static_cast<KeyCode>(keycode), shift);
            if (keysym != NoSymbol && std::find(keysyms.begin(), keysyms.end(), keysym) != keysyms.end()) {
                return KeyPlacement{static_cast<KeyCode>(keycode), shift};
            }
        }
    }
    return std::nullopt;
}

KeyCode X11Keymap::findKeysym(KeySym keysym) const {
    for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
        if (keysymAt(static_cast<KeyCode>(keycode), false) == keysym) return static_cast<KeyCode>(keycode);
    }
    for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
        const int count = XkbKeyNumSyms(description_.get(), keycode);
        const KeySym* symbols = XkbKeySymsPtr(description_.get(), keycode);
        if (std::find(symbols, symbols + count, keysym) != symbols + count) return static_cast<KeyCode>(keycode);
    }
    return 0;
}

KeyCode X11Keymap::findKeyPair(KeySym plain, KeySym shifted) const {
    std::vector<unsigned> groups{group_};
    for (unsigned group = 0; group < XkbNumKbdGroups; ++group) {
        if (group != group_) groups.push_back(group);
    }
    for (const unsigned group : groups) {
        for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
            const auto key = static_cast<KeyCode>(keycode);
            // A key without this group wraps into another one: only its own groups count.
            if (group >= XkbKeyNumGroups(description_.get(), keycode)) continue;
            if (keysymIn(key, group, false) == plain && keysymIn(key, group, true) == shifted) return key;
        }
    }
    return 0;
}

std::vector<KeySym> keysymsForCharacter(char16_t ch) {
    switch (ch) {
        case u'\t':
            return {XK_Tab};
        case u'\r':
            return {XK_Return};
        case u'\b':
            return {XK_BackSpace};
        case 0x1B:
            return {XK_Escape};
        default:
            break;
    }
    const bool control = ch < 0x20 || (ch >= 0x7F && ch < 0xA0);
    const bool surrogate = ch >= 0xD800 && ch <= 0xDFFF;
    if (control || surrogate) return {};
    const KeySym unicode = 0x01000000 | ch;
    if (ch <= 0xFF) return {ch, unicode};
    if (ch == 0x20AC) return {XK_EuroSign, unicode};
    return {unicode};
}

}  // namespace tessavo::platform
