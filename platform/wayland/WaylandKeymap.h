#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keyboard/KeyStrokes.h"

namespace tessavo::platform {

// A keyboard layout by its xkb names; empty names take XKB_DEFAULT_RULES, ..._MODEL,
// ..._LAYOUT, ..._VARIANT, ..._OPTIONS, and without those the US layout.
struct LayoutNames {
    std::string rules;
    std::string model;
    std::string layout;
    std::string variant;
    std::string options;
};

// The keymap a virtual keyboard hands the compositor: a layout with every character to type on
// a key. A character the layout gives is typed on the layout's own key and level; one it lacks
// is given a spare key (a keycode below 256 that carries nothing in the layout), one character
// per key. Named keys and modifiers always sit on the layout's own keycodes, as programs that
// compare keycodes (GTK's Return and Ctrl+V) expect.
//
// Key numbers are xkb keycodes (evdev key numbers plus 8), as on X11.
class WaylandKeymap {
public:
    // Throws tessavo::Error when xkbcommon cannot compile the layout.
    static WaylandKeymap fromNames(const LayoutNames& names);
    // A keymap in xkb's text format, as a compositor sends it to its clients.
    static WaylandKeymap fromText(std::string_view text);

    ~WaylandKeymap();
    WaylandKeymap(WaylandKeymap&&) noexcept;
    WaylandKeymap& operator=(WaylandKeymap&&) noexcept;

    // How the character is typed: its key, with Shift and the level-three key or not. A
    // character the layout lacks gets the next spare key (which changes text()); none for
    // control characters, surrogates, and when every spare key is taken.
    std::optional<KeyStroke> strokeFor(char32_t ch);
    // The layout's key that gives the keysym without modifiers (else at any level); 0 if none.
    KeyNumber keyFor(KeySymbol keysym) const;
    // The layout's key that gives plain without and shifted with Shift; 0 if none.
    KeyNumber keyForPair(KeySymbol plain, KeySymbol shifted) const;
    // The key that brings levels three and four; 0 when the layout has none.
    KeyNumber levelThreeKey() const;
    // The characters placed on spare keys so far.
    std::size_t lentKeys() const;
    // Takes every character off the spare keys again.
    void forgetLentKeys();
    // Counts the changes of text(): a keymap sent at one count is stale at another.
    unsigned changes() const;

    // The keymap in xkb's text format with every spare key given to its character: what the
    // compositor is sent. Ends with a NUL, as the protocol's keymap file must.
    std::string text() const;

private:
    struct Impl;
    explicit WaylandKeymap(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The keysyms that could type a character: its named keysym and its Unicode one; the function
// keysyms of Tab, Enter, Backspace and Esc; none for other control characters and surrogates.
std::vector<KeySymbol> characterSymbols(char32_t ch);

}  // namespace tessavo::platform
