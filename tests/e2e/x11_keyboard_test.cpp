// The key sender over the X11 keyboard on a real X server: a window of the test's own holds the
// focus and reads back every key press, so what arrives is what another program would get.
#include <gtest/gtest.h>

#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/Keyboard.h"
#include "platform/UsKeyboardLayout.h"
#include "platform/X11Keyboard.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/XvfbServer.h"

// Xlib's macros (None, Bool, Status) come after every other header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

namespace tessavo {
namespace {

const std::string kNoKey = "程序不支持（中文、全角等非ASCII码字符的密码）自动输入.";

// Every printable ASCII character except the key language's commands.
std::string printableAscii() {
    std::string text;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (std::string_view("+^%~(){}").find(c) == std::string_view::npos) text += c;
    }
    return text;
}

std::string withoutAny(std::string text, std::string_view dropped) {
    std::erase_if(text, [dropped](char c) { return dropped.find(c) != std::string_view::npos; });
    return text;
}

// The text of one key press, from the symbol the server's mapping gives it.
std::string pressedText(XKeyEvent& event) {
    KeySym keysym = NoSymbol;
    char ignored[16];
    XLookupString(&event, ignored, sizeof ignored, &keysym, nullptr);
    std::u16string character;
    if (keysym == XK_Return)
        character = u"\r";
    else if (keysym == XK_Tab)
        character = u"\t";
    else if (keysym >= 0x20 && keysym <= 0xFF)
        character = char16_t(keysym);
    else if ((keysym & 0xFF000000) == 0x01000000)
        character = char16_t(keysym & 0xFFFF);
    else
        return {};  // a modifier or another key without text
    const std::string text = QString::fromStdU16String(character).toStdString();
    return (event.state & ControlMask) ? "<Ctrl+" + text + ">" : text;
}

// A plain top-level window that holds the keyboard focus and collects the key presses.
class FocusWindow {
public:
    explicit FocusWindow(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
        if (!display_) throw std::runtime_error("cannot open " + displayName);
        const int screen = DefaultScreen(display_.get());
        window_ = XCreateSimpleWindow(display_.get(), RootWindow(display_.get(), screen), 0, 0, 200, 100, 0, 0, 0);
        XSelectInput(display_.get(), window_, KeyPressMask | StructureNotifyMask);
        XMapWindow(display_.get(), window_);
        if (!waitFor(MapNotify)) throw std::runtime_error("the window was not mapped");
        XSetInputFocus(display_.get(), window_, RevertToParent, CurrentTime);
        XSync(display_.get(), False);
    }
    ~FocusWindow() { XDestroyWindow(display_.get(), window_); }

    bool hasFocus() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_.get(), &focus, &revert);
        return focus == window_;
    }

    // Everything typed since the last call. The sender waits until the server has taken in
    // each event, so one round trip here brings in every press it caused.
    std::string takeTyped() {
        XSync(display_.get(), False);
        std::string text;
        while (XPending(display_.get()) > 0) {
            XEvent event;
            XNextEvent(display_.get(), &event);
            if (event.type == KeyPress) text += pressedText(event.xkey);
        }
        return text;
    }

    // The symbols of the keys pressed since the last call, with the modifiers held then.
    std::vector<std::string> takeKeysyms() {
        XSync(display_.get(), False);
        std::vector<std::string> names;
        while (XPending(display_.get()) > 0) {
            XEvent event;
            XNextEvent(display_.get(), &event);
            if (event.type != KeyPress) continue;
            KeySym keysym = NoSymbol;
            char ignored[16];
            XLookupString(&event.xkey, ignored, sizeof ignored, &keysym, nullptr);
            const char* name = XKeysymToString(keysym);
            names.push_back(name ? name : "?");
        }
        return names;
    }

    bool keymapHas(KeySym keysym) { return XKeysymToKeycode(display_.get(), keysym) != 0; }

    std::vector<KeyCode> keysDown() {
        char keys[32];
        XQueryKeymap(display_.get(), keys);
        std::vector<KeyCode> down;
        for (int code = 0; code < 256; ++code) {
            if (keys[code / 8] & (1 << (code % 8))) down.push_back(static_cast<KeyCode>(code));
        }
        return down;
    }

    // Holds a key down (or lets it go) as the user's own keyboard would.
    void holdKey(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_.get(), XKeysymToKeycode(display_.get(), keysym), down ? True : False, CurrentTime);
        XSync(display_.get(), False);
    }

    bool capsLockOn() {
        XkbStateRec state{};
        XkbGetState(display_.get(), XkbUseCoreKbd, &state);
        return state.locked_mods & LockMask;
    }

    void setCapsLock(bool on) {
        XkbLockModifiers(display_.get(), XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XSync(display_.get(), False);
    }

private:
    bool waitFor(int type) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            while (XPending(display_.get()) > 0) {
                XEvent event;
                XNextEvent(display_.get(), &event);
                if (event.type == type) return true;
            }
            pollfd readable{ConnectionNumber(display_.get()), POLLIN, 0};
            poll(&readable, 1, 100);
        }
        return false;
    }

    struct CloseDisplay {
        void operator()(Display* display) const { XCloseDisplay(display); }
    };
    std::unique_ptr<Display, CloseDisplay> display_;
    Window window_ = 0;
};

class X11KeyboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<test::XvfbServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    void TearDown() override {
        if (window_) {
            EXPECT_TRUE(window_->keysDown().empty()) << "a key stays held after typing";
        }
        window_.reset();
        platform::installKeyboard(std::move(previous_));
    }

    // Sets the layout, then opens the window and the keyboard that see it.
    void useLayout(const std::string& layout) {
        ASSERT_EQ(server_->run({"setxkbmap", "-layout", layout}), 0);
        window_ = std::make_unique<FocusWindow>(server_->display());
        ASSERT_TRUE(window_->hasFocus());
        previous_ = platform::installKeyboard(std::make_unique<platform::X11Keyboard>(server_->display().c_str()));
    }

    std::string type(const std::string& text) {
        SendKeyString(QString::fromStdString(text), true);
        return window_->takeTyped();
    }

    std::vector<std::string> takeMessages() {
        std::vector<std::string> texts;
        for (const QString& text : dialogs->takeTexts()) texts.push_back(text.toStdString());
        return texts;
    }

    static std::unique_ptr<test::XvfbServer> server_;
    std::unique_ptr<FocusWindow> window_;
    std::unique_ptr<platform::Keyboard> previous_;
    test::ScopedScriptedDialogs dialogs;
};

std::unique_ptr<test::XvfbServer> X11KeyboardTest::server_;

TEST_F(X11KeyboardTest, EveryPrintableCharacterArrivesExactlyOnAUsLayout) {
    useLayout("us");
    EXPECT_EQ(type(printableAscii()), printableAscii());
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(X11KeyboardTest, AUsLayoutGivesTheWindowsKeyCodes) {
    useLayout("us");
    platform::Keyboard& keyboard = platform::keyboard();
    const platform::TypingScope typing(keyboard);
    for (char16_t c = 0x20; c < 0x7F; ++c) {
        EXPECT_EQ(keyboard.vkKeyScan(c), platform::us::vkKeyScan(c)) << static_cast<char>(c);
    }
}

TEST_F(X11KeyboardTest, TheKeyLanguageArrivesAsItsKeys) {
    useLayout("us");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"p(a)ss", "pass"},
        {"a+b", "aB"},
        {"+(abc)d", "ABCd"},
        {"{+}{^}{%}{~}{(}{)}", "+^%~()"},
        {"{{}x{}}", "{x}"},
        {"{a 3}", "AAA"},
        {"a{TAB}b~{ENTER 2}", "a\tb\r\r\r"},
        {"^a", "<Ctrl+a>"},
        {"x{NUMLOCK}y", "xy"},
    };
    for (const auto& [text, arrives] : cases) EXPECT_EQ(type(text), arrives) << text;
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(X11KeyboardTest, AGermanLayoutTypesTheSamePasswordOrSaysWhatItCannotType) {
    useLayout("de");
    // On a German keyboard these need AltGr or are dead keys: each is reported and skipped.
    const std::string unreachable = "@[\\]`|";
    EXPECT_EQ(type(printableAscii()), withoutAny(printableAscii(), unreachable));
    EXPECT_EQ(takeMessages(), std::vector<std::string>(unreachable.size(), kNoKey));
    EXPECT_EQ(type("zy"), "zy");
    EXPECT_EQ(type("äöüÄÖÜß§°"), "äöüÄÖÜß§°");
    EXPECT_TRUE(takeMessages().empty());
    // The braces need AltGr as well: reported, never typed as another character.
    EXPECT_EQ(type("a{{}b{}}c"), "abc");
    EXPECT_EQ(takeMessages(), std::vector<std::string>(2, kNoKey));
}

TEST_F(X11KeyboardTest, CapsLockDoesNotChangeWhatArrivesAndStaysOn) {
    useLayout("us");
    window_->setCapsLock(true);
    EXPECT_EQ(type("aBc1!xYz+(q)"), "aBc1!xYzQ");
    EXPECT_TRUE(window_->capsLockOn());
    window_->setCapsLock(false);
}

TEST_F(X11KeyboardTest, AKeyboardWithoutTheCharacterReportsIt) {
    useLayout("us");
    EXPECT_EQ(type("a中é€b"), "ab");
    EXPECT_EQ(takeMessages(), std::vector<std::string>(3, kNoKey));
}

TEST_F(X11KeyboardTest, NamedKeysArriveAsTheirKeysOrAreReported) {
    useLayout("us");
    SendKeyString(u"{BREAK}", true);
    EXPECT_EQ(window_->takeKeysyms(), (std::vector<std::string>{"Control_L", "Break"}));
    SendKeyString(u"{PRTSC}", true);
    EXPECT_TRUE(window_->takeKeysyms().empty()) << "never Print Screen";
    EXPECT_EQ(takeMessages(), std::vector<std::string>{kNoKey});
    // Keys that keymaps may lack: there, they arrive; elsewhere, the user is told.
    const std::pair<const char16_t*, KeySym> optional[] = {
        {u"{CLEAR}", XK_Clear}, {u"{F13}", XK_F13}, {u"{F14}", XK_F14}, {u"{F15}", XK_F15}, {u"{F16}", XK_F16}};
    for (const auto& [text, keysym] : optional) {
        SendKeyString(text, true);
        const std::string name = XKeysymToString(keysym);
        if (window_->keymapHas(keysym)) {
            EXPECT_EQ(window_->takeKeysyms(), std::vector<std::string>{name});
            EXPECT_TRUE(takeMessages().empty()) << name;
        } else {
            EXPECT_TRUE(window_->takeKeysyms().empty()) << name;
            EXPECT_EQ(takeMessages(), std::vector<std::string>{kNoKey}) << name;
        }
    }
}

TEST_F(X11KeyboardTest, UnclosedGroupsAndBracesLeaveNoKeyHeld) {
    useLayout("us");
    EXPECT_EQ(type("+(ab"), "AB");
    EXPECT_EQ(type("x^{ENTER"), "x");
    EXPECT_EQ(takeMessages(), std::vector<std::string>{"No Close"});
}

TEST_F(X11KeyboardTest, ThePasteKeysArriveAsControlV) {
    useLayout("us");
    platform::Keyboard& keyboard = platform::keyboard();
    const auto scan = [&keyboard](std::uint8_t vk) { return static_cast<std::uint8_t>(keyboard.mapVirtualKey(vk)); };
    {
        // The end of the burst waits until the server has taken in its events.
        const platform::TypingScope typing(keyboard);
        keyboard.keybdEvent(platform::vk::Control, scan(platform::vk::Control), 0);
        keyboard.keybdEvent(platform::vk::KeyV, scan(platform::vk::KeyV), 0);
        keyboard.keybdEvent(platform::vk::KeyV, scan(platform::vk::KeyV), platform::KeyEventKeyUp);
        keyboard.keybdEvent(platform::vk::Control, scan(platform::vk::Control), platform::KeyEventKeyUp);
    }
    EXPECT_EQ(window_->takeTyped(), "<Ctrl+v>");
}

TEST_F(X11KeyboardTest, WaitsForTheUsersModifierKeys) {
    useLayout("us");
    window_->holdKey(XK_Control_L, true);
    EXPECT_FALSE(platform::keyboard().waitForModifiersReleased(0));
    window_->holdKey(XK_Control_L, false);
    EXPECT_TRUE(platform::keyboard().waitForModifiersReleased(0));
}

}  // namespace
}  // namespace tessavo
