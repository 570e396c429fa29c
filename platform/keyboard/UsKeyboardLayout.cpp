#include "platform/keyboard/UsKeyboardLayout.h"

#include <algorithm>
#include <array>

#include "platform/keyboard/Keyboard.h"

namespace tessavo::platform::us {
namespace {

struct Key {
    std::uint8_t vk;
    char16_t plain;    // 0: types no character
    char16_t shifted;  // 0: types no character with Shift
    std::uint8_t scan;
};

// One row per key of a US PC keyboard that the program may send.
constexpr std::array kKeys = {
    Key{0x03, 0, 0, 0x46},      // Cancel (Break)
    Key{0x08, u'\b', 0, 0x0E},  // Backspace
    Key{0x09, u'\t', 0, 0x0F},  // Tab
    Key{0x0C, 0, 0, 0x4C},      // Clear
    Key{0x0D, u'\r', 0, 0x1C},  // Enter
    Key{0x10, 0, 0, 0x2A},      // Shift
    Key{0x11, 0, 0, 0x1D},      // Ctrl
    Key{0x12, 0, 0, 0x38},      // Alt
    Key{0x13, 0, 0, 0x45},      // Pause
    Key{0x14, 0, 0, 0x3A},      // Caps Lock
    Key{0x1B, 0, 0, 0x01},      // Esc
    Key{0x20, u' ', 0, 0x39},   // Space
    Key{0x21, 0, 0, 0x49},      // Page Up
    Key{0x22, 0, 0, 0x51},      // Page Down
    Key{0x23, 0, 0, 0x4F},      // End
    Key{0x24, 0, 0, 0x47},      // Home
    Key{0x25, 0, 0, 0x4B},      // Left
    Key{0x26, 0, 0, 0x48},      // Up
    Key{0x27, 0, 0, 0x4D},      // Right
    Key{0x28, 0, 0, 0x50},      // Down
    Key{0x2A, 0, 0, 0x00},      // Print (no such key on a PC keyboard)
    Key{0x2C, 0, 0, 0x54},      // Print Screen
    Key{0x2D, 0, 0, 0x52},      // Insert
    Key{0x2E, 0, 0, 0x53},      // Delete
    Key{0x2F, 0, 0, 0x63},      // Help
    Key{0x30, u'0', u')', 0x0B}, Key{0x31, u'1', u'!', 0x02},  Key{0x32, u'2', u'@', 0x03},
    Key{0x33, u'3', u'#', 0x04}, Key{0x34, u'4', u'$', 0x05},  Key{0x35, u'5', u'%', 0x06},
    Key{0x36, u'6', u'^', 0x07}, Key{0x37, u'7', u'&', 0x08},  Key{0x38, u'8', u'*', 0x09},
    Key{0x39, u'9', u'(', 0x0A}, Key{0x41, u'a', u'A', 0x1E},  Key{0x42, u'b', u'B', 0x30},
    Key{0x43, u'c', u'C', 0x2E}, Key{0x44, u'd', u'D', 0x20},  Key{0x45, u'e', u'E', 0x12},
    Key{0x46, u'f', u'F', 0x21}, Key{0x47, u'g', u'G', 0x22},  Key{0x48, u'h', u'H', 0x23},
    Key{0x49, u'i', u'I', 0x17}, Key{0x4A, u'j', u'J', 0x24},  Key{0x4B, u'k', u'K', 0x25},
    Key{0x4C, u'l', u'L', 0x26}, Key{0x4D, u'm', u'M', 0x32},  Key{0x4E, u'n', u'N', 0x31},
    Key{0x4F, u'o', u'O', 0x18}, Key{0x50, u'p', u'P', 0x19},  Key{0x51, u'q', u'Q', 0x10},
    Key{0x52, u'r', u'R', 0x13}, Key{0x53, u's', u'S', 0x1F},  Key{0x54, u't', u'T', 0x14},
    Key{0x55, u'u', u'U', 0x16}, Key{0x56, u'v', u'V', 0x2F},  Key{0x57, u'w', u'W', 0x11},
    Key{0x58, u'x', u'X', 0x2D}, Key{0x59, u'y', u'Y', 0x15},  Key{0x5A, u'z', u'Z', 0x2C},
    Key{0x70, 0, 0, 0x3B},  // F1 to F10
    Key{0x71, 0, 0, 0x3C},       Key{0x72, 0, 0, 0x3D},        Key{0x73, 0, 0, 0x3E},
    Key{0x74, 0, 0, 0x3F},       Key{0x75, 0, 0, 0x40},        Key{0x76, 0, 0, 0x41},
    Key{0x77, 0, 0, 0x42},       Key{0x78, 0, 0, 0x43},        Key{0x79, 0, 0, 0x44},
    Key{0x7A, 0, 0, 0x57},  // F11 to F16
    Key{0x7B, 0, 0, 0x58},       Key{0x7C, 0, 0, 0x64},        Key{0x7D, 0, 0, 0x65},
    Key{0x7E, 0, 0, 0x66},       Key{0x7F, 0, 0, 0x67},        Key{0x90, 0, 0, 0x45},  // Num Lock
    Key{0x91, 0, 0, 0x46},                                                             // Scroll Lock
    Key{0xBA, u';', u':', 0x27}, Key{0xBB, u'=', u'+', 0x0D},  Key{0xBC, u',', u'<', 0x33},
    Key{0xBD, u'-', u'_', 0x0C}, Key{0xBE, u'.', u'>', 0x34},  Key{0xBF, u'/', u'?', 0x35},
    Key{0xC0, u'`', u'~', 0x29}, Key{0xDB, u'[', u'{', 0x1A},  Key{0xDC, u'\\', u'|', 0x2B},
    Key{0xDD, u']', u'}', 0x1B}, Key{0xDE, u'\'', u'"', 0x28},
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

}  // namespace tessavo::platform::us
