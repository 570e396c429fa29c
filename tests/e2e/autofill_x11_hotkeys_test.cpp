// The X11 hotkeys on a real X server: presses made through the server (xdotool, as a user's
// keyboard) reach the receiver from the event loop, with or without the locks; a combination
// another program holds is refused without harm; the keyboard grab of a press can be ended.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard/GlobalHotkeys.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/x11/X11Hotkeys.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XvfbServer.h"

// Xlib's macros come after every other header.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tessavo {
namespace {

namespace vk = platform::vk;
using platform::ModControl;
constexpr auto kRegistered = platform::HotkeyRegistration::Registered;
constexpr auto kHeldElsewhere = platform::HotkeyRegistration::HeldElsewhere;

class X11HotkeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<test::XvfbServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        if (!QCoreApplication::instance()) application_ = std::make_unique<QCoreApplication>(argc_, argv_);
        display_ = XOpenDisplay(server_->display().c_str());
        ASSERT_NE(display_, nullptr);
        hotkeys_ = std::make_unique<platform::X11Hotkeys>(server_->display().c_str());
    }

    void TearDown() override {
        hotkeys_.reset();
        XCloseDisplay(display_);
        application_.reset();
    }

    platform::GlobalHotkeys::Receiver recorder() {
        return [this](int id) { received_.push_back(id); };
    }

    // Keys as xdotool names them, pressed one after the other through the X server.
    void keys(const std::vector<std::string>& names) {
        std::vector<std::string> command{"xdotool", "key"};
        command.insert(command.end(), names.begin(), names.end());
        ASSERT_EQ(server_->run(command), 0);
    }
    void xdotool(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(server_->run(command), 0);
    }

    // Lets the event loop run until the receiver has got this many identifiers.
    bool received(std::size_t count) {
        return test::waitUntil([&] {
            QCoreApplication::processEvents();
            return received_.size() >= count;
        });
    }
    // Lets the event loop take in everything the server has sent so far.
    void settle() {
        XSync(display_, False);
        for (int round = 0; round < 20; ++round) QCoreApplication::processEvents();
    }

    // Registers Ctrl plus the key until the registration ends as expected, letting the event loop
    // take in the keymap's changes between the tries.
    bool registeredAs(int id, std::uint8_t key, platform::HotkeyRegistration expected) {
        return test::waitUntil([&] {
            QCoreApplication::processEvents();
            return hotkeys_->registerHotKey(id, ModControl, key, recorder()) == expected;
        });
    }

    bool keyboardGrabbedByAnother() {
        const int result =
            XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (result == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
        return result == AlreadyGrabbed;
    }

    static inline std::unique_ptr<test::XvfbServer> server_;
    static inline int argc_ = 1;
    static inline char name_[] = "e2e_tests";
    static inline char* argv_[] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> application_;
    Display* display_ = nullptr;
    std::unique_ptr<platform::X11Hotkeys> hotkeys_;
    std::vector<int> received_;
};

TEST_F(X11HotkeysTest, APressReachesTheReceiverOfItsCombinationAlsoWithTheLocksOn) {
    ASSERT_EQ(kRegistered, hotkeys_->registerHotKey(0xC001, ModControl, vk::Left, recorder()));
    ASSERT_EQ(kRegistered, hotkeys_->registerHotKey(0xC002, ModControl, vk::Right, recorder()));

    keys({"ctrl+Right", "ctrl+Left"});
    ASSERT_TRUE(received(2));
    EXPECT_EQ(received_, (std::vector<int>{0xC002, 0xC001}));

    keys({"Caps_Lock", "Num_Lock", "ctrl+Right", "Caps_Lock", "Num_Lock"});
    ASSERT_TRUE(received(3));
    EXPECT_EQ(received_.back(), 0xC002);
}

TEST_F(X11HotkeysTest, OtherCombinationsAndUnregisteredOnesReachNoOne) {
    ASSERT_EQ(kRegistered, hotkeys_->registerHotKey(0xC002, ModControl, vk::Right, recorder()));
    ASSERT_EQ(kRegistered, hotkeys_->registerHotKey(0xC003, ModControl, vk::Left, recorder()));
    EXPECT_TRUE(hotkeys_->unregisterHotKey(0xC003));
    EXPECT_FALSE(hotkeys_->unregisterHotKey(0xC003));

    keys({"Right", "ctrl+shift+Right", "alt+ctrl+Right", "ctrl+Left"});
    settle();
    EXPECT_TRUE(received_.empty());

    keys({"ctrl+Right"});  // the one still registered goes on working
    ASSERT_TRUE(received(1));
    EXPECT_EQ(received_, std::vector<int>{0xC002});
}

TEST_F(X11HotkeysTest, ACombinationAnotherProgramHoldsIsRefused) {
    const KeyCode left = XKeysymToKeycode(display_, XK_Left);
    XGrabKey(display_, left, ControlMask, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);

    EXPECT_EQ(kHeldElsewhere, hotkeys_->registerHotKey(0xC001, ModControl, vk::Left, recorder()));
    EXPECT_EQ(kRegistered, hotkeys_->registerHotKey(0xC002, ModControl, vk::Right, recorder()));
    // The same combination under a second identifier is refused too.
    EXPECT_EQ(kHeldElsewhere, hotkeys_->registerHotKey(0xC004, ModControl, vk::Right, recorder()));

    keys({"ctrl+Right"});
    ASSERT_TRUE(received(1));
    EXPECT_EQ(received_, std::vector<int>{0xC002});
    XUngrabKey(display_, left, ControlMask, DefaultRootWindow(display_));
}

// Xwayland starts with a keymap that may lack a key until a keyboard with it comes: no other
// program holds the combination then.
TEST_F(X11HotkeysTest, ACombinationOfAKeyTheKeyboardLacksIsNoOnesAndRefusedAsSuch) {
    const KeyCode left = XKeysymToKeycode(display_, XK_Left);
    ASSERT_NE(left, 0);
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display_, left, 1, &none, 1);
    XSync(display_, False);
    ASSERT_TRUE(registeredAs(0xC001, vk::Left, platform::HotkeyRegistration::NoSuchKey));
    EXPECT_EQ(kRegistered, hotkeys_->registerHotKey(0xC002, ModControl, vk::Right, recorder()));

    KeySym back = XK_Left;
    XChangeKeyboardMapping(display_, left, 1, &back, 1);
    XSync(display_, False);
    EXPECT_TRUE(registeredAs(0xC001, vk::Left, kRegistered)) << "the key is found once the keyboard has it again";
}

TEST_F(X11HotkeysTest, EndingTheGrabOfAHeldHotkeyFreesTheKeyboard) {
    ASSERT_EQ(kRegistered, hotkeys_->registerHotKey(0xC002, ModControl, vk::Right, recorder()));

    xdotool({"keydown", "ctrl+Right"});
    ASSERT_TRUE(received(1));
    EXPECT_TRUE(keyboardGrabbedByAnother()) << "the server grabs the keyboard while the hotkey is down";

    hotkeys_->endHotkeyGrab();
    EXPECT_FALSE(keyboardGrabbedByAnother());
    xdotool({"keyup", "Right", "keyup", "ctrl"});
}

}  // namespace
}  // namespace tessavo
