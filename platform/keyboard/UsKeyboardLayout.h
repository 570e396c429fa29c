#pragma once

#include <array>
#include <cstdint>

#include "platform/keyboard/KeyStrokes.h"

namespace tessavo::platform::us {

// The US keyboard layout as Windows describes it: the reference the key codes of the key
// language are written against.

// The key code that types ch (virtual key, 0x0100 for Shift), or NoKeyCode.
std::uint16_t vkKeyScan(char16_t ch);
// The character a virtual key types without or with Shift, or 0 when it types none.
char16_t character(std::uint8_t vk, bool shift);
// The X keysyms of a key that types no character (the first the keymap has wins), zero-filled;
// all zero for a key that types a character or that the table lacks.
using KeySymbols = std::array<KeySymbol, 3>;
KeySymbols keySymbols(std::uint8_t vk);
// The set-1 scan code of a virtual key, or 0 when the keyboard has no such key.
std::uint8_t scanCode(std::uint8_t vk);

}  // namespace tessavo::platform::us
