#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdint>

#include "platform/keyboard/UsKeyboardLayout.h"

namespace tessavo::platform::us {
namespace {

struct NamedKey {
    std::uint8_t vk;
    KeySymbols symbols;
};

// The virtual-key table writes the keysyms as numbers to stay free of Xlib: checked here
// against X's own definitions.
class VirtualKeySymbols : public ::testing::TestWithParam<NamedKey> {};

TEST_P(VirtualKeySymbols, MatchXsOwnDefinitions) { EXPECT_EQ(keySymbols(GetParam().vk), GetParam().symbols); }

INSTANTIATE_TEST_SUITE_P(
    NamedKeys, VirtualKeySymbols,
    ::testing::Values(NamedKey{0x03, {XK_Break}}, NamedKey{0x08, {XK_BackSpace}}, NamedKey{0x09, {XK_Tab}},
                      NamedKey{0x0C, {XK_Clear}}, NamedKey{0x0D, {XK_Return}}, NamedKey{0x10, {XK_Shift_L, XK_Shift_R}},
                      NamedKey{0x11, {XK_Control_L, XK_Control_R}}, NamedKey{0x12, {XK_Alt_L, XK_Alt_R, XK_Meta_L}},
                      NamedKey{0x13, {XK_Pause}}, NamedKey{0x14, {XK_Caps_Lock}}, NamedKey{0x1B, {XK_Escape}},
                      NamedKey{0x20, {XK_space}}, NamedKey{0x21, {XK_Prior}}, NamedKey{0x22, {XK_Next}},
                      NamedKey{0x23, {XK_End}}, NamedKey{0x24, {XK_Home}}, NamedKey{0x25, {XK_Left}},
                      NamedKey{0x26, {XK_Up}}, NamedKey{0x27, {XK_Right}}, NamedKey{0x28, {XK_Down}},
                      NamedKey{0x2A, {}}, NamedKey{0x2C, {XK_Print}}, NamedKey{0x2D, {XK_Insert}},
                      NamedKey{0x2E, {XK_Delete}}, NamedKey{0x2F, {XK_Help}}, NamedKey{0x5B, {XK_Super_L}},
                      NamedKey{0x5C, {XK_Super_R}}, NamedKey{0x90, {XK_Num_Lock}}, NamedKey{0x91, {XK_Scroll_Lock}},
                      // keys that type a character are found by the character, not by a symbol
                      NamedKey{0x41, {}}, NamedKey{0xBA, {}}));

TEST(VirtualKeySymbols, FunctionKeysOneToTwentyFourFollowEachOther) {
    for (int n = 1; n <= 24; ++n) {
        const auto vk = static_cast<std::uint8_t>(0x70 + n - 1);
        EXPECT_EQ(keySymbols(vk)[0], static_cast<KeySymbol>(XK_F1 + n - 1)) << "F" << n;
    }
}

TEST(VirtualKeySymbols, EveryKeyWithAScanCodeIsFoundBySymbolOrCharacter) {
    // A key with neither symbol nor character could never be pressed on any keymap.
    for (int vk = 1; vk < 256; ++vk) {
        const auto code = static_cast<std::uint8_t>(vk);
        if (scanCode(code) == 0) continue;
        EXPECT_TRUE(keySymbols(code)[0] != 0 || character(code, false) != 0) << std::hex << vk;
    }
}

}  // namespace
}  // namespace tessavo::platform::us
