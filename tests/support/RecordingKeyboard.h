#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard/Keyboard.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

struct RecordedKeyEvent {
    std::uint8_t vk;
    std::uint8_t scan;
    std::uint32_t flags;
    bool operator==(const RecordedKeyEvent&) const = default;
};

// A keyboard with the US layout of Windows (what VkKeyScanW and MapVirtualKeyW give there)
// that records everything sent to it instead of typing.
class RecordingKeyboard : public platform::Keyboard {
public:
    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    std::uint32_t mapVirtualKey(std::uint8_t vk) override;
    std::uint16_t vkKeyScan(char16_t ch) override;
    bool keyToggled(std::uint8_t vk) override { return state[vk] & 1; }
    State keyboardState() override { return state; }
    void setKeyboardState(const State& written) override;
    void drainOwnKeyboardMessages() override;
    void sleep(int milliseconds) override;
    void beginTyping() override;
    void endTyping() override;
    bool waitForModifiersReleased(int maxMilliseconds) override;

    // Every key event, in order.
    std::vector<RecordedKeyEvent> events;
    // Every keyboard-state write, in order.
    std::vector<State> stateWrites;
    // The keyboard state that keyToggled and keyboardState read.
    State state{};
    // For each drain, how many events had been sent before it.
    std::vector<std::size_t> drainsAfterEvents;
    // Events sent while no typing burst was open.
    int eventsOutsideTyping = 0;
    int typingDepth = 0;
    int bursts = 0;
    // What waitForModifiersReleased answers.
    bool modifiersReleased = true;
    // Everything in call order, readable: "begin", "Ctrl↓", "sleep 300", "V↑", "end",
    // "state", "drain", "modifiers 1000".
    std::vector<std::string> timeline;

    // The events as "Shift↓ A↓ A↑ Shift↑"; "*" marks the extended-key flag ("Del*↓").
    std::string eventText() const;
    // What a US keyboard would type: characters as themselves, other keys and combinations
    // with Ctrl or Alt in angle brackets ("<Enter>", "<Ctrl+C>", "<Shift+Tab>").
    std::string typedText() const;
    // The keys whose last event was a key-down.
    std::vector<std::uint8_t> keysDown() const;
    // The timeline joined by blanks.
    std::string timelineText() const;
};

// The readable name of a virtual key ("Shift", "A", "F12", "xDB").
std::string virtualKeyName(std::uint8_t vk);

// Installs a RecordingKeyboard for the lifetime of the object; at the end, a typing burst
// left open fails the test.
class ScopedRecordingKeyboard : public ScopedFake<RecordingKeyboard, platform::Keyboard> {
public:
    ScopedRecordingKeyboard() : ScopedFake(&platform::installKeyboard) {}
    ~ScopedRecordingKeyboard();
};

}  // namespace tessavo::test
