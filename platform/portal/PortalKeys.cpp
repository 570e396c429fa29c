#include "platform/portal/PortalKeys.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::platform {
namespace {

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
    return spares_.bind(bound_, keysym);
}

KeySymbol PortalKeys::keysymOf(std::uint8_t vk) const {
    if (bound_[vk] != 0) return bound_[vk];
    if (const KeySymbol named = us::keySymbols(vk)[0]) return named;
    return keysymOfCharacter(us::character(vk, false));
}

void PortalKeys::reset() {
    bound_.fill(0);
    spares_.reset();
}

}  // namespace tessavo::platform
