// The auto-fill hotkeys on the real windows: registration at login, the two checks and their
// message, paste mode and keystroke mode event by event, the release at shutdown. The hotkeys,
// the keyboard and the clipboard record instead of reaching the system.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "autofill/Hotkeys.h"
#include "platform/desktop/Guard.h"
#include "platform/keyboard/GlobalAtoms.h"
#include "platform/keyboard/GlobalHotkeys.h"
#include "platform/keyboard/Keyboard.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingClipboard.h"
#include "tests/support/RecordingFocusedWindow.h"
#include "tests/support/RecordingHotkeys.h"
#include "tests/support/RecordingInputMethod.h"
#include "tests/support/RecordingKeyboard.h"

using namespace tessavo;
namespace vk = platform::vk;

namespace {

enum class Mode { Paste, Keystroke };
enum class Hotkey { Account, Password };

const QString kChooseFirst = QStringLiteral("请先选择一组帐号,才能自动输入账户密码.!");

std::uint8_t arrowOf(Hotkey hotkey) { return hotkey == Hotkey::Account ? vk::Left : vk::Right; }

class AutoFill : public test::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        hotkeys->timeline = &keyboard->timeline;
        inputMethod->timeline = &keyboard->timeline;
    }

    // What a click on a grid row leaves in the editor; the visible password field holds
    // something else, so a copy from it would show.
    void choose(const QString& account, const QString& password) {
        main().Edit_ZhangHao->setText(account);
        main().Edit_MiMa->setText(QStringLiteral("not-this-field"));
        main().Edit_MiMa_Temp->setText(password);
    }

    void useMode(Mode mode) {
        (mode == Mode::Paste ? main().RadioButton_IntoPass1 : main().RadioButton_IntoPass2)->click();
    }

    // Ctrl plus the hotkey's arrow, from whichever program has the focus.
    void press(Hotkey hotkey) {
        ASSERT_TRUE(hotkeys->press(platform::ModControl, arrowOf(hotkey))) << "no hotkey is registered";
    }

    // Nothing was typed, copied or waited for.
    void expectNothingFilled() {
        EXPECT_EQ(keyboard->timelineText(), "");
        EXPECT_TRUE(clipboard->calls.empty());
        EXPECT_FALSE(main().Timer_ClearClipbrd->isActive());
    }

    // Set up before the windows exist, so they use these from the start.
    test::ScopedRecordingKeyboard keyboard;
    test::ScopedRecordingHotkeys hotkeys;
    test::ScopedRecordingClipboard clipboard;
    test::ScopedRecordingInputMethod inputMethod;  // none running unless a test says so
};

// ---- registration and release -------------------------------------------------------------

TEST_F(AutoFill, NoHotkeyBeforeTheLoginAndBothAfterIt) {
    EXPECT_TRUE(hotkeys->registered.empty());
    EXPECT_EQ(autofill::HotkeyAccountId(), 0);

    logIn();

    ASSERT_EQ(hotkeys->registered.size(), 2u);
    const auto& account = hotkeys->registered.at(autofill::HotkeyAccountId());
    const auto& password = hotkeys->registered.at(autofill::HotkeyPasswordId());
    EXPECT_EQ(account.modifiers, platform::ModControl);
    EXPECT_EQ(account.vk, vk::Left);
    EXPECT_EQ(password.modifiers, platform::ModControl);
    EXPECT_EQ(password.vk, vk::Right);
    EXPECT_EQ(autofill::HotkeyAccountId(), platform::GlobalFindAtom(QStringLiteral("8")));
    EXPECT_EQ(autofill::HotkeyPasswordId(), platform::GlobalFindAtom(QStringLiteral("9")));
}

TEST_F(AutoFill, ALoginAfterHidingRegistersAgainAndTheDestructionReleasesOnce) {
    logIn();
    const int account = autofill::HotkeyAccountId();
    const int password = autofill::HotkeyPasswordId();
    platform::trigger(main().HideME);
    logIn();  // the gate asks again; the atoms gain a reference

    EXPECT_EQ(hotkeys->calls.size(), 4u);
    EXPECT_EQ(platform::globalAtomReferences(account), 2);
    EXPECT_EQ(platform::globalAtomReferences(password), 2);

    main().FormDestroy();
    EXPECT_TRUE(hotkeys->registered.empty());
    EXPECT_EQ(platform::globalAtomReferences(account), 1);
    EXPECT_EQ(platform::globalAtomReferences(password), 1);
    // The one reference left belongs to no one: this process goes on with other tests.
    platform::GlobalDeleteAtom(static_cast<std::uint16_t>(account));
    platform::GlobalDeleteAtom(static_cast<std::uint16_t>(password));
}

TEST_F(AutoFill, DestroyingTheWindowsWithoutALoginReleasesNothing) {
    main().FormDestroy();
    EXPECT_TRUE(hotkeys->calls.empty());
}

TEST_F(AutoFill, AfterTheReleaseTheHotkeysAreGone) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("pw"));
    main().FormDestroy();
    EXPECT_FALSE(hotkeys->press(platform::ModControl, vk::Right));
    expectNothingFilled();
}

// ---- the two checks -----------------------------------------------------------------------

struct Selection {
    const char* name;
    const char* account;
    const char* password;
};

class AutoFillChecks : public AutoFill, public ::testing::WithParamInterface<std::tuple<Selection, Hotkey, Mode>> {};

TEST_P(AutoFillChecks, ShowTheMessageAndFillNothing) {
    const auto& [selection, hotkey, mode] = GetParam();
    logIn();
    choose(QString::fromUtf8(selection.account), QString::fromUtf8(selection.password));
    useMode(mode);

    press(hotkey);

    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kChooseFirst});
    expectNothingFilled();
}

INSTANTIATE_TEST_SUITE_P(EmptyFields, AutoFillChecks,
                         ::testing::Combine(::testing::Values(Selection{"NoAccount", "", "pw"},
                                                              Selection{"NoPassword", "alice", ""},
                                                              Selection{"Nothing", "", ""}),
                                            ::testing::Values(Hotkey::Account, Hotkey::Password),
                                            ::testing::Values(Mode::Paste, Mode::Keystroke)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Hotkey::Account ? "Account" : "Password") +
                                    (std::get<2>(info.param) == Mode::Paste ? "Paste" : "Keystroke");
                         });

TEST_F(AutoFill, TheMessageComesAlsoWhileTheWindowIsHidden) {
    logIn();
    platform::trigger(main().HideME);
    ASSERT_FALSE(main().isVisible());
    choose(QString(), QStringLiteral("pw"));

    press(Hotkey::Account);

    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kChooseFirst);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Tessavo个人版"));
    expectNothingFilled();
}

TEST_F(AutoFill, AnotherIdentifierDoesNothingAfterTheChecks) {
    logIn();
    useMode(Mode::Paste);
    const int other = autofill::HotkeyPasswordId() + 1;

    choose(QStringLiteral("alice"), QStringLiteral("pw"));
    hotkeys->deliver(other);
    EXPECT_TRUE(dialogs->take().empty());
    expectNothingFilled();

    choose(QString(), QStringLiteral("pw"));  // the checks come first, whatever the identifier
    hotkeys->deliver(other);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kChooseFirst});
    expectNothingFilled();
}

// ---- paste mode and keystroke mode ----------------------------------------------------------

class AutoFillModes : public AutoFill, public ::testing::WithParamInterface<Hotkey> {
protected:
    QString fieldText() {
        return (GetParam() == Hotkey::Account ? main().Edit_ZhangHao : main().Edit_MiMa_Temp)->text();
    }
};

TEST_P(AutoFillModes, PasteModeCopiesTheFieldWaitsAndSendsCtrlVWithVHeld) {
    logIn();
    choose(QStringLiteral("alice@example.org"), QStringLiteral("Pw-9 x"));
    useMode(Mode::Paste);

    press(GetParam());

    // The copy button's own work: the whole field, marked secret, and the wipe armed.
    EXPECT_EQ(clipboard->calls, std::vector<std::string>{"text " + fieldText().toStdString() + " (secret)"});
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    EXPECT_EQ(keyboard->timelineText(), "sleep 800 ungrab modifiers 2000 begin Ctrl↓ V↓ sleep 300 V↑ Ctrl↑ end");
    const std::uint8_t ctrlScan = keyboard->mapVirtualKey(vk::Control) & 0xFF;
    const std::uint8_t vScan = keyboard->mapVirtualKey(vk::KeyV) & 0xFF;
    EXPECT_EQ(keyboard->events,
              (std::vector<test::RecordedKeyEvent>{{vk::Control, ctrlScan, 0},
                                                   {vk::KeyV, vScan, 0},
                                                   {vk::KeyV, vScan, platform::KeyEventKeyUp},
                                                   {vk::Control, ctrlScan, platform::KeyEventKeyUp}}));
}

TEST_P(AutoFillModes, KeystrokeModeWaitsAndTypesTheFieldThroughTheKeySender) {
    logIn();
    choose(QStringLiteral("alice@example.org"), QStringLiteral("Pw-9 x"));
    useMode(Mode::Keystroke);

    press(GetParam());

    const std::string timeline = keyboard->timelineText();
    EXPECT_EQ(timeline.rfind("sleep 300 ungrab modifiers 2000 begin ", 0), 0u) << timeline;
    EXPECT_EQ(timeline.substr(timeline.size() - 4), " end") << timeline;
    EXPECT_EQ(keyboard->typedText(), fieldText().toStdString());
    EXPECT_EQ(keyboard->bursts, 1);
    EXPECT_EQ(keyboard->eventsOutsideTyping, 0);
    EXPECT_TRUE(keyboard->keysDown().empty());
    // Nothing goes by the clipboard.
    EXPECT_TRUE(clipboard->calls.empty());
    EXPECT_FALSE(main().Timer_ClearClipbrd->isActive());
}

TEST_P(AutoFillModes, TheHotkeysKeepTypingTheLastRecordWhileTheProgramIsHidden) {
    logIn();
    choose(QStringLiteral("bob"), QStringLiteral("hidden-pw"));
    useMode(Mode::Keystroke);
    platform::trigger(main().HideME);
    ASSERT_FALSE(main().isVisible());

    press(GetParam());

    EXPECT_EQ(keyboard->typedText(), fieldText().toStdString());
    EXPECT_TRUE(dialogs->take().empty());
}

TEST_P(AutoFillModes, TheModeIsReadAtEveryPressSavedOrNot) {
    logIn();
    choose(QStringLiteral("carol"), QStringLiteral("pw1"));
    useMode(Mode::Keystroke);
    press(GetParam());
    EXPECT_TRUE(clipboard->calls.empty());

    useMode(Mode::Paste);
    keyboard->timeline.clear();
    press(GetParam());
    EXPECT_EQ(clipboard->text, fieldText());
    EXPECT_EQ(keyboard->timeline.front(), "sleep 800");
}

INSTANTIATE_TEST_SUITE_P(BothHotkeys, AutoFillModes, ::testing::Values(Hotkey::Account, Hotkey::Password),
                         [](const auto& info) { return info.param == Hotkey::Account ? "Account" : "Password"; });

// A terminal takes Ctrl+V as a control character: paste mode sends the paste key of the program
// whose window has the focus, and for one that pastes the primary selection puts the field there too.
struct PasteKeyCase {
    const char* name;
    std::optional<platform::WindowClass> focused;
    const char* keys;  // between the burst's begin and end
    bool primary;
};

class PasteKeyOfTheFocusedProgram : public AutoFill, public ::testing::WithParamInterface<PasteKeyCase> {
protected:
    test::ScopedRecordingFocusedWindow focus;
};

TEST_P(PasteKeyOfTheFocusedProgram, IsSentAfterTheCopy) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("Pw-9 x"));
    useMode(Mode::Paste);
    focus->focused = GetParam().focused;

    press(Hotkey::Password);

    EXPECT_EQ(keyboard->timelineText(),
              std::string("sleep 800 ungrab modifiers 2000 begin ") + GetParam().keys + " end");
    std::vector<std::string> copies{"text Pw-9 x (secret)"};
    if (GetParam().primary) copies.push_back("primary Pw-9 x (secret)");
    EXPECT_EQ(clipboard->calls, copies);
    EXPECT_TRUE(keyboard->keysDown().empty());
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());

    // The wipe empties what the paste key read, the primary selection too.
    QMetaObject::invokeMethod(main().Timer_ClearClipbrd, "timeout");
    EXPECT_TRUE(clipboard->text.isEmpty());
    EXPECT_TRUE(clipboard->primary.isEmpty());
}

const char* const kCtrlV = "Ctrl↓ V↓ sleep 300 V↑ Ctrl↑";
const char* const kCtrlShiftV = "Ctrl↓ Shift↓ V↓ sleep 300 V↑ Shift↑ Ctrl↑";
const char* const kShiftInsert = "Shift↓ Ins*↓ sleep 300 Ins*↑ Shift↑";

INSTANTIATE_TEST_SUITE_P(
    Programs, PasteKeyOfTheFocusedProgram,
    ::testing::Values(PasteKeyCase{"xterm", platform::WindowClass{"xterm", "XTerm"}, kShiftInsert, true},
                      PasteKeyCase{"xtermRenamed", platform::WindowClass{"mine", "XTerm"}, kShiftInsert, true},
                      PasteKeyCase{"urxvt", platform::WindowClass{"urxvt", "URxvt"}, kShiftInsert, true},
                      PasteKeyCase{"gnomeTerminal", platform::WindowClass{"gnome-terminal-server", "Gnome-terminal"},
                                   kCtrlShiftV, false},
                      PasteKeyCase{"xfce4Terminal", platform::WindowClass{"xfce4-terminal", "Xfce4-terminal"},
                                   kCtrlShiftV, false},
                      PasteKeyCase{"konsole", platform::WindowClass{"konsole", "konsole"}, kCtrlShiftV, false},
                      PasteKeyCase{"alacritty", platform::WindowClass{"Alacritty", "Alacritty"}, kCtrlShiftV, false},
                      PasteKeyCase{"firefox", platform::WindowClass{"Navigator", "firefox"}, kCtrlV, false},
                      PasteKeyCase{"gedit", platform::WindowClass{"gedit", "Gedit"}, kCtrlV, false},
                      PasteKeyCase{"noWindowKnown", std::nullopt, kCtrlV, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A password is handed to the key sender unchanged, so its command characters act as commands.
struct KeyLanguageCase {
    const char* name;
    const char16_t* password;
    const char* typed;
};

class AutoFillKeyLanguage : public AutoFill, public ::testing::WithParamInterface<KeyLanguageCase> {};

TEST_P(AutoFillKeyLanguage, ReadsThePasswordAsTheKeyLanguage) {
    logIn();
    choose(QStringLiteral("alice"), QString::fromUtf16(GetParam().password));
    useMode(Mode::Keystroke);
    press(Hotkey::Password);
    EXPECT_EQ(keyboard->typedText(), GetParam().typed);
}

INSTANTIATE_TEST_SUITE_P(Passwords, AutoFillKeyLanguage,
                         ::testing::Values(KeyLanguageCase{"Group", u"p(a)ss", "pass"},
                                           KeyLanguageCase{"ShiftMark", u"a+b", "aB"},
                                           KeyLanguageCase{"Enter", u"x~", "x<Enter>"},
                                           KeyLanguageCase{"Braces", u"{{}k{}}", "{k}"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoFill, AnErrorOfTheKeySenderReachesTheStandardErrorBox) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("a{ENTER -}b"));
    useMode(Mode::Keystroke);

    press(Hotkey::Password);

    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
    EXPECT_EQ(boxes[0].text, QStringLiteral("'-' is not a valid integer value"));
    EXPECT_EQ(keyboard->typedText(), "a");  // nothing after the bad count
}

TEST_F(AutoFill, ACharacterWithoutAKeyGetsTheSendersMessageAndTheRestIsTyped) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("a中b"));
    useMode(Mode::Keystroke);

    press(Hotkey::Password);

    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("SendKeys"));
    EXPECT_EQ(keyboard->typedText(), "ab");
}

// ---- an input method in the focused window ----------------------------------------------------

TEST_F(AutoFill, KeystrokesGoPastAnActiveInputMethodWhichIsActiveAgainAfterwards) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("abc123"));
    useMode(Mode::Keystroke);
    inputMethod->active = true;

    press(Hotkey::Password);

    const std::string timeline = keyboard->timelineText();
    EXPECT_EQ(timeline.rfind("sleep 300 ungrab modifiers 2000 im inactive begin ", 0), 0u) << timeline;
    // The input method comes back after a wait that lets the focused program take in the keys.
    EXPECT_NE(timeline.find(" end sleep "), std::string::npos) << timeline;
    EXPECT_EQ(timeline.substr(timeline.size() - 10), " im active") << timeline;
    EXPECT_EQ(keyboard->typedText(), "abc123");
    EXPECT_EQ(inputMethod->active, true);
}

TEST_F(AutoFill, AnInactiveOrUnreachableInputMethodIsLeftAloneAndTheKeysGoOut) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("abc123"));
    useMode(Mode::Keystroke);
    for (const std::optional<bool> state : {std::optional<bool>(false), std::optional<bool>()}) {
        inputMethod->active = state;
        keyboard->events.clear();
        press(Hotkey::Password);
        EXPECT_EQ(keyboard->typedText(), "abc123");
        EXPECT_TRUE(inputMethod->switches.empty());
        EXPECT_EQ(inputMethod->active, state);
    }
}

TEST_F(AutoFill, PasteModeLeavesAnActiveInputMethodAlone) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("abc123"));
    useMode(Mode::Paste);
    inputMethod->active = true;

    press(Hotkey::Password);

    EXPECT_TRUE(inputMethod->switches.empty());
    EXPECT_EQ(keyboard->typedText(), "<Ctrl+V>");
}

TEST_F(AutoFill, AnErrorOfTheKeySenderStillMakesTheInputMethodActiveAgain) {
    logIn();
    choose(QStringLiteral("alice"), QStringLiteral("a{ENTER x}b"));
    useMode(Mode::Keystroke);
    inputMethod->active = true;

    press(Hotkey::Password);

    EXPECT_EQ(dialogs->take().size(), 1u);
    EXPECT_EQ(inputMethod->switches, (std::vector<std::string>{"inactive", "active"}));
}

}  // namespace
