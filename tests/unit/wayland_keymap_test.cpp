// The keymap a virtual keyboard hands the compositor: every character gets a key, and pressing
// that key with the reported modifiers through the compiled keymap gives back the character.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/wayland/WaylandKeymap.h"
#include "platform/wayland/XkbHandles.h"

namespace tessavo::platform {
namespace {

// The text compiled as a receiving program compiles it.
class CompiledKeymap {
public:
    explicit CompiledKeymap(const std::string& text)
        : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)),
          keymap_(xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                             XKB_KEYMAP_COMPILE_NO_FLAGS)) {}

    bool valid() const { return keymap_ != nullptr; }

    // The character the key gives with the modifier keys held down first, as a keyboard
    // would press them.
    char32_t press(const std::vector<KeyNumber>& modifierKeys, KeyNumber key) const {
        const XkbStateHandle state(xkb_state_new(keymap_.get()));
        for (const KeyNumber modifier : modifierKeys) xkb_state_update_key(state.get(), modifier, XKB_KEY_DOWN);
        return xkb_state_key_get_utf32(state.get(), key);
    }

    bool hasSymbols(KeyNumber key) const { return xkb_keymap_num_layouts_for_key(keymap_.get(), key) > 0; }

    xkb_keysym_t plainSymbol(KeyNumber key) const {
        const xkb_keysym_t* symbols = nullptr;
        return xkb_keymap_key_get_syms_by_level(keymap_.get(), key, 0, 0, &symbols) == 1 ? symbols[0]
                                                                                         : XKB_KEY_NoSymbol;
    }

private:
    XkbContextHandle context_;
    XkbKeymapHandle keymap_;
};

std::u32string everyCharacterToType() {
    std::u32string text;
    for (char32_t ch = 0x20; ch < 0x7F; ++ch) text.push_back(ch);
    return text + U"é中文€";
}

std::string utf8(char32_t ch) {
    char buffer[8] = {};
    xkb_keysym_to_utf8(xkb_utf32_to_keysym(ch), buffer, sizeof buffer);
    return buffer;
}

class WaylandKeymapLayouts : public testing::TestWithParam<const char*> {
protected:
    WaylandKeymap keymap = WaylandKeymap::fromNames({"evdev", "pc105", GetParam(), "", ""});
};

TEST_P(WaylandKeymapLayouts, EveryCharacterComesBackFromItsKey) {
    const std::u32string text = everyCharacterToType();
    std::vector<std::pair<char32_t, KeyStroke>> strokes;
    for (const char32_t ch : text) {
        const auto stroke = keymap.strokeFor(ch);
        ASSERT_TRUE(stroke) << "no key for " << utf8(ch);
        strokes.emplace_back(ch, *stroke);
    }
    const CompiledKeymap compiled(keymap.text().c_str());
    ASSERT_TRUE(compiled.valid());
    const KeyNumber shift = keymap.keyFor(XKB_KEY_Shift_L);
    ASSERT_NE(shift, 0);
    for (const auto& [ch, stroke] : strokes) {
        std::vector<KeyNumber> modifiers;
        if (stroke.shift) modifiers.push_back(shift);
        if (stroke.levelThree) modifiers.push_back(keymap.levelThreeKey());
        EXPECT_EQ(compiled.press(modifiers, stroke.key), ch)
            << utf8(ch) << " on key " << int{stroke.key} << (stroke.shift ? " with Shift" : "")
            << (stroke.levelThree ? " with the level-three key" : "");
    }
}

TEST_P(WaylandKeymapLayouts, SpareKeysAreKeysTheLayoutLeavesEmpty) {
    const CompiledKeymap layout(keymap.text().c_str());
    ASSERT_TRUE(layout.valid());
    std::set<KeyNumber> lent;
    for (const char32_t ch : std::u32string(U"中文€é\u0416\u05D0")) {
        const std::size_t lentBefore = keymap.lentKeys();
        const auto stroke = keymap.strokeFor(ch);
        ASSERT_TRUE(stroke) << utf8(ch);
        if (keymap.lentKeys() == lentBefore) continue;  // the layout's own key
        EXPECT_FALSE(stroke->shift || stroke->levelThree) << utf8(ch);
        EXPECT_FALSE(layout.hasSymbols(stroke->key)) << utf8(ch) << " took key " << int{stroke->key};
        EXPECT_TRUE(lent.insert(stroke->key).second) << utf8(ch) << " shares key " << int{stroke->key};
        EXPECT_LT(stroke->key, 256);
        EXPECT_GE(stroke->key, 9);
    }
    EXPECT_GE(lent.size(), 4u);  // 中, 文, Ж and א: neither layout has them
    // Asked again, a character keeps its key.
    EXPECT_EQ(keymap.strokeFor(U'中'), keymap.strokeFor(U'中'));
    EXPECT_EQ(keymap.lentKeys(), lent.size());
}

TEST_P(WaylandKeymapLayouts, NamedKeysAndModifiersSitOnTheLayoutsOwnKeycodes) {
    // Evdev numbers plus 8: what a real keyboard sends for these keys under every layout.
    const std::pair<xkb_keysym_t, KeyNumber> named[] = {
        {XKB_KEY_Return, 36}, {XKB_KEY_Tab, 23},       {XKB_KEY_BackSpace, 22}, {XKB_KEY_Left, 113},
        {XKB_KEY_Right, 114}, {XKB_KEY_Delete, 119},   {XKB_KEY_Shift_L, 50},   {XKB_KEY_Control_L, 37},
        {XKB_KEY_Alt_L, 64},  {XKB_KEY_Caps_Lock, 66}, {XKB_KEY_Escape, 9},
    };
    for (const char32_t ch : std::u32string(U"中文")) ASSERT_TRUE(keymap.strokeFor(ch));
    const CompiledKeymap compiled(keymap.text().c_str());
    ASSERT_TRUE(compiled.valid());
    for (const auto& [keysym, key] : named) {
        char name[64];
        xkb_keysym_get_name(keysym, name, sizeof name);
        EXPECT_EQ(keymap.keyFor(keysym), key) << name;
        EXPECT_EQ(compiled.plainSymbol(key), keysym) << name << " after the spare keys were lent";
    }
    // V for Ctrl+V: the layout's own V key (AB04 on both).
    EXPECT_EQ(keymap.keyForPair(XKB_KEY_v, XKB_KEY_V), 55);
}

INSTANTIATE_TEST_SUITE_P(Layouts, WaylandKeymapLayouts, testing::Values("us", "de"));

TEST(WaylandKeymap, TheKeymapAProgramWasSentServesAsWellAsTheLayoutsNames) {
    WaylandKeymap fromNames = WaylandKeymap::fromNames({"evdev", "pc105", "de", "", ""});
    ASSERT_TRUE(fromNames.strokeFor(U'中'));
    WaylandKeymap fromText = WaylandKeymap::fromText(fromNames.text());
    // The lent key is now part of the layout: no further key is lent for it.
    const auto stroke = fromText.strokeFor(U'中');
    ASSERT_TRUE(stroke);
    EXPECT_EQ(fromText.lentKeys(), 0u);
    EXPECT_EQ(fromText.strokeFor(U'@'), (KeyStroke{24, false, true}));   // AltGr+Q on a German keyboard
    EXPECT_EQ(fromText.strokeFor(U'z'), (KeyStroke{29, false, false}));  // where y is on a US one
}

TEST(WaylandKeymap, ForgottenSpareKeysLeaveTheLayoutAsItWas) {
    WaylandKeymap keymap = WaylandKeymap::fromNames({"evdev", "pc105", "us", "", ""});
    const std::string before = keymap.text();
    ASSERT_TRUE(keymap.strokeFor(U'中'));
    EXPECT_NE(keymap.text(), before);
    keymap.forgetLentKeys();
    EXPECT_EQ(keymap.text(), before);
    EXPECT_FALSE(keymap.strokeFor(U'\x01'));
    EXPECT_FALSE(keymap.strokeFor(char32_t{0xD800}));
}

}  // namespace
}  // namespace tessavo::platform
