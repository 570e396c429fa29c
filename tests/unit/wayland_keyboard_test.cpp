// The Wayland keyboard over a recording virtual keyboard that reads what it is sent as a Wayland
// program does: through the last keymap it got and the modifiers it was told. What such a
// program types must be exactly the text, in any layout, with no key left down afterwards.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <QString>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/XkbHandles.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"

namespace tessavo::platform {
namespace {

// A Wayland program receiving the virtual keyboard's requests as the compositor passes them on.
class ReceivingProgram final : public VirtualKeyboardOutput {
public:
    void keymap(const std::string& text) override {
        EXPECT_EQ(text.back(), '\0') << "the keymap file must end with a NUL";
        keymap_.reset(xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                 XKB_KEYMAP_COMPILE_NO_FLAGS));
        ASSERT_TRUE(keymap_) << "a keymap the program cannot compile";
        state_.reset(xkb_state_new(keymap_.get()));
        timeline.push_back("keymap");
    }

    void key(KeyNumber key, bool press) override {
        ASSERT_TRUE(state_) << "a key before any keymap";
        if (press) {
            EXPECT_TRUE(down.insert(key).second) << "key " << int{key} << " pressed twice";
            char buffer[16] = {};
            xkb_state_key_get_utf8(state_.get(), key, buffer, sizeof buffer);
            typed += buffer;
        } else {
            EXPECT_EQ(down.erase(key), 1u) << "key " << int{key} << " released while up";
        }
        timeline.push_back(std::to_string(key) + (press ? "↓" : "↑"));
    }

    void modifiers(const ModifierState& modifiers) override {
        ASSERT_TRUE(state_) << "modifiers before any keymap";
        xkb_state_update_mask(state_.get(), modifiers.depressed, modifiers.latched, modifiers.locked, 0, 0,
                              modifiers.group);
        current = modifiers;
        timeline.push_back("mods");
    }

    void roundTrip() override { timeline.push_back("roundtrip"); }
    void flush() override {}

    std::string typed;
    std::set<KeyNumber> down;
    ModifierState current;
    std::vector<std::string> timeline;

private:
    XkbContextHandle context_{xkb_context_new(XKB_CONTEXT_NO_FLAGS)};
    XkbKeymapHandle keymap_;
    XkbStateHandle state_;
};

class WaylandKeyboardTyping : public testing::TestWithParam<const char*> {
protected:
    WaylandKeyboardTyping() {
        auto output = std::make_unique<ReceivingProgram>();
        program = output.get();
        keyboard.emplace(&installKeyboard, WaylandKeymap::fromNames({"evdev", "pc105", GetParam(), "", ""}),
                         std::move(output));
    }

    ReceivingProgram* program = nullptr;
    std::optional<test::ScopedFake<WaylandKeyboard, Keyboard>> keyboard;
    test::ScopedScriptedDialogs dialogs;
};

std::string everyPrintableAscii() {
    std::string text;
    for (char ch = 0x20; ch < 0x7F; ++ch) text.push_back(ch);
    return text;
}

TEST_P(WaylandKeyboardTyping, TheProgramReadsExactlyTheText) {
    const QString texts[] = {
        QString::fromStdString(everyPrintableAscii()),
        QStringLiteral("é 中文 €"),
        QStringLiteral("Pa55w0rd!@中é"),
    };
    for (const QString& text : texts) {
        program->typed.clear();
        ASSERT_TRUE(autofill::SendKeyString(test::spelledInKeyLanguage(text), true));
        EXPECT_EQ(program->typed, text.toStdString());
        EXPECT_TRUE(program->down.empty()) << "a key is still down after the burst";
        EXPECT_EQ(program->current.depressed, 0u) << "a modifier is still held after the burst";
        EXPECT_EQ(program->current.latched, 0u);
        EXPECT_EQ(program->current.locked, 0u);
        ASSERT_FALSE(program->timeline.empty());
        EXPECT_EQ(program->timeline.back(), "roundtrip") << "the burst ends without waiting for the compositor";
    }
    EXPECT_TRUE(dialogs->takeTexts().empty());
}

TEST_P(WaylandKeyboardTyping, TheKeyLanguagesModifiersReachTheProgram) {
    // Shift held over a group, and Caps Lock pressed in the burst: the next burst starts
    // with it lifted.
    ASSERT_TRUE(autofill::SendKeyString(u"+(ab)c{CAPSLOCK}d", true));
    EXPECT_EQ(program->typed, "ABcD");
    program->typed.clear();
    ASSERT_TRUE(autofill::SendKeyString(u"e", true));
    EXPECT_EQ(program->typed, "e");
    EXPECT_TRUE(program->down.empty());
}

TEST_P(WaylandKeyboardTyping, AKeymapWithTheLentKeysArrivesBeforeTheirFirstKey) {
    program->timeline.clear();
    ASSERT_TRUE(autofill::SendKeyString(u"a中", true));
    const auto& steps = program->timeline;
    const auto keymap = std::find(steps.begin(), steps.end(), "keymap");
    ASSERT_NE(keymap, steps.end()) << "the character lent a key was typed through the old keymap";
    EXPECT_EQ(*(keymap + 1), "mods");
    EXPECT_EQ(*(keymap + 2), "roundtrip") << "no round trip after the keymap";
    EXPECT_EQ(program->typed, "a中");
}

INSTANTIATE_TEST_SUITE_P(Layouts, WaylandKeyboardTyping, testing::Values("us", "de", "fr"));

}  // namespace
}  // namespace tessavo::platform
