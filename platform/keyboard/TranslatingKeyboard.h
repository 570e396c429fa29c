#pragma once

#include <cstdint>

#include "platform/keyboard/KeyTranslator.h"
#include "platform/keyboard/Keyboard.h"

namespace tessavo::platform {

// A keyboard whose virtual keys become key events of a keymap through a KeyTranslator: the X11
// and the Wayland keyboards. What they share is here: the translation of the key sender's calls,
// the keyboard state (the object's own array; writing it sends nothing), the fixed waits, and the
// nesting of typing bursts, of which only the outermost pair starts and ends a burst.
class TranslatingKeyboard : public Keyboard {
public:
    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) final;
    std::uint32_t mapVirtualKey(std::uint8_t vk) final;
    std::uint16_t vkKeyScan(char16_t ch) final;
    bool keyToggled(std::uint8_t vk) final;
    State keyboardState() final;
    void setKeyboardState(const State& state) final;
    void sleep(int milliseconds) final;
    void beginTyping() final;
    void endTyping() final;

protected:
    TranslatingKeyboard() = default;

    virtual KeyTranslator& translator() = 0;
    // The outermost typing pair's start and end.
    virtual void startBurst() = 0;
    virtual void endBurst() = 0;
    State& keyState() { return state_; }

private:
    State state_{};
    int typingDepth_ = 0;
};

}  // namespace tessavo::platform
