#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/keyboard/KeyStrokes.h"
#include "platform/keyboard/SpareVirtualKeys.h"

namespace tessavo::platform {

// One key of the keymap going down or up: what both display systems are finally sent.
struct KeyEvent {
    KeyNumber key = 0;
    bool press = false;
    bool operator==(const KeyEvent&) const = default;
};

// Where the translated key events go (XTest, a virtual keyboard, or a recording plan).
class KeySink {
public:
    virtual ~KeySink() = default;
    virtual void sendKey(const KeyEvent& event) = 0;
};

// The keyboard layout as the translation asks it; lending spare keys is the layout's business.
class KeyLayout {
public:
    virtual ~KeyLayout() = default;
    // The key that gives the keysym (one of a key that types no character: Enter, Shift, ...).
    virtual KeyNumber keyForSymbol(KeySymbol keysym) = 0;
    // A key giving plain without and shifted with Shift; lent: a spare key given to them.
    struct PairKey {
        KeyNumber key = 0;
        bool lent = false;
    };
    virtual PairKey keyForPair(char16_t plain, char16_t shifted) = 0;
    // How the character is typed, on a spare key lent to it if no key gives it.
    virtual std::optional<KeyStroke> strokeFor(char16_t ch) = 0;
    // The key that brings levels three and four; 0 when there is none.
    virtual KeyNumber levelThreeKey() = 0;
};

// Turns the Windows virtual keys of the key sender into key events of a keymap, the same way
// on every display system: the virtual keys of letters, digits and punctuation keep their
// Windows values where the US layout would give them; other characters get spare virtual keys
// bound to their keys for the duration of a typing burst. A key goes up where it went down.
class KeyTranslator {
public:
    KeyTranslator(KeyLayout& layout, KeySink& sink) : layout_(layout), sink_(sink) {}

    // Forgets the bindings of the previous burst.
    void startBurst();
    // One virtual key down or up; a key the layout lacks sends nothing.
    void keyEvent(std::uint8_t vk, bool up);
    // The key of a virtual key; 0 when the layout has none.
    KeyNumber keyOf(std::uint8_t vk);
    // The key code (virtual key, Shift in the high byte) that types ch, or NoKeyCode.
    std::uint16_t vkKeyScan(char16_t ch);
    // Lets go of every key still down.
    void releaseAll();
    // A spare key lent to other symbols no longer types what the codes bound to it stood for.
    void forget(KeyNumber key);

private:
    struct Binding {
        KeyNumber key = 0;
        bool levelThree = false;
        bool operator==(const Binding&) const = default;
    };

    Binding resolve(std::uint8_t vk);
    std::uint8_t spareCodeFor(const Binding& binding);
    void press(const Binding& binding);
    void release(const Binding& binding);

    KeyLayout& layout_;
    KeySink& sink_;
    std::array<Binding, 256> bound_{};  // virtual key -> key, for the current burst
    std::array<Binding, 256> down_{};   // virtual key -> the key it went down on
    SpareVirtualKeyCursor spares_;
};

// A recording sink: the plan of key events a burst becomes.
class KeyEventPlan final : public KeySink {
public:
    void sendKey(const KeyEvent& event) override { events.push_back(event); }
    std::vector<KeyEvent> events;
};

}  // namespace tessavo::platform
