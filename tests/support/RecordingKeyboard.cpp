#include "tests/support/RecordingKeyboard.h"

#include <gtest/gtest.h>

#include <QString>
#include <map>
#include <set>

#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::test {
namespace {

namespace vk = platform::vk;

const std::map<std::uint8_t, std::string>& keyNames() {
    static const std::map<std::uint8_t, std::string> names = {
        {0x03, "Break"},   {0x08, "Back"},   {0x09, "Tab"},   {0x0C, "Clear"}, {0x0D, "Enter"}, {0x10, "Shift"},
        {0x11, "Ctrl"},    {0x12, "Alt"},    {0x13, "Pause"}, {0x14, "Caps"},  {0x1B, "Esc"},   {0x20, "Space"},
        {0x21, "PgUp"},    {0x22, "PgDn"},   {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},  {0x26, "Up"},
        {0x27, "Right"},   {0x28, "Down"},   {0x2A, "Print"}, {0x2D, "Ins"},   {0x2E, "Del"},   {0x2F, "Help"},
        {0x90, "NumLock"}, {0x91, "Scroll"},
    };
    return names;
}

bool isModifier(std::uint8_t code) { return code == vk::Shift || code == vk::Control || code == vk::Menu; }

std::string eventToken(const RecordedKeyEvent& event) {
    std::string token = virtualKeyName(event.vk);
    if (event.flags & platform::KeyEventExtendedKey) token += '*';
    token += (event.flags & platform::KeyEventKeyUp) ? "↑" : "↓";
    return token;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
    return text;
}

// One key-down as a US keyboard types it, with the modifiers held at that moment.
std::string typedKey(std::uint8_t code, const std::set<std::uint8_t>& held) {
    const bool shift = held.count(vk::Shift) > 0;
    const bool ctrl = held.count(vk::Control) > 0;
    const bool alt = held.count(vk::Menu) > 0;
    const char16_t ch = platform::us::character(code, shift);
    if (!ctrl && !alt && ch >= 0x20) return QString(QChar(ch)).toStdString();
    std::string combination = "<";
    if (ctrl) combination += "Ctrl+";
    if (alt) combination += "Alt+";
    if (shift && (ch < 0x20 || ctrl || alt)) combination += "Shift+";
    return combination + virtualKeyName(code) + ">";
}

}  // namespace

std::string virtualKeyName(std::uint8_t code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
    if (code >= 0x70 && code <= 0x87) return "F" + std::to_string(code - 0x70 + 1);
    const auto name = keyNames().find(code);
    if (name != keyNames().end()) return name->second;
    static const char digits[] = "0123456789ABCDEF";
    return std::string{'x', digits[code >> 4], digits[code & 0xF]};
}

void RecordingKeyboard::keybdEvent(std::uint8_t code, std::uint8_t scan, std::uint32_t flags) {
    events.push_back({code, scan, flags});
    if (typingDepth == 0) ++eventsOutsideTyping;
    timeline.push_back(eventToken(events.back()));
}

std::uint32_t RecordingKeyboard::mapVirtualKey(std::uint8_t code) { return platform::us::scanCode(code); }

std::uint16_t RecordingKeyboard::vkKeyScan(char16_t ch) { return platform::us::vkKeyScan(ch); }

void RecordingKeyboard::setKeyboardState(const State& written) {
    state = written;
    stateWrites.push_back(written);
    timeline.push_back("state");
}

void RecordingKeyboard::drainOwnKeyboardMessages() {
    drainsAfterEvents.push_back(events.size());
    timeline.push_back("drain");
}

void RecordingKeyboard::sleep(int milliseconds) { timeline.push_back("sleep " + std::to_string(milliseconds)); }

void RecordingKeyboard::beginTyping() {
    if (typingDepth++ == 0) ++bursts;
    timeline.push_back("begin");
}

void RecordingKeyboard::endTyping() {
    EXPECT_GT(typingDepth, 0) << "a typing burst ended that never began";
    --typingDepth;
    timeline.push_back("end");
}

bool RecordingKeyboard::waitForModifiersReleased(int maxMilliseconds) {
    timeline.push_back("modifiers " + std::to_string(maxMilliseconds));
    return modifiersReleased;
}

std::string RecordingKeyboard::eventText() const {
    std::vector<std::string> tokens;
    for (const RecordedKeyEvent& event : events) tokens.push_back(eventToken(event));
    return joined(tokens);
}

std::string RecordingKeyboard::typedText() const {
    std::string text;
    std::set<std::uint8_t> held;
    for (const RecordedKeyEvent& event : events) {
        const bool up = event.flags & platform::KeyEventKeyUp;
        if (isModifier(event.vk)) {
            if (up)
                held.erase(event.vk);
            else
                held.insert(event.vk);
        } else if (!up) {
            text += typedKey(event.vk, held);
        }
    }
    return text;
}

std::vector<std::uint8_t> RecordingKeyboard::keysDown() const {
    std::set<std::uint8_t> down;
    for (const RecordedKeyEvent& event : events) {
        if (event.flags & platform::KeyEventKeyUp)
            down.erase(event.vk);
        else
            down.insert(event.vk);
    }
    return {down.begin(), down.end()};
}

std::string RecordingKeyboard::timelineText() const { return joined(timeline); }

ScopedRecordingKeyboard::~ScopedRecordingKeyboard() {
    EXPECT_EQ((*this)->typingDepth, 0) << "a typing burst was left open";
}

}  // namespace tessavo::test
