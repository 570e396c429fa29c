#include "platform/wayland/WaylandKeymap.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/base/Error.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"
#include "platform/wayland/XkbHandles.h"

namespace tessavo::platform {
namespace {

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

// Key 8 is the kernel's "no key"; keycodes from 256 on do not reach X11 programs (Xwayland).
constexpr xkb_keycode_t kFirstKey = 9;
constexpr xkb_keycode_t kLastKey = 255;

XkbContextHandle newContext() {
    XkbContextHandle context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) throw Error(std::string("xkbcommon cannot start"));
    return context;
}

const char* orNull(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

XkbStateHandle newState(xkb_keymap* keymap) {
    XkbStateHandle state(xkb_state_new(keymap));
    if (!state) throw Error(std::string("xkbcommon cannot follow the keyboard layout"));
    return state;
}

// The text after the opening brace of the keymap's section, where lines can go in.
std::size_t sectionBody(const std::string& text, std::string_view section) {
    const std::size_t start = text.find(section);
    const std::size_t brace = start == std::string::npos ? start : text.find('{', start);
    if (brace == std::string::npos) throw Error(std::string("the keyboard layout has no ") + std::string(section));
    const std::size_t lineEnd = text.find('\n', brace);
    return lineEnd == std::string::npos ? brace + 1 : lineEnd + 1;
}

}  // namespace

std::vector<KeySymbol> characterSymbols(char32_t ch) {
    switch (ch) {
        case U'\t':
            return {XKB_KEY_Tab};
        case U'\r':
            return {XKB_KEY_Return};
        case U'\b':
            return {XKB_KEY_BackSpace};
        case 0x1B:
            return {XKB_KEY_Escape};
        default:
            break;
    }
    const bool control = ch < 0x20 || (ch >= 0x7F && ch < 0xA0);
    const bool surrogate = ch >= 0xD800 && ch <= 0xDFFF;
    if (control || surrogate || ch > 0x10FFFF) return {};
    const KeySymbol unicode = 0x01000000 | ch;
    const KeySymbol named = xkb_utf32_to_keysym(ch);
    if (named == XKB_KEY_NoSymbol || named == unicode) return {unicode};
    return {named, unicode};
}

struct WaylandKeymap::Impl {
    XkbContextHandle context;
    XkbKeymapHandle keymap;
    std::vector<KeyLevels> levels;  // the first layout of every key below 256
    KeyNumber levelThree = 0;
    std::vector<KeyNumber> spareKeys;  // keys the layout leaves empty
    struct Loan {
        KeyNumber key;
        KeySymbol symbol;
        char32_t character;
    };
    std::vector<Loan> loans;
    unsigned changes = 0;

    Impl(XkbContextHandle ownContext, XkbKeymapHandle ownKeymap)
        : context(std::move(ownContext)), keymap(std::move(ownKeymap)) {
        levelThree = findLevelThree();
        readLevels();
        for (xkb_keycode_t key = firstKey(); key <= lastKey(); ++key) {
            if (xkb_keymap_num_layouts_for_key(keymap.get(), key) == 0)
                spareKeys.push_back(static_cast<KeyNumber>(key));
        }
    }

    xkb_keycode_t firstKey() const { return std::max(kFirstKey, xkb_keymap_min_keycode(keymap.get())); }
    xkb_keycode_t lastKey() const { return std::min(kLastKey, xkb_keymap_max_keycode(keymap.get())); }

    // The modifiers a key sets while held, as a real keyboard's press would set them.
    xkb_mod_mask_t modifiersOf(xkb_keycode_t key) const {
        const XkbStateHandle state = newState(keymap.get());
        xkb_state_update_key(state.get(), key, XKB_KEY_DOWN);
        return xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED);
    }

    KeySymbol symbolAt(xkb_keycode_t key, xkb_layout_index_t layout, xkb_level_index_t level) const {
        const xkb_keysym_t* symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), key, layout, level, &symbols);
        return count == 1 ? symbols[0] : XKB_KEY_NoSymbol;
    }

    KeyNumber findKey(KeySymbol keysym, bool plainOnly) const {
        for (xkb_keycode_t key = firstKey(); key <= lastKey(); ++key) {
            const xkb_level_index_t levelCount = xkb_keymap_num_levels_for_key(keymap.get(), key, 0);
            for (xkb_level_index_t level = 0; level < (plainOnly ? 1u : levelCount); ++level) {
                if (symbolAt(key, 0, level) == keysym) return static_cast<KeyNumber>(key);
            }
        }
        return 0;
    }

    KeyNumber findLevelThree() const {
        for (xkb_keycode_t key = firstKey(); key <= lastKey(); ++key) {
            if (symbolAt(key, 0, 0) == XKB_KEY_ISO_Level3_Shift && modifiersOf(key) != 0) {
                return static_cast<KeyNumber>(key);
            }
        }
        return 0;
    }

    // What each key gives with no modifier, Shift, the level-three key and both, read through a
    // state as the receiving program reads it.
    void readLevels() {
        const xkb_mod_index_t shiftIndex = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_SHIFT);
        const xkb_mod_mask_t shift = shiftIndex == XKB_MOD_INVALID ? 0 : 1u << shiftIndex;
        const xkb_mod_mask_t third = levelThree ? modifiersOf(levelThree) : 0;
        const xkb_mod_mask_t masks[4] = {0, shift, third, shift | third};
        const int usable = levelThree ? 4 : 2;
        std::vector<XkbStateHandle> states;
        for (int level = 0; level < usable; ++level) {
            states.push_back(newState(keymap.get()));
            xkb_state_update_mask(states.back().get(), masks[level], 0, 0, 0, 0, 0);
        }
        for (xkb_keycode_t key = firstKey(); key <= lastKey(); ++key) {
            KeyLevels entry{static_cast<KeyNumber>(key), {}};
            for (int level = 0; level < usable; ++level) {
                entry.symbols[level] = xkb_state_key_get_one_sym(states[level].get(), key);
            }
            levels.push_back(entry);
        }
    }

    std::string baseText() const {
        const std::unique_ptr<char, FreeText> text(xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1));
        if (!text) throw Error(std::string("xkbcommon cannot write the keyboard layout"));
        return text.get();
    }

    // A key's name in the keymap; a keycode the layout leaves unnamed gets one of its own.
    std::string nameOf(KeyNumber key, bool& isNew) const {
        if (const char* name = xkb_keymap_key_get_name(keymap.get(), key)) {
            isNew = false;
            return name;
        }
        char name[8];
        std::snprintf(name, sizeof name, "T%03u", unsigned{key});
        isNew = true;
        return name;
    }
};

WaylandKeymap::WaylandKeymap(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WaylandKeymap::~WaylandKeymap() = default;
WaylandKeymap::WaylandKeymap(WaylandKeymap&&) noexcept = default;
WaylandKeymap& WaylandKeymap::operator=(WaylandKeymap&&) noexcept = default;

WaylandKeymap WaylandKeymap::fromNames(const LayoutNames& names) {
    XkbContextHandle context = newContext();
    const xkb_rule_names rmlvo{orNull(names.rules), orNull(names.model), orNull(names.layout), orNull(names.variant),
                               orNull(names.options)};
    XkbKeymapHandle keymap(xkb_keymap_new_from_names(context.get(), &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) throw Error(std::string("xkbcommon cannot compile the keyboard layout \"") + names.layout + "\"");
    return WaylandKeymap(std::make_unique<Impl>(std::move(context), std::move(keymap)));
}

WaylandKeymap WaylandKeymap::fromText(std::string_view text) {
    // A keymap file ends with a NUL, which the parser would read as text.
    text = text.substr(0, text.find('\0'));
    XkbContextHandle context = newContext();
    XkbKeymapHandle keymap(xkb_keymap_new_from_buffer(context.get(), text.data(), text.size(),
                                                      XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) throw Error(std::string("xkbcommon cannot read the compositor's keyboard layout"));
    return WaylandKeymap(std::make_unique<Impl>(std::move(context), std::move(keymap)));
}

std::optional<KeyStroke> WaylandKeymap::strokeFor(char32_t ch) {
    const std::vector<KeySymbol> wanted = characterSymbols(ch);
    if (wanted.empty()) return std::nullopt;
    const std::uint16_t usCode = ch <= 0xFFFF ? us::vkKeyScan(static_cast<char16_t>(ch)) : NoKeyCode;
    const bool preferShift = usCode != NoKeyCode && (usCode & ShiftStateShift);
    if (auto stroke = findKeyStroke(impl_->levels, wanted, preferShift, impl_->levelThree != 0)) return stroke;
    const auto lent = std::find_if(impl_->loans.begin(), impl_->loans.end(),
                                   [&](const Impl::Loan& loan) { return loan.character == ch; });
    if (lent != impl_->loans.end()) return KeyStroke{lent->key, false, false};
    if (impl_->loans.size() >= impl_->spareKeys.size()) return std::nullopt;
    const KeyNumber key = impl_->spareKeys[impl_->loans.size()];
    impl_->loans.push_back({key, wanted.front(), ch});
    ++impl_->changes;
    return KeyStroke{key, false, false};
}

KeyNumber WaylandKeymap::keyFor(KeySymbol keysym) const {
    if (const KeyNumber key = impl_->findKey(keysym, true)) return key;
    return impl_->findKey(keysym, false);
}

KeyNumber WaylandKeymap::keyForPair(KeySymbol plain, KeySymbol shifted) const {
    for (const KeyLevels& key : impl_->levels) {
        if (key.symbols[0] == plain && key.symbols[1] == shifted) return key.key;
    }
    return 0;
}

KeyNumber WaylandKeymap::levelThreeKey() const { return impl_->levelThree; }

std::size_t WaylandKeymap::lentKeys() const { return impl_->loans.size(); }

void WaylandKeymap::forgetLentKeys() {
    if (impl_->loans.empty()) return;
    impl_->loans.clear();
    ++impl_->changes;
}

unsigned WaylandKeymap::changes() const { return impl_->changes; }

std::string WaylandKeymap::text() const {
    std::string text = impl_->baseText();
    std::string names;
    std::string keys;
    for (const Impl::Loan& loan : impl_->loans) {
        bool isNew = false;
        const std::string name = impl_->nameOf(loan.key, isNew);
        if (isNew) names += "\t<" + name + "> = " + std::to_string(loan.key) + ";\n";
        char symbol[64];
        if (xkb_keysym_get_name(loan.symbol, symbol, sizeof symbol) < 0) continue;
        keys += "\tkey <" + name + "> { [ " + symbol + " ] };\n";
    }
    // The symbols come after the key names in the text: inserting them first keeps the place
    // found for the names valid.
    text.insert(sectionBody(text, "xkb_symbols"), keys);
    text.insert(sectionBody(text, "xkb_keycodes"), names);
    text.push_back('\0');
    return text;
}

}  // namespace tessavo::platform
