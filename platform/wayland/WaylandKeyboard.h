#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/keyboard/TranslatingKeyboard.h"
#include "platform/wayland/WaylandKeymap.h"

namespace tessavo::platform {

// The modifier state a keyboard reports beside its keys, as the virtual-keyboard protocol
// carries it.
struct ModifierState {
    std::uint32_t depressed = 0;
    std::uint32_t latched = 0;
    std::uint32_t locked = 0;
    std::uint32_t group = 0;
    bool operator==(const ModifierState&) const = default;
};

// What the Wayland keyboard sends through: a virtual keyboard of the compositor, or a
// recording in the tests.
class VirtualKeyboardOutput {
public:
    virtual ~VirtualKeyboardOutput() = default;
    // Hands over the keymap (xkb text, NUL-terminated) the following keys are read through.
    virtual void keymap(const std::string& text) = 0;
    // One key (an xkb keycode, evdev plus 8) down or up.
    virtual void key(KeyNumber key, bool press) = 0;
    virtual void modifiers(const ModifierState& state) = 0;
    // Waits until the compositor has handled everything sent so far.
    virtual void roundTrip() = 0;
    // Sends what is queued without waiting.
    virtual void flush() = 0;
};

// The keyboard in a Wayland session: one virtual keyboard for the program's life (a keyboard
// made per fill loses its first key into the focus change). Keys are translated exactly as on
// X11; characters the layout lacks are put on spare keys of the keymap the compositor is sent,
// which is sent again (and waited for) before the first key that needs it. Modifiers go with
// the `modifiers` request in step with the modifier keys, as the compositor does not work them
// out from the keys of a virtual keyboard. After each burst no key is left down.
class WaylandKeyboard final : public TranslatingKeyboard {
public:
    WaylandKeyboard(WaylandKeymap keymap, std::unique_ptr<VirtualKeyboardOutput> output);
    ~WaylandKeyboard() override;
    WaylandKeyboard(const WaylandKeyboard&) = delete;
    WaylandKeyboard& operator=(const WaylandKeyboard&) = delete;

    // Connects to the named Wayland display (nullptr: $WAYLAND_DISPLAY) and makes the virtual
    // keyboard on its seat, with the layout the seat's keyboard has (else XKB_DEFAULT_* or US).
    // Throws tessavo::Error when the compositor offers no virtual keyboard.
    static std::unique_ptr<WaylandKeyboard> connect(const char* displayName = nullptr);

    void drainOwnKeyboardMessages() override;
    bool waitForModifiersReleased(int maxMilliseconds) override;

    // Every key event is also handed to the observer (nullptr: none); for the tests that
    // compare what the display systems are sent.
    void observeKeys(KeySink* observer);

private:
    KeyTranslator& translator() override;
    void startBurst() override;
    void endBurst() override;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether the Wayland display (nullptr: $WAYLAND_DISPLAY) can be reached and offers virtual
// keyboards.
bool waylandOffersVirtualKeyboard(const char* displayName = nullptr);

}  // namespace tessavo::platform
