#include "platform/x11/X11Keymap.h"

#include <X11/keysym.h>

#include <algorithm>

#include "platform/base/Error.h"
#include "platform/wayland/WaylandKeymap.h"

namespace tessavo::platform {
namespace {

// The key's symbols, its modifier map and its actions: what a key gives and what it does.
constexpr unsigned kMapParts = XkbAllClientInfoMask | XkbKeyActionsMask;

}  // namespace

void X11Keymap::FreeKeyboard::operator()(XkbDescPtr description) const {
    XkbFreeKeyboard(description, XkbAllComponentsMask, True);
}

X11Keymap::X11Keymap(Display* display) : description_(XkbGetMap(display, kMapParts, XkbUseCoreKbd)) {
    XkbStateRec state{};
    if (!description_ || XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        throw Error(std::string("the X server reports no keyboard mapping"));
    }
    group_ = state.group;
    // Caps Lock is lifted while typing; Num Lock and the like stay as the user set them.
    lockedModifiers_ = state.locked_mods & ~static_cast<unsigned>(LockMask);
    levelThree_ = findLevelThree();
}

int X11Keymap::minKeycode() const { return description_->min_key_code; }
int X11Keymap::maxKeycode() const { return description_->max_key_code; }

KeySym X11Keymap::keysymIn(KeyCode keycode, unsigned group, unsigned modifiers) const {
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    // The server's own rule (key types, group wrapping) decides which symbol the key gives.
    const unsigned state = XkbBuildCoreState(lockedModifiers_ | modifiers, group);
    if (!XkbTranslateKeyCode(description_.get(), keycode, state, &consumed, &keysym)) return NoSymbol;
    return keysym;
}

KeySym X11Keymap::keysymAt(KeyCode keycode, bool shift) const {
    return keysymIn(keycode, group_, shift ? ShiftMask : 0u);
}

X11Keymap::LevelThree X11Keymap::effectOf(KeyCode keycode) const {
    LevelThree effect{keycode, description_->map->modmap[keycode], group_};
    if (!XkbKeyHasActions(description_.get(), keycode)) return effect;  // the modifier map alone
    const int groups = XkbKeyNumGroups(description_.get(), keycode);
    const unsigned keyGroup = static_cast<int>(group_) < groups ? group_ : 0;
    const XkbAction* action = XkbKeyActionEntry(description_.get(), keycode, 0, keyGroup);
    if (!action) return effect;
    switch (action->type) {
        case XkbSA_SetMods:
        case XkbSA_LatchMods:
            if (!(action->mods.flags & XkbSA_UseModMapMods)) effect.modifiers = action->mods.mask;
            return effect;
        case XkbSA_SetGroup:
        case XkbSA_LatchGroup: {
            const int shift = XkbSAGroup(&action->group);
            const bool absolute = action->group.flags & XkbSA_GroupAbsolute;
            effect.modifiers = 0;
            effect.group = static_cast<unsigned>(absolute ? shift : static_cast<int>(group_) + shift);
            return effect;
        }
        default:
            return {};
    }
}

X11Keymap::LevelThree X11Keymap::findLevelThree() const {
    for (const KeySym keysym : {XK_ISO_Level3_Shift, XK_Mode_switch}) {
        for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
            const auto key = static_cast<KeyCode>(keycode);
            if (keysymAt(key, false) != keysym) continue;
            const LevelThree effect = effectOf(key);
            if (effect.modifiers != 0 || effect.group != group_) return effect;
        }
    }
    return {};
}

std::vector<KeyLevels> X11Keymap::activeGroupLevels() const {
    std::vector<KeyLevels> keys;
    for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
        const auto key = static_cast<KeyCode>(keycode);
        KeyLevels levels{key, {}};
        levels.symbols[0] = keysymIn(key, group_, 0);
        levels.symbols[1] = keysymIn(key, group_, ShiftMask);
        if (levelThree_.key) {
            levels.symbols[2] = keysymIn(key, levelThree_.group, levelThree_.modifiers);
            levels.symbols[3] = keysymIn(key, levelThree_.group, levelThree_.modifiers | ShiftMask);
        }
        keys.push_back(levels);
    }
    return keys;
}

std::vector<KeyNumber> X11Keymap::emptyKeys() const {
    std::vector<KeyNumber> keys;
    for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
        const int count = XkbKeyNumSyms(description_.get(), keycode);
        const KeySym* symbols = XkbKeySymsPtr(description_.get(), keycode);
        if (std::all_of(symbols, symbols + count, [](KeySym keysym) { return keysym == NoSymbol; })) {
            keys.push_back(static_cast<KeyNumber>(keycode));
        }
    }
    return keys;
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
    for (int keycode = minKeycode(); keycode <= maxKeycode(); ++keycode) {
        const auto key = static_cast<KeyCode>(keycode);
        if (keysymAt(key, false) == plain && keysymAt(key, true) == shifted) return key;
    }
    return 0;
}

std::vector<KeySym> keysymsForCharacter(char16_t ch) {
    const std::vector<KeySymbol> symbols = characterSymbols(ch);
    return {symbols.begin(), symbols.end()};
}

}  // namespace tessavo::platform
