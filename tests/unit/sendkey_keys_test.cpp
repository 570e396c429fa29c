// The keys behind the key language: every key name, the extended-key flag, scan codes, long
// repeat counts, the Num Lock toggle, the message drain and the typing burst around a call.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/base/Error.h"
#include "tests/support/RecordingKeyboard.h"
#include "tests/support/ScriptedDialogs.h"

namespace tessavo {
namespace {

using test::RecordedKeyEvent;

class SendKeyKeysTest : public ::testing::Test {
protected:
    test::ScopedRecordingKeyboard keyboard;
    test::ScopedScriptedDialogs dialogs;
};

struct NamedKey {
    const char* name;
    std::uint8_t vk;
    bool extended;
};

// Every name of the key language that stands for one key, with its virtual key; arrows and the
// navigation block carry the extended-key flag. BREAK and PRTSC follow below.
const NamedKey kNamedKeys[] = {
    {"BACKSPACE", 0x08, false}, {"BKSP", 0x08, false},  {"BS", 0x08, false},    {"CAPSLOCK", 0x14, false},
    {"CLEAR", 0x0C, false},     {"DEL", 0x2E, true},    {"DELETE", 0x2E, true}, {"DOWN", 0x28, true},
    {"END", 0x23, true},        {"ENTER", 0x0D, false}, {"ESC", 0x1B, false},   {"ESCAPE", 0x1B, false},
    {"F1", 0x70, false},        {"F10", 0x79, false},   {"F11", 0x7A, false},   {"F12", 0x7B, false},
    {"F13", 0x7C, false},       {"F14", 0x7D, false},   {"F15", 0x7E, false},   {"F16", 0x7F, false},
    {"F2", 0x71, false},        {"F3", 0x72, false},    {"F4", 0x73, false},    {"F5", 0x74, false},
    {"F6", 0x75, false},        {"F7", 0x76, false},    {"F8", 0x77, false},    {"F9", 0x78, false},
    {"HELP", 0x2F, false},      {"HOME", 0x24, true},   {"INS", 0x2D, true},    {"LEFT", 0x25, true},
    {"PGDN", 0x22, true},       {"PGUP", 0x21, true},   {"RIGHT", 0x27, true},  {"SCROLLLOCK", 0x91, false},
    {"TAB", 0x09, false},       {"UP", 0x26, true},
};

std::u16string braced(const std::string& name) { return u"{" + std::u16string(name.begin(), name.end()) + u"}"; }

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

TEST_F(SendKeyKeysTest, EveryKeyNameSendsItsKeyInEitherCase) {
    for (const NamedKey& key : kNamedKeys) {
        for (const std::string& name : {std::string(key.name), lowerCase(key.name)}) {
            keyboard->events.clear();
            EXPECT_TRUE(autofill::SendKeyString(braced(name), true));
            const std::uint32_t extended = key.extended ? platform::KeyEventExtendedKey : 0;
            const std::uint8_t scan = static_cast<std::uint8_t>(keyboard->mapVirtualKey(key.vk));
            const std::vector<RecordedKeyEvent> expected = {{key.vk, scan, extended},
                                                            {key.vk, scan, extended | platform::KeyEventKeyUp}};
            EXPECT_EQ(keyboard->events, expected) << name;
        }
    }
    EXPECT_TRUE(dialogs->take().empty());
}

TEST_F(SendKeyKeysTest, EventsCarryTheScanCodesOfTheUsKeyboard) {
    autofill::SendKeyString(u"^a{LEFT}", true);
    const std::vector<RecordedKeyEvent> expected = {
        {0x11, 0x1D, 0}, {0x41, 0x1E, 0}, {0x41, 0x1E, 2}, {0x11, 0x1D, 2}, {0x25, 0x4B, 1}, {0x25, 0x4B, 3},
    };
    EXPECT_EQ(keyboard->events, expected);
}

TEST_F(SendKeyKeysTest, BreakIsControlAndPause) {
    EXPECT_TRUE(autofill::SendKeyString(u"a{BREAK}b{break 2}", true));
    EXPECT_EQ(keyboard->eventText(), "A↓ A↑ Ctrl↓ Pause↓ Pause↑ Ctrl↑ B↓ B↑ Ctrl↓ Pause↓ Pause↑ Pause↓ Pause↑ Ctrl↑");
    EXPECT_EQ(keyboard->events[2].scan, 0x1D);
    EXPECT_EQ(keyboard->events[3].scan, 0x45) << "the Pause key's own scan code";
    EXPECT_TRUE(dialogs->take().empty());
}

// A US keyboard without the keys that many PC keyboards lack.
class ShortKeyboard final : public test::RecordingKeyboard {
public:
    std::uint32_t mapVirtualKey(std::uint8_t vk) override {
        const bool missing = vk == 0x0C || (vk >= 0x7C && vk <= 0x7F);  // Clear, F13 to F16
        return missing ? 0 : RecordingKeyboard::mapVirtualKey(vk);
    }
};

// A named key the keyboard has no key for types nothing and says so; the text goes on, and
// modifiers held for it wait for the next key. PRTSC names the old Print key, never Print
// Screen, and no PC keyboard has it.
TEST(SendKeyMissingKeys, AreReportedAndSkipped) {
    test::ScopedScriptedDialogs dialogs;
    test::ScopedFake<ShortKeyboard, platform::Keyboard> keyboard(&platform::installKeyboard);
    for (const char* name : {"PRTSC", "CLEAR", "F13", "F14", "F15", "f16", "CLEAR 3"}) {
        keyboard->events.clear();
        const std::string text = std::string("x+{") + name + "}y";
        EXPECT_TRUE(autofill::SendKeyString(QString::fromStdString(text), true)) << text;
        EXPECT_EQ(keyboard->eventText(), "X↓ X↑ Shift↓ Y↓ Y↑ Shift↑") << text;
        EXPECT_EQ(dialogs->takeTexts(),
                  std::vector<QString>{QStringLiteral("程序不支持（中文、全角等非ASCII码字符的密码）自动输入.")})
            << text;
    }
    keyboard->events.clear();
    EXPECT_TRUE(autofill::SendKeyString(u"{F12}{NUMLOCK}", true)) << "keys the keyboard has still go";
    EXPECT_EQ(keyboard->eventText(), "F12↓ F12↑");
    EXPECT_TRUE(dialogs->take().empty());
}

// A keyboard whose scan codes have a high byte: only the low byte goes with the events.
class WideScanKeyboard final : public test::RecordingKeyboard {
public:
    std::uint32_t mapVirtualKey(std::uint8_t vk) override { return 0x4200u | static_cast<std::uint8_t>(vk + 1); }
};

TEST(SendKeyScanCodes, OnlyTheLowByteOfTheScanCodeIsSent) {
    test::ScopedFake<WideScanKeyboard, platform::Keyboard> keyboard(&platform::installKeyboard);
    autofill::SendKeyString(u"+b", false);
    const std::vector<RecordedKeyEvent> expected = {{0x10, 0x11, 0}, {0x42, 0x43, 0}, {0x42, 0x43, 2}, {0x10, 0x11, 2}};
    EXPECT_EQ(keyboard->events, expected);
}

TEST_F(SendKeyKeysTest, MinusOneRepeatsTheKey65535Times) {
    autofill::SendKeyString(u"{ENTER -1}", false);
    ASSERT_EQ(keyboard->events.size(), 2u * 65535u);
    for (std::size_t i = 0; i < keyboard->events.size(); ++i) {
        const RecordedKeyEvent& event = keyboard->events[i];
        ASSERT_EQ(event.vk, 0x0D);
        ASSERT_EQ(event.flags, i % 2 == 0 ? 0u : platform::KeyEventKeyUp) << "event " << i;
    }
}

TEST_F(SendKeyKeysTest, HexadecimalCountsRepeatTheKey) {
    std::string sixteenTabs;
    for (int i = 0; i < 16; ++i) sixteenTabs += "<Tab>";
    for (const char16_t* text : {u"{TAB $10}", u"{TAB 0x10}", u"{TAB X10}", u"{TAB 16}"}) {
        keyboard->events.clear();
        autofill::SendKeyString(text, false);
        EXPECT_EQ(keyboard->typedText(), sixteenTabs);
    }
}

class SendKeyNumLockTest : public SendKeyKeysTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SendKeyNumLockTest, FlipsTheToggleInTheKeyboardStateOnly) {
    const bool wasOn = GetParam();
    keyboard->state[platform::vk::NumLock] = wasOn ? 0x01 : 0x80;
    keyboard->state[0x41] = 0x81;
    EXPECT_TRUE(autofill::SendKeyString(u"{NUMLOCK}", true));
    EXPECT_TRUE(keyboard->events.empty());
    ASSERT_EQ(keyboard->stateWrites.size(), 1u);
    const auto& written = keyboard->stateWrites.front();
    EXPECT_EQ(written[platform::vk::NumLock], wasOn ? 0x00 : 0x81);
    EXPECT_EQ(written[0x41], 0x81) << "other keys keep their state";
}

INSTANTIATE_TEST_SUITE_P(OffAndOn, SendKeyNumLockTest, ::testing::Bool());

TEST_F(SendKeyKeysTest, NumLockWithACountFlipsOnce) {
    autofill::SendKeyString(u"{NUMLOCK 3}", true);
    ASSERT_EQ(keyboard->stateWrites.size(), 1u);
    EXPECT_EQ(keyboard->state[platform::vk::NumLock] & 1, 1);
    autofill::SendKeyString(u"{numlock}", true);
    EXPECT_EQ(keyboard->state[platform::vk::NumLock] & 1, 0);
}

TEST_F(SendKeyKeysTest, NumLockReleasesHeldModifiersLikeAnyKey) {
    autofill::SendKeyString(u"+{NUMLOCK}a", true);
    EXPECT_EQ(keyboard->eventText(), "Shift↓ Shift↑ A↓ A↑");
    EXPECT_EQ(keyboard->stateWrites.size(), 1u);
}

TEST_F(SendKeyKeysTest, WaitDrainsAfterEveryEvent) {
    autofill::SendKeyString(u"+(ab)~", true);
    std::vector<std::size_t> afterEach(keyboard->events.size());
    for (std::size_t i = 0; i < afterEach.size(); ++i) afterEach[i] = i + 1;
    EXPECT_EQ(keyboard->drainsAfterEvents, afterEach);
}

TEST_F(SendKeyKeysTest, WithoutWaitNothingIsDrained) {
    autofill::SendKeyString(u"+(ab)~", false);
    EXPECT_FALSE(keyboard->events.empty());
    EXPECT_TRUE(keyboard->drainsAfterEvents.empty());
}

TEST_F(SendKeyKeysTest, EveryCallTypesInsideOneBurst) {
    autofill::SendKeyString(u"ab{ENTER", true);
    autofill::SendKeyString(u"中c", true);
    EXPECT_THROW(autofill::SendKeyString(u"d{TAB z}", true), Error);
    dialogs->take();
    EXPECT_EQ(keyboard->bursts, 3);
    EXPECT_EQ(keyboard->typingDepth, 0);
    EXPECT_EQ(keyboard->eventsOutsideTyping, 0);
}

TEST_F(SendKeyKeysTest, AnEmptyTextOpensNoBurst) {
    EXPECT_FALSE(autofill::SendKeyString(u"", true));
    EXPECT_EQ(keyboard->bursts, 0);
    EXPECT_TRUE(keyboard->timeline.empty());
}

}  // namespace
}  // namespace tessavo
