// The key sender's virtual keys as keysyms for the desktop portal: each character by its own
// keysym on a key code without shift state, named keys and modifiers by theirs.
#include <gtest/gtest.h>

#include <set>

#include "platform/keyboard/Keyboard.h"
#include "platform/portal/PortalKeys.h"

namespace tessavo::platform {
namespace {

TEST(PortalKeys, EveryCharacterGetsItsOwnKeysymAndNoShiftState) {
    struct Case {
        char16_t character;
        KeySymbol keysym;
    };
    const Case cases[] = {
        {u'a', 0x61},   {u'A', 0x41},       {u'1', 0x31},       {u'!', 0x21},  {u'@', 0x40},    {u' ', 0x20},
        {u'{', 0x7b},   {u'|', 0x7c},       {u'~', 0x7e},       {u'é', 0xe9},  {u'É', 0xc9},    {u'ß', 0xdf},
        {u'€', 0x20ac}, {u'中', 0x1004e2d}, {u'文', 0x1006587}, {u'Ж', 0x6f6}, {u'\r', 0xff0d}, {u'\t', 0xff09},
    };
    PortalKeys keys;
    std::set<std::uint8_t> codes;
    for (const Case& c : cases) {
        const std::uint16_t code = keys.codeFor(c.character);
        ASSERT_NE(code, NoKeyCode) << "U+" << std::hex << unsigned{c.character};
        EXPECT_EQ(code >> 8, 0) << "U+" << std::hex << unsigned{c.character} << " asks for a modifier";
        EXPECT_EQ(keys.keysymOf(static_cast<std::uint8_t>(code)), c.keysym)
            << "U+" << std::hex << unsigned{c.character};
        codes.insert(static_cast<std::uint8_t>(code));
    }
    // All of them bound at once in one burst: no code stands for two characters.
    for (const Case& c : cases) {
        EXPECT_EQ(keys.keysymOf(static_cast<std::uint8_t>(keys.codeFor(c.character))), c.keysym);
    }
    EXPECT_EQ(codes.size(), std::size(cases));
}

TEST(PortalKeys, UnshiftedUsCharactersKeepTheirVirtualKeys) {
    PortalKeys keys;
    EXPECT_EQ(keys.codeFor(u'a'), 0x41);
    EXPECT_EQ(keys.codeFor(u'1'), 0x31);
    EXPECT_NE(keys.codeFor(u'A'), 0x41);  // the capital has a keysym of its own
    EXPECT_EQ(keys.keysymOf(0x41), 0x61u);
}

TEST(PortalKeys, NamedKeysAndModifiersAreTheirKeysyms) {
    const PortalKeys keys;
    const std::pair<std::uint8_t, KeySymbol> cases[] = {
        {vk::Shift, 0xffe1}, {vk::Control, 0xffe3}, {vk::Menu, 0xffe9},   {vk::Return, 0xff0d},
        {vk::Tab, 0xff09},   {vk::Back, 0xff08},    {vk::Delete, 0xffff}, {vk::Left, 0xff51},
        {vk::Right, 0xff53}, {vk::Capital, 0xffe5}, {0x70, 0xffbe},       {vk::KeyV, 0x76},
    };
    for (const auto& [code, keysym] : cases)
        EXPECT_EQ(keys.keysymOf(code), keysym) << "vk 0x" << std::hex << unsigned{code};
    EXPECT_EQ(keys.keysymOf(0x2A), 0u);  // Print: no key on a PC keyboard
}

TEST(PortalKeys, HalvesOfSurrogatePairsHaveNoKey) {
    PortalKeys keys;
    const std::u16string smile = u"😀";
    for (const char16_t unit : smile) EXPECT_EQ(keys.codeFor(unit), NoKeyCode);
}

TEST(PortalKeys, ANewBurstForgetsTheBindings) {
    PortalKeys keys;
    const auto code = static_cast<std::uint8_t>(keys.codeFor(u'中'));
    keys.reset();
    EXPECT_EQ(keys.keysymOf(code), 0u);
    EXPECT_EQ(keys.codeFor(u'€'), code);  // the spare code is handed out afresh
    EXPECT_EQ(keys.keysymOf(code), 0x20acu);
}

}  // namespace
}  // namespace tessavo::platform
