// libFuzzer target for the key language: any text goes through the keystroke sender over a
// keyboard that keeps score of the key events instead of typing them (US layout), with every
// message box taken by a counting stand-in. The input is read as UTF-16 code units (odd first
// byte) or as UTF-8 text (even first byte); the second bit of the first byte is the wait flag.
//
// What must hold for every text: the sender ends (no crash, no endless loop); every key event
// falls inside one typing burst, and the bursts are balanced; no key is left held down when the
// call returns, whether it ended normally, at an unclosed brace or with the count error; the
// only boxes are the sender's two messages under "SendKeys"; the only error is the count error.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "autofill/Unit_SendKey.h"
#include "platform/base/Error.h"
#include "platform/desktop/Dialogs.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// Keeps, per key, whether its last event was a key-down, and checks that events come only
// inside a typing burst.
class ScoringKeyboard : public tessavo::platform::Keyboard {
public:
    void keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) override {
        require(typingDepth_ > 0);
        down_[vk] = (flags & tessavo::platform::KeyEventKeyUp) == 0;
        ++events_;
    }
    std::uint32_t mapVirtualKey(std::uint8_t vk) override { return tessavo::platform::us::scanCode(vk); }
    std::uint16_t vkKeyScan(char16_t ch) override { return tessavo::platform::us::vkKeyScan(ch); }
    bool keyToggled(std::uint8_t vk) override { return state_[vk] & 1; }
    State keyboardState() override { return state_; }
    void setKeyboardState(const State& state) override {
        require(typingDepth_ > 0);
        state_ = state;
    }
    void drainOwnKeyboardMessages() override {}
    void sleep(int) override {}
    void beginTyping() override { ++typingDepth_; }
    void endTyping() override {
        require(typingDepth_ > 0);
        --typingDepth_;
    }
    bool waitForModifiersReleased(int) override { return true; }

    void startCall() {
        down_.fill(false);
        events_ = 0;
    }
    bool anyKeyDown() const {
        for (const bool down : down_)
            if (down) return true;
        return false;
    }
    bool typing() const { return typingDepth_ != 0; }
    std::size_t events() const { return events_; }

private:
    std::array<bool, 256> down_{};
    State state_{};
    int typingDepth_ = 0;
    std::size_t events_ = 0;
};

// Answers every box with OK after checking that it is one of the sender's two messages.
class SenderMessages : public tessavo::platform::Dialogs {
public:
    Answer show(const Box& box) override {
        require(box.title == QStringLiteral("SendKeys"));
        require(box.text == QStringLiteral("程序不支持（中文、全角等非ASCII码字符的密码）自动输入.") ||
                box.text == QStringLiteral("No Close"));
        return Answer::Ok;
    }
    QString inputQuery(const QString&, const QString&, const QString&) override {
        __builtin_trap();  // the sender never asks for input
    }
    void beep() override { __builtin_trap(); }
};

ScoringKeyboard& scoringKeyboard() {
    static ScoringKeyboard keyboard;
    return keyboard;
}

QString textOf(const std::uint8_t* data, std::size_t size, bool utf16) {
    if (!utf16) return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text.append(QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8)));
    return text;
}

}  // namespace

// The sender reaches its keyboard and its boxes through these two services; the fuzz target
// links its stand-ins in place of the real X11 keyboard and Qt message boxes.
namespace tessavo::platform {
Keyboard& keyboard() { return scoringKeyboard(); }
Dialogs& dialogs() {
    static SenderMessages messages;
    return messages;
}
}  // namespace tessavo::platform

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool utf16 = data[0] & 1;
    const bool wait = data[0] & 2;
    const QString text = textOf(data + 1, size - 1, utf16);
    ScoringKeyboard& keyboard = scoringKeyboard();
    keyboard.startCall();
    bool typedToEnd = false;
    try {
        typedToEnd = tessavo::autofill::SendKeyString(text, wait);
    } catch (const tessavo::Error& error) {
        require(std::string_view(error.what()).ends_with("' is not a valid integer value"));
    }
    require(!keyboard.typing());
    require(!keyboard.anyKeyDown());
    // A text that ends before its first character sends nothing and reports so.
    if (text.isEmpty() || text.front() == QChar(u'\0')) require(!typedToEnd && keyboard.events() == 0);
    return 0;
}
