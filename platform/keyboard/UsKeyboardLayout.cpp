#include "platform/keyboard/UsKeyboardLayout.h"

#include <algorithm>
#include <array>

#include "platform/keyboard/Keyboard.h"

namespace tessavo::platform::us {
namespace {

// X keysyms of the keys that type no character (values of X11/keysymdef.h, kept here so that
// the table needs no Xlib header).
namespace xk {
constexpr KeySymbol BackSpace = 0xFF08, Tab = 0xFF09, Clear = 0xFF0B, Return = 0xFF0D, Pause = 0xFF13;
constexpr KeySymbol ScrollLock = 0xFF14, Escape = 0xFF1B, Home = 0xFF50, Left = 0xFF51, Up = 0xFF52;
constexpr KeySymbol Right = 0xFF53, Down = 0xFF54, Prior = 0xFF55, Next = 0xFF56, End = 0xFF57;
constexpr KeySymbol Print = 0xFF61, Insert = 0xFF63, Help = 0xFF6A, Break = 0xFF6B, NumLock = 0xFF7F;
constexpr KeySymbol F1 = 0xFFBE, ShiftL = 0xFFE1, ShiftR = 0xFFE2, ControlL = 0xFFE3, ControlR = 0xFFE4;
constexpr KeySymbol CapsLock = 0xFFE5, MetaL = 0xFFE7, AltL = 0xFFE9, AltR = 0xFFEA, SuperL = 0xFFEB;
constexpr KeySymbol SuperR = 0xFFEC, Delete = 0xFFFF, Space = 0x0020;
constexpr KeySymbol f(int n) { return F1 + static_cast<KeySymbol>(n - 1); }
}  // namespace xk

struct Key {
    std::uint8_t vk;
    char16_t plain;    // 0: types no character
    char16_t shifted;  // 0: types no character with Shift
    std::uint8_t scan;
    KeySymbols symbols = {};  // the X keysyms of a key that types no character, first found wins
};

// The one table of virtual keys: one row per key of a US PC keyboard that the program may send.
constexpr std::array kKeys = {
    Key{0x03, 0, 0, 0x46, {xk::Break}},                      // Cancel (Break)
    Key{0x08, u'\b', 0, 0x0E, {xk::BackSpace}},              // Backspace
    Key{0x09, u'\t', 0, 0x0F, {xk::Tab}},                    // Tab
    Key{0x0C, 0, 0, 0x4C, {xk::Clear}},                      // Clear
    Key{0x0D, u'\r', 0, 0x1C, {xk::Return}},                 // Enter
    Key{0x10, 0, 0, 0x2A, {xk::ShiftL, xk::ShiftR}},         // Shift
    Key{0x11, 0, 0, 0x1D, {xk::ControlL, xk::ControlR}},     // Ctrl
    Key{0x12, 0, 0, 0x38, {xk::AltL, xk::AltR, xk::MetaL}},  // Alt
    Key{0x13, 0, 0, 0x45, {xk::Pause}},                      // Pause
    Key{0x14, 0, 0, 0x3A, {xk::CapsLock}},                   // Caps Lock
    Key{0x1B, 0, 0, 0x01, {xk::Escape}},                     // Esc
    Key{0x20, u' ', 0, 0x39, {xk::Space}},                   // Space
    Key{0x21, 0, 0, 0x49, {xk::Prior}},                      // Page Up
    Key{0x22, 0, 0, 0x51, {xk::Next}},                       // Page Down
    Key{0x23, 0, 0, 0x4F, {xk::End}},                        // End
    Key{0x24, 0, 0, 0x47, {xk::Home}},                       // Home
    Key{0x25, 0, 0, 0x4B, {xk::Left}},                       // Left
    Key{0x26, 0, 0, 0x48, {xk::Up}},                         // Up
    Key{0x27, 0, 0, 0x4D, {xk::Right}},                      // Right
    Key{0x28, 0, 0, 0x50, {xk::Down}},                       // Down
    Key{0x2A, 0, 0, 0x00},                                   // Print (no such key on a PC keyboard)
    Key{0x2C, 0, 0, 0x54, {xk::Print}},                      // Print Screen
    Key{0x2D, 0, 0, 0x52, {xk::Insert}},                     // Insert
    Key{0x2E, 0, 0, 0x53, {xk::Delete}},                     // Delete
    Key{0x2F, 0, 0, 0x63, {xk::Help}},                       // Help
    Key{0x30, u'0', u')', 0x0B},
    Key{0x31, u'1', u'!', 0x02},
    Key{0x32, u'2', u'@', 0x03},
    Key{0x33, u'3', u'#', 0x04},
    Key{0x34, u'4', u'$', 0x05},
    Key{0x35, u'5', u'%', 0x06},
    Key{0x36, u'6', u'^', 0x07},
    Key{0x37, u'7', u'&', 0x08},
    Key{0x38, u'8', u'*', 0x09},
    Key{0x39, u'9', u'(', 0x0A},
    Key{0x41, u'a', u'A', 0x1E},
    Key{0x42, u'b', u'B', 0x30},
    Key{0x43, u'c', u'C', 0x2E},
    Key{0x44, u'd', u'D', 0x20},
    Key{0x45, u'e', u'E', 0x12},
    Key{0x46, u'f', u'F', 0x21},
    Key{0x47, u'g', u'G', 0x22},
    Key{0x48, u'h', u'H', 0x23},
    Key{0x49, u'i', u'I', 0x17},
    Key{0x4A, u'j', u'J', 0x24},
    Key{0x4B, u'k', u'K', 0x25},
    Key{0x4C, u'l', u'L', 0x26},
    Key{0x4D, u'm', u'M', 0x32},
    Key{0x4E, u'n', u'N', 0x31},
    Key{0x4F, u'o', u'O', 0x18},
    Key{0x50, u'p', u'P', 0x19},
    Key{0x51, u'q', u'Q', 0x10},
    Key{0x52, u'r', u'R', 0x13},
    Key{0x53, u's', u'S', 0x1F},
    Key{0x54, u't', u'T', 0x14},
    Key{0x55, u'u', u'U', 0x16},
    Key{0x56, u'v', u'V', 0x2F},
    Key{0x57, u'w', u'W', 0x11},
    Key{0x58, u'x', u'X', 0x2D},
    Key{0x59, u'y', u'Y', 0x15},
    Key{0x5A, u'z', u'Z', 0x2C},
    Key{0x5B, 0, 0, 0x00, {xk::SuperL}},  // left Windows key (no scan code sent)
    Key{0x5C, 0, 0, 0x00, {xk::SuperR}},  // right Windows key
    Key{0x70, 0, 0, 0x3B, {xk::f(1)}},    // F1 to F10
    Key{0x71, 0, 0, 0x3C, {xk::f(2)}},
    Key{0x72, 0, 0, 0x3D, {xk::f(3)}},
    Key{0x73, 0, 0, 0x3E, {xk::f(4)}},
    Key{0x74, 0, 0, 0x3F, {xk::f(5)}},
    Key{0x75, 0, 0, 0x40, {xk::f(6)}},
    Key{0x76, 0, 0, 0x41, {xk::f(7)}},
    Key{0x77, 0, 0, 0x42, {xk::f(8)}},
    Key{0x78, 0, 0, 0x43, {xk::f(9)}},
    Key{0x79, 0, 0, 0x44, {xk::f(10)}},
    Key{0x7A, 0, 0, 0x57, {xk::f(11)}},  // F11 to F16
    Key{0x7B, 0, 0, 0x58, {xk::f(12)}},
    Key{0x7C, 0, 0, 0x64, {xk::f(13)}},
    Key{0x7D, 0, 0, 0x65, {xk::f(14)}},
    Key{0x7E, 0, 0, 0x66, {xk::f(15)}},
    Key{0x7F, 0, 0, 0x67, {xk::f(16)}},
    Key{0x80, 0, 0, 0x00, {xk::f(17)}},  // F17 to F24 (no scan code sent)
    Key{0x81, 0, 0, 0x00, {xk::f(18)}},
    Key{0x82, 0, 0, 0x00, {xk::f(19)}},
    Key{0x83, 0, 0, 0x00, {xk::f(20)}},
    Key{0x84, 0, 0, 0x00, {xk::f(21)}},
    Key{0x85, 0, 0, 0x00, {xk::f(22)}},
    Key{0x86, 0, 0, 0x00, {xk::f(23)}},
    Key{0x87, 0, 0, 0x00, {xk::f(24)}},
    Key{0x90, 0, 0, 0x45, {xk::NumLock}},     // Num Lock
    Key{0x91, 0, 0, 0x46, {xk::ScrollLock}},  // Scroll Lock
    Key{0xBA, u';', u':', 0x27},
    Key{0xBB, u'=', u'+', 0x0D},
    Key{0xBC, u',', u'<', 0x33},
    Key{0xBD, u'-', u'_', 0x0C},
    Key{0xBE, u'.', u'>', 0x34},
    Key{0xBF, u'/', u'?', 0x35},
    Key{0xC0, u'`', u'~', 0x29},
    Key{0xDB, u'[', u'{', 0x1A},
    Key{0xDC, u'\\', u'|', 0x2B},
    Key{0xDD, u']', u'}', 0x1B},
    Key{0xDE, u'\'', u'"', 0x28},
};

const Key* findKey(std::uint8_t vk) {
    const auto* key = std::find_if(kKeys.begin(), kKeys.end(), [vk](const Key& k) { return k.vk == vk; });
    return key == kKeys.end() ? nullptr : key;
}

}  // namespace

std::uint16_t vkKeyScan(char16_t ch) {
    if (ch == 0) return NoKeyCode;
    for (const Key& key : kKeys) {
        if (key.plain == ch) return key.vk;
        if (key.shifted == ch) return ShiftStateShift | key.vk;
    }
    return NoKeyCode;
}

char16_t character(std::uint8_t vk, bool shift) {
    const Key* key = findKey(vk);
    if (!key) return 0;
    return shift ? key->shifted : key->plain;
}

std::uint8_t scanCode(std::uint8_t vk) {
    const Key* key = findKey(vk);
    return key ? key->scan : 0;
}

KeySymbols keySymbols(std::uint8_t vk) {
    const Key* key = findKey(vk);
    return key ? key->symbols : KeySymbols{};
}

}  // namespace tessavo::platform::us
