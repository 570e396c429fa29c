#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tessavo::platform {

// Modifier flags of a hotkey, with the values of the Windows calls the program was written
// against.
inline constexpr unsigned ModAlt = 1;
inline constexpr unsigned ModControl = 2;
inline constexpr unsigned ModShift = 4;
inline constexpr unsigned ModWin = 8;

// How the registration of a hotkey ended.
enum class HotkeyRegistration {
    Registered,
    HeldElsewhere,  // another program (or another identifier of ours) holds the combination
    NoSuchKey,      // the keyboard has no key for it (Xwayland before a keyboard with the key came)
    NoHotkeys,      // the display server has no system-wide hotkeys at all
};

// System-wide hotkeys: a key combination caught whichever program has the keyboard focus.
class GlobalHotkeys {
public:
    // Gets the identifier of the pressed hotkey, from the event loop of the user-interface
    // thread (as a posted message would), never in the middle of another handler.
    using Receiver = std::function<void(int id)>;

    virtual ~GlobalHotkeys() = default;

    // Catches modifiers + virtual key under the identifier; registering an identifier again
    // replaces its combination and receiver. Otherwise says why the combination cannot be had.
    virtual HotkeyRegistration registerHotKey(int id, unsigned modifiers, std::uint8_t vk, Receiver receiver) = 0;
    // False when the identifier was not registered.
    virtual bool unregisterHotKey(int id) = 0;
    // After a hotkey press the display server keeps the keyboard to itself for us until the key
    // is let go; this ends that, so keys sent now reach the focused window instead of coming back.
    virtual void endHotkeyGrab() = 0;
    // False where the display server has no system-wide hotkeys at all (every registration
    // fails, and no other program is to blame).
    virtual bool available() const { return true; }
};

// The program's hotkeys: the X11 ones when the program runs on X11, none otherwise (every
// registration fails), unless a test installed others.
GlobalHotkeys& globalHotkeys();
// Replaces the hotkeys (nullptr brings back the real ones); returns the previous ones.
std::unique_ptr<GlobalHotkeys> installGlobalHotkeys(std::unique_ptr<GlobalHotkeys> replacement);

}  // namespace tessavo::platform
