#include "platform/keyboard/KeyTranslator.h"

#include <iterator>
#include <utility>

#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::platform {
namespace {

// Virtual-key codes Windows leaves unassigned: handed out for characters that have no US key
// code on the current layout.
constexpr std::uint8_t kSpareCodes[] = {
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x97,
    0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8,
    0xD9, 0xDA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
};

}  // namespace

void KeyTranslator::startBurst() {
    bound_.fill({});
    nextSpare_ = 0;
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

std::uint8_t KeyTranslator::spareCodeFor(const Binding& binding) {
    for (const std::uint8_t spare : kSpareCodes) {
        if (bound_[spare] == binding) return spare;
    }
    // A burst binds far fewer keys than there are spare codes; when they run out, the oldest
    // binding is reused (each code is pressed right after it is handed out).
    const std::uint8_t spare = kSpareCodes[nextSpare_++ % std::size(kSpareCodes)];
    bound_[spare] = binding;
    return spare;
}

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
