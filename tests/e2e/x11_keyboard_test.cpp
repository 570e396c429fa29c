// The key sender over the X11 keyboard on a real X server: a window of the test's own holds the
// focus and reads back every key press, so what arrives is what another program would get.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/keyboard/UsKeyboardLayout.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/XvfbServer.h"

// Xlib's macros (None, Bool, Status) come after every other header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <xkbcommon/xkbcommon.h>

namespace tessavo {
namespace {

const std::string kNoKey = "程序不支持（中文、全角等非ASCII码字符的密码）自动输入.";

using test::printableAsciiOutsideKeyLanguage;

// The text of one key press, from the symbol the server's mapping gives it.
std::string pressedText(XKeyEvent& event) {
    KeySym keysym = NoSymbol;
    char ignored[16];
    XLookupString(&event, ignored, sizeof ignored, &keysym, nullptr);
    std::u32string character;
    if (keysym == XK_Return)
        character = U"\r";
    else if (keysym == XK_Tab)
        character = U"\t";
    else if (const char32_t code = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym)); code >= 0x20)
        character = code;
    else
        return {};  // a modifier or another key without text
    const std::string text = QString::fromUcs4(character.data(), 1).toStdString();
    return (event.state & ControlMask) ? "<Ctrl+" + text + ">" : text;
}

// Reads the key presses of a window on a connection and a thread of its own while the test types,
// as a real program does: a program looks up a key's symbol when the press comes in, so a key
// lent to a character for a moment must be read while it still gives that character.
class KeyReader {
public:
    KeyReader(const std::string& displayName, Window window) : display_(XOpenDisplay(displayName.c_str())) {
        if (!display_) throw std::runtime_error("cannot open " + displayName);
        XSelectInput(display_, window, KeyPressMask);
        // Xlib loads its copy of the keymap, and starts following its changes, at the first
        // lookup: that must be before the first change, as in a program that has run a while.
        XkbKeycodeToKeysym(display_, 38, 0, 0);
        XSync(display_, False);
        start();
    }
    ~KeyReader() {
        stop();
        XCloseDisplay(display_);
    }

    // Everything typed since the last call: the presses up to the last event sent so far.
    std::string take() {
        catchUp();
        keysyms_.clear();
        return std::exchange(typed_, {});
    }
    // The same presses as the names of their symbols.
    std::vector<std::string> takeKeysyms() {
        catchUp();
        typed_.clear();
        return std::exchange(keysyms_, {});
    }

private:
    void catchUp() {
        stop();
        XSync(display_, False);
        readPending();
        start();
    }
    void start() {
        stop_ = false;
        thread_ = std::thread([this] {
            while (!stop_) {
                readPending();
                pollfd readable{ConnectionNumber(display_), POLLIN, 0};
                poll(&readable, 1, 10);
            }
        });
    }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    void readPending() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            // As every Xlib program should: the changed keys are fetched when the change is read.
            if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
            if (event.type != KeyPress) continue;
            typed_ += pressedText(event.xkey);
            KeySym keysym = NoSymbol;
            char ignored[16];
            XLookupString(&event.xkey, ignored, sizeof ignored, &keysym, nullptr);
            const char* name = XKeysymToString(keysym);
            keysyms_.push_back(name ? name : "?");
        }
    }

    Display* display_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::string typed_;
    std::vector<std::string> keysyms_;
};

// A plain top-level window that holds the keyboard focus and collects the key presses.
class FocusWindow {
public:
    explicit FocusWindow(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
        if (!display_) throw std::runtime_error("cannot open " + displayName);
        const int screen = DefaultScreen(display_.get());
        window_ = XCreateSimpleWindow(display_.get(), RootWindow(display_.get(), screen), 0, 0, 200, 100, 0, 0, 0);
        XSelectInput(display_.get(), window_, StructureNotifyMask);
        XMapWindow(display_.get(), window_);
        if (!waitFor(MapNotify)) throw std::runtime_error("the window was not mapped");
        XSetInputFocus(display_.get(), window_, RevertToParent, CurrentTime);
        XSync(display_.get(), False);
        reader_ = std::make_unique<KeyReader>(displayName, window_);
    }
    ~FocusWindow() { XDestroyWindow(display_.get(), window_); }

    bool hasFocus() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_.get(), &focus, &revert);
        return focus == window_;
    }

    // Everything typed since the last call. The sender waits until the server has taken in
    // each event, so one round trip brings in every press it caused.
    std::string takeTyped() { return reader_->take(); }

    // The symbols of the keys pressed since the last call, with the modifiers held then.
    // The symbols of the keys pressed since the last call, by name.
    std::vector<std::string> takeKeysyms() { return reader_->takeKeysyms(); }

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

    // Every key's symbols, as the core protocol gives them.
    std::vector<KeySym> keymap() {
        int min = 0, max = 0, width = 0;
        XDisplayKeycodes(display_.get(), &min, &max);
        KeySym* symbols = XGetKeyboardMapping(display_.get(), static_cast<KeyCode>(min), max - min + 1, &width);
        std::vector<KeySym> all(symbols, symbols + (max - min + 1) * width);
        XFree(symbols);
        return all;
    }

    // Gives every key without a symbol this one, so that no key is spare; and takes it off again.
    void fillEmptyKeys(KeySym keysym) { changeKeys(NoSymbol, keysym); }
    void emptyKeysGiving(KeySym keysym) { changeKeys(keysym, NoSymbol); }

    void lockGroup(unsigned group) {
        XkbLockGroup(display_.get(), XkbUseCoreKbd, group);
        XSync(display_.get(), False);
    }

    void setCapsLock(bool on) {
        XkbLockModifiers(display_.get(), XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XSync(display_.get(), False);
    }

private:
    void changeKeys(KeySym from, KeySym to) {
        int min = 0, max = 0;
        XDisplayKeycodes(display_.get(), &min, &max);
        for (int key = min; key <= max; ++key) {
            int width = 0;
            KeySym* symbols = XGetKeyboardMapping(display_.get(), static_cast<KeyCode>(key), 1, &width);
            const bool empty = std::all_of(symbols, symbols + width, [](KeySym s) { return s == NoSymbol; });
            const bool match = from == NoSymbol ? empty : symbols[0] == from;
            XFree(symbols);
            if (match) XChangeKeyboardMapping(display_.get(), key, 1, &to, 1);
        }
        XSync(display_.get(), False);
    }

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
    std::unique_ptr<KeyReader> reader_;
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
        keyboard_.reset();
    }

    // Sets the layout, then opens the window and the keyboard that see it.
    void useLayout(const std::string& layout) {
        ASSERT_EQ(server_->run({"setxkbmap", "-layout", layout}), 0);
        window_ = std::make_unique<FocusWindow>(server_->display());
        ASSERT_TRUE(window_->hasFocus());
        if (keyboard_) return;  // one keyboard for the whole test: it reads each burst's layout itself
        keyboard_.emplace(&platform::installKeyboard, server_->display().c_str());
    }

    std::string type(const std::string& text) {
        autofill::SendKeyString(QString::fromStdString(text), true);
        return window_->takeTyped();
    }

    std::vector<std::string> takeMessages() {
        std::vector<std::string> texts;
        for (const QString& text : dialogs->takeTexts()) texts.push_back(text.toStdString());
        return texts;
    }

    static std::unique_ptr<test::XvfbServer> server_;
    std::unique_ptr<FocusWindow> window_;
    std::optional<test::ScopedFake<platform::X11Keyboard, platform::Keyboard>> keyboard_;
    test::ScopedScriptedDialogs dialogs;
};

std::unique_ptr<test::XvfbServer> X11KeyboardTest::server_;

TEST_F(X11KeyboardTest, EveryPrintableCharacterArrivesExactlyOnAUsLayout) {
    useLayout("us");
    EXPECT_EQ(type(printableAsciiOutsideKeyLanguage()), printableAsciiOutsideKeyLanguage());
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

TEST_F(X11KeyboardTest, AGermanLayoutTypesEveryCharacterAlsoThoseOfAltGrAndDeadKeys) {
    useLayout("de");
    // AltGr gives @ [ \\ ] | and the braces; ` and ^ come only from dead keys there.
    EXPECT_EQ(type(printableAsciiOutsideKeyLanguage()), printableAsciiOutsideKeyLanguage());
    EXPECT_EQ(type("zy"), "zy");
    EXPECT_EQ(type("äöüÄÖÜß§°€µ"), "äöüÄÖÜß§°€µ");
    EXPECT_EQ(type("a{{}b{}}c{^}"), "a{b}c^");
    EXPECT_EQ(type("user.name@example.com"), "user.name@example.com");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(X11KeyboardTest, CapsLockDoesNotChangeWhatArrivesAndStaysOn) {
    useLayout("us");
    window_->setCapsLock(true);
    EXPECT_EQ(type("aBc1!xYz+(q)"), "aBc1!xYzQ");
    EXPECT_TRUE(window_->capsLockOn());
    window_->setCapsLock(false);
}

TEST_F(X11KeyboardTest, CharactersNoKeyGivesArriveOnSpareKeysThatAreEmptiedAfterwards) {
    useLayout("us");
    const std::vector<KeySym> before = window_->keymap();
    EXPECT_EQ(type("a中é€Éb"), "a中é€Éb");
    EXPECT_EQ(window_->keymap(), before);
    EXPECT_TRUE(takeMessages().empty());
}

// The log of typing, debug lines included, says that a burst ran and how it ended and nothing of
// the text: texts of other lengths, cases and characters (some on lent spare keys) leave the
// same lines.
TEST_F(X11KeyboardTest, TheLogOfTypingTellsNothingOfTheText) {
    useLayout("us");
    const std::string texts[] = {"ab", "S3cr3tPWx9", "a中é€Éb", printableAsciiOutsideKeyLanguage()};
    std::optional<QStringList> firstLog;
    for (const std::string& text : texts) {
        QStringList log;
        {
            const test::CapturedMessages messages(test::CapturedMessages::Levels::Every);
            EXPECT_EQ(type(text), text);
            log = messages.warnings();
        }
        EXPECT_TRUE(log.join(u'\n').contains(QStringLiteral("a typing burst ended"))) << text;
        if (!firstLog) firstLog = log;
        EXPECT_EQ(log, *firstLog) << text;
    }
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(X11KeyboardTest, WithoutASpareKeyACharacterNoKeyGivesIsReportedAndSkipped) {
    useLayout("us");
    const std::vector<KeySym> before = window_->keymap();
    window_->fillEmptyKeys(XK_F30);
    EXPECT_EQ(type("a中b"), "ab");
    EXPECT_EQ(takeMessages(), std::vector<std::string>{kNoKey});
    window_->emptyKeysGiving(XK_F30);
    EXPECT_EQ(window_->keymap(), before);
}

TEST_F(X11KeyboardTest, TheKeymapAndTheGroupAreReadAtEachBurst) {
    useLayout("us");
    EXPECT_EQ(type("@y"), "@y");
    ASSERT_EQ(server_->run({"setxkbmap", "-layout", "de"}), 0);
    EXPECT_EQ(type("@y"), "@y") << "the German layout has y and z swapped and @ on AltGr+Q";
    ASSERT_EQ(server_->run({"setxkbmap", "-layout", "us,ru"}), 0);
    EXPECT_EQ(type("фx"), "фx");
    window_->lockGroup(1);
    EXPECT_EQ(type("фx"), "фx");
    window_->lockGroup(0);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(X11KeyboardTest, NamedKeysArriveAsTheirKeysOrAreReported) {
    useLayout("us");
    autofill::SendKeyString(u"{BREAK}", true);
    EXPECT_EQ(window_->takeKeysyms(), (std::vector<std::string>{"Control_L", "Break"}));
    autofill::SendKeyString(u"{PRTSC}", true);
    EXPECT_TRUE(window_->takeKeysyms().empty()) << "never Print Screen";
    EXPECT_EQ(takeMessages(), std::vector<std::string>{kNoKey});
    // Keys that keymaps may lack: there, they arrive; elsewhere, the user is told.
    const std::pair<const char16_t*, KeySym> optional[] = {
        {u"{CLEAR}", XK_Clear}, {u"{F13}", XK_F13}, {u"{F14}", XK_F14}, {u"{F15}", XK_F15}, {u"{F16}", XK_F16}};
    for (const auto& [text, keysym] : optional) {
        autofill::SendKeyString(text, true);
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

TEST_F(X11KeyboardTest, ThePasteKeysArriveAsControlVOnEveryLayout) {
    for (const char* layout : {"us", "de", "ru", "us,ru"}) {
        useLayout(layout);
        if (std::string_view(layout) == "us,ru") window_->lockGroup(1);
        const std::vector<KeySym> before = window_->keymap();
        platform::Keyboard& keyboard = platform::keyboard();
        const auto scan = [&keyboard](std::uint8_t vk) {
            return static_cast<std::uint8_t>(keyboard.mapVirtualKey(vk));
        };
        {
            // The end of the burst waits until the server has taken in its events.
            const platform::TypingScope typing(keyboard);
            keyboard.keybdEvent(platform::vk::Control, scan(platform::vk::Control), 0);
            keyboard.keybdEvent(platform::vk::KeyV, scan(platform::vk::KeyV), 0);
            keyboard.keybdEvent(platform::vk::KeyV, scan(platform::vk::KeyV), platform::KeyEventKeyUp);
            keyboard.keybdEvent(platform::vk::Control, scan(platform::vk::Control), platform::KeyEventKeyUp);
        }
        EXPECT_EQ(window_->takeTyped(), "<Ctrl+v>") << layout;
        EXPECT_EQ(window_->keymap(), before) << layout;
        window_->lockGroup(0);
    }
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
