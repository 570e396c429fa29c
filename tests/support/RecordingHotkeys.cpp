#include "tests/support/RecordingHotkeys.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tessavo::test {
namespace {

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

}  // namespace

platform::HotkeyRegistration RecordingHotkeys::registerHotKey(int id, unsigned modifiers, std::uint8_t vk,
                                                              Receiver receiver) {
    calls.push_back("register " + hex(static_cast<unsigned>(id)) + " " + std::to_string(modifiers) + " " + hex(vk));
    if (!systemWide) return platform::HotkeyRegistration::NoHotkeys;
    if (missingKeys.count(vk)) return platform::HotkeyRegistration::NoSuchKey;
    if (heldElsewhere.count(vk)) return platform::HotkeyRegistration::HeldElsewhere;
    registered[id] = {modifiers, vk, std::move(receiver)};
    return platform::HotkeyRegistration::Registered;
}

bool RecordingHotkeys::unregisterHotKey(int id) {
    calls.push_back("unregister " + hex(static_cast<unsigned>(id)));
    return registered.erase(id) > 0;
}

void RecordingHotkeys::endHotkeyGrab() {
    ++grabsEnded;
    if (timeline) timeline->push_back("ungrab");
}

bool RecordingHotkeys::press(unsigned modifiers, std::uint8_t vk) {
    for (const auto& [id, registration] : registered) {
        if (registration.modifiers == modifiers && registration.vk == vk) {
            const Receiver receiver = registration.receiver;
            receiver(id);
            return true;
        }
    }
    return false;
}

void RecordingHotkeys::deliver(int id) {
    if (registered.empty()) {
        ADD_FAILURE() << "a hotkey message with nothing registered to receive it";
        return;
    }
    const Receiver receiver = registered.begin()->second.receiver;
    receiver(id);
}

}  // namespace tessavo::test
