#include "platform/keyboard/TranslatingKeyboard.h"

#include <chrono>
#include <thread>

namespace tessavo::platform {

void TranslatingKeyboard::keybdEvent(std::uint8_t code, std::uint8_t /*scan*/, std::uint32_t flags) {
    // The key is found by its virtual key; the extended-key flag has no counterpart here, where
    // the keys it tells apart have keycodes of their own.
    translator().keyEvent(code, flags & KeyEventKeyUp);
}

std::uint32_t TranslatingKeyboard::mapVirtualKey(std::uint8_t code) {
    // Evdev keycodes are the kernel's key numbers plus 8, and those are the set-1 scan codes.
    const KeyNumber key = translator().keyOf(code);
    return key >= 8 ? key - 8u : 0u;
}

std::uint16_t TranslatingKeyboard::vkKeyScan(char16_t ch) { return translator().vkKeyScan(ch); }

bool TranslatingKeyboard::keyToggled(std::uint8_t code) { return state_[code] & 1; }

Keyboard::State TranslatingKeyboard::keyboardState() { return state_; }

void TranslatingKeyboard::setKeyboardState(const State& state) { state_ = state; }

void TranslatingKeyboard::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void TranslatingKeyboard::beginTyping() {
    if (typingDepth_++ == 0) startBurst();
}

void TranslatingKeyboard::endTyping() {
    if (typingDepth_ == 0) return;
    if (--typingDepth_ == 0) endBurst();
}

}  // namespace tessavo::platform
