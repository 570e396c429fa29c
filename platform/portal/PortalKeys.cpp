#include "platform/portal/PortalKeys.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::platform {
namespace {

// Virtual-key codes Windows leaves unassigned: bound to the characters no US key types unshifted.
constexpr std::uint8_t kSpareCodes[] = {
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x97,
    0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8,
    0xD9, 0xDA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
};

bool isSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDFFF; }

}  // namespace

KeySymbol keysymOfCharacter(char16_t ch) {
    if (ch == 0 || isSurrogate(ch)) return 0;
    return xkb_utf32_to_keysym(ch);
}

std::uint16_t PortalKeys::codeFor(char16_t ch) {
    const KeySymbol keysym = keysymOfCharacter(ch);
    if (keysym == 0) return NoKeyCode;
    const std::uint16_t usCode = us::vkKeyScan(ch);
    const auto usKey = static_cast<std::uint8_t>(usCode & 0xFF);
    if (usCode != NoKeyCode && (usCode >> 8) == 0 && (bound_[usKey] == 0 || bound_[usKey] == keysym)) {
        bound_[usKey] = keysym;
        return usKey;
    }
    for (const std::uint8_t spare : kSpareCodes) {
        if (bound_[spare] == keysym) return spare;
    }
    // A burst binds far fewer characters than there are spare codes; when they run out, the
    // oldest binding goes (each code is pressed right after it is handed out).
    const std::uint8_t spare = kSpareCodes[nextSpare_++ % std::size(kSpareCodes)];
    bound_[spare] = keysym;
    return spare;
}

KeySymbol PortalKeys::keysymOf(std::uint8_t vk) const {
    if (bound_[vk] != 0) return bound_[vk];
    if (const KeySymbol named = us::keySymbols(vk)[0]) return named;
    return keysymOfCharacter(us::character(vk, false));
}

void PortalKeys::reset() {
    bound_.fill(0);
    nextSpare_ = 0;
}

}  // namespace tessavo::platform
