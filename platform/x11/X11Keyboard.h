#pragma once

#include <memory>

#include "platform/keyboard/TranslatingKeyboard.h"

namespace tessavo::platform {

// The keyboard on X11: events go in through XTest on a connection of its own; virtual keys
// map onto the keys of the current keymap. A character is typed with the key that gives it in
// the keymap's active group, at any of its four levels (levels three and four with the key the
// keymap binds to the level-three shift); a character no key gives is typed on a spare key
// (one without symbols) lent to its keysym for the burst. The keymap and the active group are
// read afresh at each burst; nothing but the character asked for is ever typed.
//
// Virtual keys of letters, digits and punctuation keep their Windows values where the US
// layout would give them; other characters get spare codes bound to their keys for the
// duration of a typing burst. The keyboard state is seeded from the server's Caps Lock and Num
// Lock.
class X11Keyboard final : public TranslatingKeyboard {
public:
    // Opens the named display (nullptr: $DISPLAY); throws tessavo::Error without an X server
    // with the XTest and XKB extensions.
    explicit X11Keyboard(const char* displayName = nullptr);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    void drainOwnKeyboardMessages() override;
    bool waitForModifiersReleased(int maxMilliseconds) override;
    KeyboardLayout activeLayout() override;

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

}  // namespace tessavo::platform
