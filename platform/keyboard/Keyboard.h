#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/keyboard/KeyboardLayout.h"

namespace tessavo::platform {

// Windows virtual-key codes the program sends by number.
namespace vk {
inline constexpr std::uint8_t Back = 0x08;
inline constexpr std::uint8_t Tab = 0x09;
inline constexpr std::uint8_t Return = 0x0D;
inline constexpr std::uint8_t Shift = 0x10;
inline constexpr std::uint8_t Control = 0x11;
inline constexpr std::uint8_t Menu = 0x12;  // Alt
inline constexpr std::uint8_t Capital = 0x14;
inline constexpr std::uint8_t Left = 0x25;
inline constexpr std::uint8_t Right = 0x27;
inline constexpr std::uint8_t Insert = 0x2D;
inline constexpr std::uint8_t Delete = 0x2E;
inline constexpr std::uint8_t KeyV = 0x56;
inline constexpr std::uint8_t NumLock = 0x90;
inline constexpr std::uint8_t Oem4 = 0xDB;  // [ and { on a US keyboard
inline constexpr std::uint8_t Oem6 = 0xDD;  // ] and } on a US keyboard
}  // namespace vk

// Flags of one injected key event.
inline constexpr std::uint32_t KeyEventExtendedKey = 1;
inline constexpr std::uint32_t KeyEventKeyUp = 2;

// A key code as the layout query returns it: low byte the virtual key, high byte the shift
// state (1 Shift, 2 Ctrl, 4 Alt); NoKeyCode when the layout has no key for the character.
inline constexpr std::uint16_t NoKeyCode = 0xFFFF;
inline constexpr std::uint16_t ShiftStateShift = 0x0100;

// Whether a keyboard may send keys at all at the moment.
enum class TypingAccess {
    Granted,  // keys can be sent
    Asking,   // the desktop is still asking the user for permission
    Refused,  // the user or the desktop said no
    Ended,    // the desktop took the permission back
};

// The keyboard as the key sender and the paste sequence see it, shaped like the Windows input
// calls they were written against, so the order of events stays exactly as designed.
class Keyboard {
public:
    using State = std::array<std::uint8_t, 256>;

    virtual ~Keyboard() = default;

    // One key event into the system's input stream (flags: KeyEventExtendedKey, KeyEventKeyUp).
    virtual void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;
    // The scan code of a virtual key (its low byte is what goes with every event of the key);
    // 0 when the keyboard has no key for it.
    virtual std::uint32_t mapVirtualKey(std::uint8_t vk) = 0;
    // The key code that types the UTF-16 code unit in the current layout, or NoKeyCode.
    virtual std::uint16_t vkKeyScan(char16_t ch) = 0;
    // Bit 0 of the key's entry in the keyboard state.
    virtual bool keyToggled(std::uint8_t vk) = 0;
    virtual State keyboardState() = 0;
    virtual void setKeyboardState(const State& state) = 0;
    // Lets the program's own windows handle the key events that have reached them so far.
    virtual void drainOwnKeyboardMessages() = 0;
    // The fixed waits of auto-fill: they block the calling thread.
    virtual void sleep(int milliseconds) = 0;

    // Brackets one burst of typing (the key sender's call, the paste sequence); calls nest.
    // The outermost pair takes a fresh look at the layout, lifts Caps Lock for the burst
    // (letters must arrive in the case asked for), and afterwards restores it and lets go of
    // any key the burst left down.
    virtual void beginTyping() = 0;
    virtual void endTyping() = 0;
    // Waits until the user has let go of every modifier key (the hotkey's Ctrl, say), at most
    // maxMilliseconds; false when one is still held.
    virtual bool waitForModifiersReleased(int maxMilliseconds) = 0;
    // A keyboard that needs the desktop's permission says here where that stands; the others
    // can always send keys.
    virtual TypingAccess typingAccess() { return TypingAccess::Granted; }
    // The layout of the keymap's active group where the keyboard can tell (the X server names
    // its layouts); an empty layout where it cannot.
    virtual KeyboardLayout activeLayout() { return {}; }
    // The characters of the text (each once, in their order) that no key of the desktop's
    // layout gives, where the keyboard cannot lend them a key: a fill must type none of a text
    // with any of them, or it would arrive without them. Keyboards that lend keys lack none.
    virtual std::u16string charactersItLacks(std::u16string_view /*characters*/) { return {}; }
};

// The program's keyboard: the X11 one unless a test installed another.
Keyboard& keyboard();
// Makes the program's keyboard at once rather than at the first fill where the session types
// through a Wayland virtual keyboard (one made just before its first key may lose that key) or
// through the desktop portal (the desktop asks the user then, not in the middle of a fill). One
// that cannot be made now is tried again at the first fill, which then says why.
void prepareKeyboard();
// Replaces the keyboard (nullptr brings back the real one); returns the previous one.
std::unique_ptr<Keyboard> installKeyboard(std::unique_ptr<Keyboard> replacement);

// Keeps one burst of typing open for its lifetime.
class TypingScope {
public:
    explicit TypingScope(Keyboard& keyboard) : keyboard_(keyboard) { keyboard_.beginTyping(); }
    ~TypingScope() { keyboard_.endTyping(); }
    TypingScope(const TypingScope&) = delete;
    TypingScope& operator=(const TypingScope&) = delete;

private:
    Keyboard& keyboard_;
};

}  // namespace tessavo::platform
