#include "autofill/Unit_SendKey.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/base/AnsiCodePage.h"
#include "platform/base/Error.h"
#include "platform/base/IntegerText.h"
#include "platform/base/Wipe.h"
#include "platform/desktop/Dialogs.h"
#include "platform/keyboard/Keyboard.h"

namespace tessavo::autofill {
namespace {

namespace vk = platform::vk;
using platform::Keyboard;
using platform::NoKeyCode;

const char* const kNoKeyMessage = "程序不支持（中文、全角等非ASCII码字符的密码）自动输入.";
const char* const kNoCloseMessage = "No Close";

struct KeyName {
    std::string_view name;
    std::uint16_t code;  // a key code: the virtual key, and in the high byte its modifiers
};

// Ctrl+Pause: the key combination that is Break on a PC keyboard.
constexpr std::uint16_t kBreakCode = 0x0200 | 0x13;

// Named keys of the key language, in ascending byte order of the names for the halving search.
constexpr std::array<KeyName, 41> KeyNameTable = {{
    {"BACKSPACE", 0x08}, {"BKSP", 0x08},  {"BREAK", kBreakCode}, {"BS", 0x08},         {"CAPSLOCK", 0x14},
    {"CLEAR", 0x0C},     {"DEL", 0x2E},   {"DELETE", 0x2E},      {"DOWN", 0x28},       {"END", 0x23},
    {"ENTER", 0x0D},     {"ESC", 0x1B},   {"ESCAPE", 0x1B},      {"F1", 0x70},         {"F10", 0x79},
    {"F11", 0x7A},       {"F12", 0x7B},   {"F13", 0x7C},         {"F14", 0x7D},        {"F15", 0x7E},
    {"F16", 0x7F},       {"F2", 0x71},    {"F3", 0x72},          {"F4", 0x73},         {"F5", 0x74},
    {"F6", 0x75},        {"F7", 0x76},    {"F8", 0x77},          {"F9", 0x78},         {"HELP", 0x2F},
    {"HOME", 0x24},      {"INS", 0x2D},   {"LEFT", 0x25},        {"NUMLOCK", 0x90},    {"PGDN", 0x22},
    {"PGUP", 0x21},      {"PRTSC", 0x2A}, {"RIGHT", 0x27},       {"SCROLLLOCK", 0x91}, {"TAB", 0x09},
    {"UP", 0x26},
}};

constexpr bool nameBefore(const KeyName& a, const KeyName& b) { return a.name < b.name; }
static_assert(std::is_sorted(KeyNameTable.begin(), KeyNameTable.end(), nameBefore));

// Keys whose events carry the extended-key flag, as a 256-bit set indexed by the code.
constexpr std::array<std::uint64_t, 4> ExtendedKeySet = [] {
    std::array<std::uint64_t, 4> set{};
    for (const std::uint8_t code : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E}) {
        set[code / 64] |= std::uint64_t{1} << (code % 64);
    }
    return set;
}();

bool isExtendedKey(std::uint8_t code) { return (ExtendedKeySet[code / 64] >> (code % 64)) & 1; }

// A look at what a text would type shows no message: the typing itself does.
enum class Messages { Shown, Kept };

void showMessage(Messages messages, const char* text) {
    if (messages == Messages::Shown) platform::dialogs().show({QStringLiteral("SendKeys"), QString::fromUtf8(text)});
}

// The code of a named key, or NoKeyCode after telling the user the name has no key: an
// unknown name, or a key this keyboard lacks (Print, the Clear key, F13 to F16 on many
// layouts), which would otherwise be skipped without a word. Num Lock needs no key: it is
// flipped in the keyboard state.
std::uint16_t FindKeyName(Keyboard& keyboard, std::string_view name, Messages messages) {
    const auto* row = std::lower_bound(KeyNameTable.begin(), KeyNameTable.end(), KeyName{name, 0}, nameBefore);
    if (row != KeyNameTable.end() && row->name == name) {
        const auto key = static_cast<std::uint8_t>(row->code & 0xFF);
        if (key == vk::NumLock || keyboard.mapVirtualKey(key) != 0) return row->code;
    }
    showMessage(messages, kNoKeyMessage);
    return NoKeyCode;
}

// Bytes of a password that pass through the sender: wiped when they go.
class SecretBytes {
public:
    explicit SecretBytes(std::size_t capacity) { bytes_.reserve(capacity); }
    explicit SecretBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    ~SecretBytes() { platform::wipe(bytes_); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    std::string& bytes() { return bytes_; }
    const std::string& bytes() const { return bytes_; }
    std::string_view view() const { return bytes_; }

private:
    std::string bytes_;
};

// A braced key name as 8-bit text in the program's code page, a to z upper-cased, at most 20
// bytes: longer names keep their first 20 bytes.
class KeyNameText {
public:
    static constexpr std::size_t kMaxBytes = 20;

    void append(char16_t c) {
        std::string& bytes = name_.bytes();
        if (bytes.size() >= kMaxBytes) return;
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
            return;
        }
        const SecretBytes converted(platform::toAnsi(QString(QChar(c))));
        bytes.append(converted.view().substr(0, kMaxBytes - bytes.size()));
    }
    std::string_view view() const { return name_.view(); }

private:
    SecretBytes name_{kMaxBytes};
};

// One call of the sender: the text, the read position, the held-modifier marks, the group flag.
class KeySender {
public:
    KeySender(Keyboard& keyboard, std::u16string_view text, bool wait, Messages messages = Messages::Shown)
        : keyboard_(keyboard), text_(text), wait_(wait), messages_(messages) {}

    bool run() {
        while (position_ < text_.size()) {
            if (!step(text_[position_])) {
                showMessage(messages_, kNoCloseMessage);
                finish();
                return false;
            }
        }
        finish();
        return true;
    }

private:
    // Acts on the character at the read position; false at an unclosed brace.
    bool step(char16_t c) {
        switch (c) {
            case u'+':
                holdModifier(shiftHeld_, vk::Shift);
                break;
            case u'^':
                holdModifier(ctrlHeld_, vk::Control);
                break;
            case u'%':
                holdModifier(altHeld_, vk::Menu);
                break;
            case u'(':
                group_ = true;
                break;
            case u')':
                group_ = false;
                ReleaseMarkedModifiers();
                break;
            case u'~':
                PressKey(vk::Return, 1, true);
                ReleaseMarkedModifiers();
                break;
            case u'{':
                return typeBracedItem();
            default:
                typeCharacter(c);
                break;
        }
        ++position_;
        return true;
    }

    void holdModifier(bool& mark, std::uint8_t modifier) {
        mark = true;
        PressKey(modifier, 1, false);
    }

    // A character through the current layout; one without a key is reported and skipped, and
    // the held modifiers wait for the next key.
    void typeCharacter(char16_t c) {
        const std::uint16_t code = keyboard_.vkKeyScan(c);
        if (code == NoKeyCode) {
            showMessage(messages_, kNoKeyMessage);
            return;
        }
        TypeKeyCode(code, 1, true);
        ReleaseMarkedModifiers();
    }

    // "{{}", "{}}", "{name}" or "{name count}" at the read position; false when no "}" follows.
    bool typeBracedItem() {
        const std::size_t open = position_;
        if (open + 1 < text_.size() && text_[open + 1] == u'{') {
            // The left brace, then past the two braces and whatever follows them.
            typeCharacter(u'{');
            position_ = open + 3;
            return true;
        }
        KeyNameText name;
        std::size_t close = open + 1;
        for (; close < text_.size() && text_[close] != u'}'; ++close) name.append(text_[close]);
        if (close >= text_.size()) return false;
        position_ = close + 1;
        if (position_ < text_.size() && text_[position_] == u'}') {
            // "{}}" and any "{name}}" type the right brace; the name is dropped.
            typeCharacter(u'}');
            ++position_;
            return true;
        }
        typeNamedItem(name.view());
        return true;
    }

    void typeNamedItem(std::string_view name) {
        std::uint16_t count = 1;
        const std::size_t blank = name.find(' ');
        if (blank != std::string_view::npos) {
            count = repeatCount(name.substr(blank + 1));
            name = name.substr(0, blank);
        }
        const std::uint16_t code = name.size() == 1 ? keyboard_.vkKeyScan(static_cast<unsigned char>(name.front()))
                                                    : FindKeyName(keyboard_, name, messages_);
        if (code == NoKeyCode) return;
        TypeKeyCode(code, count, true);
        ReleaseMarkedModifiers();
    }

    // The low 16 bits of the count text's integer value: -1 repeats 65 535 times.
    std::uint16_t repeatCount(std::string_view countText) {
        const auto value = platform::parseInteger(countText);
        if (!value) {
            finish();
            const SecretBytes text{std::string(countText)};
            throw Error(QStringLiteral("'%1' is not a valid integer value").arg(platform::fromAnsi(text.bytes())));
        }
        return static_cast<std::uint16_t>(static_cast<std::uint32_t>(*value));
    }

    // The end of a call. A group left open would leave its modifiers held down after the call,
    // stuck for the user's own typing: they are released as if the group had closed.
    void finish() {
        group_ = false;
        ReleaseMarkedModifiers();
    }

    void InjectKeyEvent(std::uint8_t code, std::uint8_t scan, std::uint32_t flags) {
        keyboard_.keybdEvent(code, scan, flags);
        if (wait_) keyboard_.drainOwnKeyboardMessages();
    }

    void PressKey(std::uint8_t code, std::uint16_t count, bool withRelease) {
        if (code == vk::NumLock) {
            toggleNumLockState();
            return;
        }
        const auto scan = static_cast<std::uint8_t>(keyboard_.mapVirtualKey(code) & 0xFF);
        const std::uint32_t extended = isExtendedKey(code) ? platform::KeyEventExtendedKey : 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            InjectKeyEvent(code, scan, extended);
            if (withRelease) InjectKeyEvent(code, scan, extended | platform::KeyEventKeyUp);
        }
    }

    // Num Lock is flipped in the keyboard state; no key event is sent.
    void toggleNumLockState() {
        const bool on = keyboard_.keyToggled(vk::NumLock);
        Keyboard::State state = keyboard_.keyboardState();
        state[vk::NumLock] = static_cast<std::uint8_t>(on ? state[vk::NumLock] & ~1u : state[vk::NumLock] | 1u);
        keyboard_.setKeyboardState(state);
    }

    void ReleaseModifierKey(std::uint8_t code) {
        InjectKeyEvent(code, static_cast<std::uint8_t>(keyboard_.mapVirtualKey(code) & 0xFF), platform::KeyEventKeyUp);
    }

    // The modifiers of the code's shift state go down once around all count presses and come
    // up in the order they went down.
    void TypeKeyCode(std::uint16_t code, std::uint16_t count, bool withRelease) {
        const unsigned modifiers = code >> 8;
        if (modifiers & 1) PressKey(vk::Shift, 1, false);
        if (modifiers & 2) PressKey(vk::Control, 1, false);
        if (modifiers & 4) PressKey(vk::Menu, 1, false);
        PressKey(static_cast<std::uint8_t>(code & 0xFF), count, withRelease);
        if (modifiers & 1) ReleaseModifierKey(vk::Shift);
        if (modifiers & 2) ReleaseModifierKey(vk::Control);
        if (modifiers & 4) ReleaseModifierKey(vk::Menu);
    }

    void ReleaseMarkedModifiers() {
        if (group_) return;
        if (shiftHeld_) ReleaseModifierKey(vk::Shift);
        if (ctrlHeld_) ReleaseModifierKey(vk::Control);
        if (altHeld_) ReleaseModifierKey(vk::Menu);
        shiftHeld_ = ctrlHeld_ = altHeld_ = false;
    }

    Keyboard& keyboard_;
    const std::u16string_view text_;
    const bool wait_;
    const Messages messages_;
    std::size_t position_ = 0;
    bool shiftHeld_ = false;
    bool ctrlHeld_ = false;
    bool altHeld_ = false;
    bool group_ = false;
};

// A keyboard that sends nothing and notes every character the sender asks a key for.
class CharacterNotes final : public Keyboard {
public:
    ~CharacterNotes() override { platform::wipe(characters_); }

    void keybdEvent(std::uint8_t, std::uint8_t, std::uint32_t) override {}
    std::uint32_t mapVirtualKey(std::uint8_t) override { return 1; }  // every named key is there
    std::uint16_t vkKeyScan(char16_t ch) override {
        characters_ += ch;
        return 'A';  // a key without modifiers: nothing else is asked about the character
    }
    bool keyToggled(std::uint8_t) override { return false; }
    State keyboardState() override { return {}; }
    void setKeyboardState(const State&) override {}
    void drainOwnKeyboardMessages() override {}
    void sleep(int) override {}
    void beginTyping() override {}
    void endTyping() override {}
    bool waitForModifiersReleased(int) override { return true; }

    std::u16string& characters() { return characters_; }

private:
    std::u16string characters_;
};

std::u16string_view unitsOf(QStringView text) {
    const std::u16string_view units(text.utf16(), static_cast<std::size_t>(text.size()));
    return units.substr(0, units.find(u'\0'));
}

}  // namespace

std::u16string CharactersTyped(QStringView text) {
    CharacterNotes notes;
    try {
        KeySender(notes, unitsOf(text), false, Messages::Kept).run();
    } catch (const Error&) {
        // A bad repeat count: the typing itself stops there and says so.
    }
    return std::exchange(notes.characters(), {});
}

bool SendKeyString(QStringView text, bool wait) {
    const std::u16string_view units = unitsOf(text);
    if (units.empty()) return false;
    Keyboard& keyboard = platform::keyboard();
    const platform::TypingScope typing(keyboard);
    return KeySender(keyboard, units, wait).run();
}

}  // namespace tessavo::autofill
