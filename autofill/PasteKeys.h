#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/keyboard/FocusedWindow.h"

namespace tessavo::autofill {

// The key a program pastes with. A terminal reads Ctrl+V as a control character (the next key
// taken literally), so it pastes with a key of its own.
enum class PasteKey {
    CtrlV,        // every other program
    CtrlShiftV,   // VTE terminals (GNOME Terminal, xfce4-terminal, ...), Konsole, foot, alacritty, kitty
    ShiftInsert,  // xterm and rxvt, which paste the primary selection
};

// The paste key of the program whose window has the focus, told by its window's class; Ctrl+V
// for a window that is no terminal we know, and for one that cannot be told.
PasteKey pasteKeyFor(const std::optional<platform::WindowClass>& window);

// Whether the key pastes the primary selection rather than the clipboard.
bool pastesPrimarySelection(PasteKey key);

// The key presses of a paste key: the modifiers pressed first in this order (and let go in the
// other), then the key itself.
struct PasteChord {
    std::vector<std::uint8_t> modifiers;
    std::uint8_t key;
    std::uint32_t flags;  // KeyEventExtendedKey for a key of the editing block
};
PasteChord chordOf(PasteKey key);

}  // namespace tessavo::autofill
