#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/keyboard/KeyStrokes.h"
#include "platform/keyboard/SpareVirtualKeys.h"

namespace tessavo::platform {

// The virtual keys of the key sender as keysyms for a desktop that takes keysyms and finds the
// keys for them itself (the remote-desktop portal). A character is asked for by its own keysym,
// with its case and any AltGr level in it: its key code carries no shift state, so the sender
// holds no Shift around it and the desktop presses what its layout needs. Named keys and the
// modifiers go as their keysyms, letters and digits without a binding as the US key's
// unshifted character.
class PortalKeys {
public:
    // The key code for a character: the US virtual key where that key types the character
    // without Shift, else a spare virtual key bound to the character's keysym until reset();
    // NoKeyCode for a code unit no keysym stands for (half of a surrogate pair).
    std::uint16_t codeFor(char16_t ch);
    // The keysym a virtual key stands for now, 0 when none.
    KeySymbol keysymOf(std::uint8_t vk) const;
    // Forgets the characters' bindings: a new burst.
    void reset();

private:
    std::array<KeySymbol, 256> bound_{};
    SpareVirtualKeyCursor spares_;
};

// The keysym of one UTF-16 code unit, 0 when none stands for it.
KeySymbol keysymOfCharacter(char16_t ch);

}  // namespace tessavo::platform
