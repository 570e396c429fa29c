#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/keyboard/GlobalHotkeys.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// System-wide hotkeys that record registrations and let a test press them as a user would.
class RecordingHotkeys final : public platform::GlobalHotkeys {
public:
    platform::HotkeyRegistration registerHotKey(int id, unsigned modifiers, std::uint8_t vk,
                                                Receiver receiver) override;
    bool unregisterHotKey(int id) override;
    void endHotkeyGrab() override;
    bool available() const override { return systemWide; }

    struct Registration {
        unsigned modifiers;
        std::uint8_t vk;
        Receiver receiver;
    };
    // What is registered now, by identifier.
    std::map<int, Registration> registered;
    // Every call in order: "register <id> <modifiers> <vk>", "unregister <id>" (ids and virtual
    // keys in hexadecimal).
    std::vector<std::string> calls;
    int grabsEnded = 0;
    // Virtual keys that another program holds: registering them fails.
    std::set<std::uint8_t> heldElsewhere;
    // Virtual keys the keyboard has no key for (Xwayland's first keymap): registering them fails.
    std::set<std::uint8_t> missingKeys;
    // False: a display server without system-wide hotkeys, where every registration fails.
    bool systemWide = true;
    // When set, each end of the hotkey grab is also written here as "ungrab" (the recording
    // keyboard's timeline, so the order against the key events shows).
    std::vector<std::string>* timeline = nullptr;

    // Presses the combination: its receiver gets the identifier, as the event loop would deliver
    // it. False when nothing is registered for it (the press goes to the focused program).
    bool press(unsigned modifiers, std::uint8_t vk);
    // Delivers an identifier as if the system had sent it, registered or not.
    void deliver(int id);
};

// Installs RecordingHotkeys for the lifetime of the object.
class ScopedRecordingHotkeys : public ScopedFake<RecordingHotkeys, platform::GlobalHotkeys> {
public:
    ScopedRecordingHotkeys() : ScopedFake(&platform::installGlobalHotkeys) {}
};

}  // namespace tessavo::test
