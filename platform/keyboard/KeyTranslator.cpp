#include "platform/keyboard/KeyTranslator.h"

#include <iterator>
#include <utility>

#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/SpareVirtualKeys.h"
#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::platform {

void KeyTranslator::startBurst() {
    bound_.fill({});
    spares_.reset();
}

KeyTranslator::Binding KeyTranslator::resolve(std::uint8_t code) {
    if (bound_[code].key) return bound_[code];
    for (const KeySymbol keysym : us::keySymbols(code)) {
        if (keysym == 0) break;
        if (const KeyNumber key = layout_.keyForSymbol(keysym)) return {key, false};
    }
    // Letters, digits and punctuation: the key that gives the US key's two characters, else a
    // spare key lent to them (Ctrl+V on a Cyrillic layout).
    const char16_t plain = us::character(code, false);
    const char16_t shifted = us::character(code, true);
    if (!plain || !shifted) return {};
    const KeyLayout::PairKey pair = layout_.keyForPair(plain, shifted);
    if (pair.lent) bound_[code] = {pair.key, false};
    return {pair.key, false};
}

void KeyTranslator::keyEvent(std::uint8_t code, bool up) {
    if (up) {
        const Binding binding = down_[code].key ? std::exchange(down_[code], {}) : resolve(code);
        if (binding.key) release(binding);
        return;
    }
    const Binding binding = resolve(code);
    if (!binding.key) return;  // no such key on this keyboard: nothing is typed
    down_[code] = binding;
    press(binding);
}

KeyNumber KeyTranslator::keyOf(std::uint8_t code) { return resolve(code).key; }

std::uint16_t KeyTranslator::vkKeyScan(char16_t ch) {
    const auto stroke = layout_.strokeFor(ch);
    if (!stroke) return NoKeyCode;
    // The US virtual key where the character is pressed the same way, else a spare one.
    const std::uint16_t shift = stroke->shift ? ShiftStateShift : 0;
    const Binding binding{stroke->key, stroke->levelThree};
    const std::uint16_t usCode = us::vkKeyScan(ch);
    const auto usKey = static_cast<std::uint8_t>(usCode & 0xFF);
    const bool sameLevel = usCode != NoKeyCode && (usCode & ShiftStateShift) == shift && !stroke->levelThree;
    if (sameLevel && (bound_[usKey].key == 0 || bound_[usKey] == binding)) {
        bound_[usKey] = binding;
        return shift | usKey;
    }
    return shift | spareCodeFor(binding);
}

std::uint8_t KeyTranslator::spareCodeFor(const Binding& binding) { return spares_.bind(bound_, binding); }

void KeyTranslator::forget(KeyNumber key) {
    for (Binding& binding : bound_) {
        if (binding.key == key) binding = {};
    }
}

void KeyTranslator::press(const Binding& binding) {
    if (binding.levelThree) sink_.sendKey({layout_.levelThreeKey(), true});
    sink_.sendKey({binding.key, true});
}

void KeyTranslator::release(const Binding& binding) {
    sink_.sendKey({binding.key, false});
    if (binding.levelThree) sink_.sendKey({layout_.levelThreeKey(), false});
}

void KeyTranslator::releaseAll() {
    for (Binding& binding : down_) {
        if (binding.key) release(std::exchange(binding, {}));
    }
}

}  // namespace tessavo::platform
