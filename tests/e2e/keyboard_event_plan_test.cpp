// One key-sender sequence through the translation of both display systems: the X11 keyboard on a
// private X server and the Wayland keyboard, each with the same layout, send exactly the same key
// events in the same order. Keys lent to characters the layout lacks are compared by the order in
// which they are first used, as each display system has its own spare keys.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <QString>
#include <map>
#include <memory>
#include <string>

#include "autofill/Unit_SendKey.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/XkbHandles.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/XvfbServer.h"

namespace tessavo::test {
namespace {

// A compositor that takes everything and answers nothing.
class SilentCompositor final : public platform::VirtualKeyboardOutput {
public:
    void keymap(const std::string&) override {}
    void key(platform::KeyNumber, bool) override {}
    void modifiers(const platform::ModifierState&) override {}
    void roundTrip() override {}
    void flush() override {}
};

// The plan as "50↓ 38↓ 38↑ 50↑ spare1↓ ...": keys of the layout by number, lent keys by order.
std::string readable(const platform::KeyEventPlan& plan, const char* layout) {
    const platform::XkbContextHandle context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    const platform::XkbKeymapHandle keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    std::map<platform::KeyNumber, int> spares;
    std::string text;
    for (const platform::KeyEvent& event : plan.events) {
        if (!text.empty()) text += ' ';
        if (xkb_keymap_num_layouts_for_key(keymap.get(), event.key) > 0) {
            text += std::to_string(event.key);
        } else {
            const auto [spare, added] = spares.emplace(event.key, static_cast<int>(spares.size()) + 1);
            text += "spare" + std::to_string(spare->second);
        }
        text += event.press ? "↓" : "↑";
    }
    return text;
}

class KeyboardEventPlans : public testing::TestWithParam<const char*> {
protected:
    XvfbServer server_;
    ScopedScriptedDialogs dialogs_;
};

TEST_P(KeyboardEventPlans, BothDisplaySystemsGetTheSameKeysInTheSameOrder) {
    const char* layout = GetParam();
    ASSERT_EQ(server_.run({"setxkbmap", "-layout", layout}), 0);
    // Characters of the layout at every level, named keys, held modifiers and groups, repeats,
    // and characters lent a key.
    const QString sequence = QStringLiteral("Ab1 @|\\+(xy)^a{ENTER}{LEFT}{DEL}{TAB}{BS 2}é中€中{{}{}}~%(e)z");
    platform::KeyEventPlan x11;
    {
        ScopedFake<platform::X11Keyboard, platform::Keyboard> keyboard(&platform::installKeyboard,
                                                                       server_.display().c_str());
        keyboard->observeKeys(&x11);
        ASSERT_TRUE(autofill::SendKeyString(sequence, true));
    }
    platform::KeyEventPlan wayland;
    {
        ScopedFake<platform::WaylandKeyboard, platform::Keyboard> keyboard(
            &platform::installKeyboard, platform::WaylandKeymap::fromNames({"evdev", "pc105", layout, "", ""}),
            std::make_unique<SilentCompositor>());
        keyboard->observeKeys(&wayland);
        ASSERT_TRUE(autofill::SendKeyString(sequence, true));
    }
    EXPECT_TRUE(dialogs_->takeTexts().empty());
    ASSERT_GT(x11.events.size(), 60u);  // every character of the sequence made it into the plan
    EXPECT_EQ(readable(wayland, layout), readable(x11, layout));
}

INSTANTIATE_TEST_SUITE_P(Layouts, KeyboardEventPlans, testing::Values("us", "de", "fr"));

}  // namespace
}  // namespace tessavo::test
