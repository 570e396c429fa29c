// Registration and release of the two auto-fill hotkeys, over hotkeys that record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autofill/Hotkeys.h"
#include "platform/keyboard/GlobalAtoms.h"
#include "platform/keyboard/GlobalHotkeys.h"
#include "tests/support/RecordingHotkeys.h"
#include "tests/support/ScriptedDialogs.h"

using namespace tessavo;
using platform::globalAtomReferences;
using platform::GlobalFindAtom;

namespace {

using Calls = std::vector<std::string>;

std::string hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

class AutoFillHotkeys : public ::testing::Test {
protected:
    void TearDown() override {
        autofill::ReleaseAutoFillHotkeys();
        // Registrations of the test beyond the one release go too.
        for (const char* name : {"8", "9"}) {
            while (const std::uint16_t atom = GlobalFindAtom(QString::fromLatin1(name)))
                platform::GlobalDeleteAtom(atom);
        }
    }

    int references(const char* atomName) { return globalAtomReferences(GlobalFindAtom(QString::fromLatin1(atomName))); }

    test::ScopedRecordingHotkeys hotkeys;
    test::ScopedScriptedDialogs dialogs;
    autofill::AutoFillTargets targets;  // never reached: nothing is pressed here
};

TEST_F(AutoFillHotkeys, ReleaseWithoutALoginDoesNothing) {
    autofill::ReleaseAutoFillHotkeys();
    EXPECT_TRUE(hotkeys->calls.empty());
    EXPECT_EQ(autofill::HotkeyAccountId(), 0);
    EXPECT_EQ(autofill::HotkeyPasswordId(), 0);
}

TEST_F(AutoFillHotkeys, RegistrationTakesTheAtomsEightAndNineAsCtrlLeftAndCtrlRight) {
    autofill::RegisterAutoFillHotkeys(targets);

    const int account = autofill::HotkeyAccountId();
    const int password = autofill::HotkeyPasswordId();
    EXPECT_EQ(account, GlobalFindAtom(QStringLiteral("8")));
    EXPECT_EQ(password, GlobalFindAtom(QStringLiteral("9")));
    EXPECT_NE(account, 0);
    EXPECT_NE(account, password);
    EXPECT_EQ(references("8"), 1);
    EXPECT_EQ(references("9"), 1);
    // MOD_CONTROL with VK_LEFT, then with VK_RIGHT.
    EXPECT_EQ(hotkeys->calls, (Calls{"register " + hex(account) + " 2 25", "register " + hex(password) + " 2 27"}));
}

TEST_F(AutoFillHotkeys, EachLoginAddsAReferenceAndTheReleaseDropsOneOfEach) {
    autofill::RegisterAutoFillHotkeys(targets);
    const int account = autofill::HotkeyAccountId();
    const int password = autofill::HotkeyPasswordId();
    autofill::RegisterAutoFillHotkeys(targets);

    EXPECT_EQ(autofill::HotkeyAccountId(), account);  // the same atoms
    EXPECT_EQ(autofill::HotkeyPasswordId(), password);
    EXPECT_EQ(references("8"), 2);
    EXPECT_EQ(references("9"), 2);
    EXPECT_EQ(hotkeys->calls.size(), 4u);  // both requested again
    EXPECT_EQ(hotkeys->registered.size(), 2u);

    hotkeys->calls.clear();
    autofill::ReleaseAutoFillHotkeys();
    EXPECT_EQ(hotkeys->calls, (Calls{"unregister " + hex(account), "unregister " + hex(password)}));
    EXPECT_TRUE(hotkeys->registered.empty());
    EXPECT_EQ(references("8"), 1);
    EXPECT_EQ(references("9"), 1);

    hotkeys->calls.clear();
    autofill::ReleaseAutoFillHotkeys();  // released already: nothing more is dropped
    EXPECT_TRUE(hotkeys->calls.empty());
    EXPECT_EQ(references("8"), 1);
}

TEST_F(AutoFillHotkeys, TheReleaseAfterOneLoginDeletesTheAtoms) {
    autofill::RegisterAutoFillHotkeys(targets);
    autofill::ReleaseAutoFillHotkeys();
    EXPECT_EQ(GlobalFindAtom(QStringLiteral("8")), 0);
    EXPECT_EQ(GlobalFindAtom(QStringLiteral("9")), 0);
    EXPECT_EQ(autofill::HotkeyAccountId(), 0);
    EXPECT_EQ(autofill::HotkeyPasswordId(), 0);
}

const QString kLeftHeld = QStringLiteral(
    "热键 Ctrl + ←（自动输入帐号） 已被其他程序占用，无法注册，按下时不会自动输入。请关闭占用的程序，然后重新登录。");

TEST_F(AutoFillHotkeys, AHotkeyAnotherProgramHoldsIsToldOfOnceAndTheOtherOneStillWorks) {
    hotkeys->heldElsewhere = {0x25};
    autofill::RegisterAutoFillHotkeys(targets);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kLeftHeld});
    EXPECT_EQ(hotkeys->registered.count(autofill::HotkeyPasswordId()), 1u) << "Ctrl+Right is registered all the same";

    autofill::RegisterAutoFillHotkeys(targets);  // the next login: still held, not told again
    EXPECT_TRUE(dialogs->takeTexts().empty());

    hotkeys->heldElsewhere = {0x25, 0x27};
    autofill::RegisterAutoFillHotkeys(targets);  // Ctrl+Right is lost as well: only it is new
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral(
                                        "热键 Ctrl + →（自动输入密码） 已被其他程序占用，无法注册，按下时不会自动输入。"
                                        "请关闭占用的程序，然后重新登录。")});

    hotkeys->heldElsewhere = {};
    autofill::RegisterAutoFillHotkeys(targets);  // both free again: nothing to tell
    EXPECT_TRUE(dialogs->takeTexts().empty());
    hotkeys->heldElsewhere = {0x25};
    autofill::RegisterAutoFillHotkeys(targets);  // lost anew: told anew
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kLeftHeld});
}

TEST_F(AutoFillHotkeys, BothHotkeysHeldElsewhereAreNamedInOneMessage) {
    hotkeys->heldElsewhere = {0x25, 0x27};
    autofill::RegisterAutoFillHotkeys(targets);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral(
                                        "热键 Ctrl + ←（自动输入帐号）、Ctrl + →（自动输入密码） 已被其他程序占用，"
                                        "无法注册，按下时不会自动输入。请关闭占用的程序，然后重新登录。")});
}

// Xwayland refuses a grab while its keymap lacks the key: no other program holds it then.
TEST_F(AutoFillHotkeys, AKeyTheKeyboardLacksIsNotToldOfAsAnotherProgramsAndNoLaterLoginTellsOfIt) {
    hotkeys->missingKeys = {0x25};
    autofill::RegisterAutoFillHotkeys(targets);
    EXPECT_TRUE(dialogs->takeTexts().empty());
    EXPECT_EQ(hotkeys->registered.count(autofill::HotkeyAccountId()), 0u);
    EXPECT_EQ(hotkeys->registered.count(autofill::HotkeyPasswordId()), 1u);

    hotkeys->heldElsewhere = {0x27};
    autofill::RegisterAutoFillHotkeys(targets);  // only the key another program holds is named
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral(
                                        "热键 Ctrl + →（自动输入密码） 已被其他程序占用，无法注册，按下时不会自动输入。"
                                        "请关闭占用的程序，然后重新登录。")});

    hotkeys->missingKeys = {};
    hotkeys->heldElsewhere = {};
    autofill::RegisterAutoFillHotkeys(targets);  // the keyboard has the key now: both are ours
    EXPECT_TRUE(dialogs->takeTexts().empty());
    EXPECT_EQ(hotkeys->registered.size(), 2u);
}

TEST_F(AutoFillHotkeys, WithoutSystemWideHotkeysNothingIsToldOfAnotherProgram) {
    hotkeys->systemWide = false;
    hotkeys->heldElsewhere = {0x25, 0x27};
    autofill::RegisterAutoFillHotkeys(targets);
    EXPECT_TRUE(dialogs->takeTexts().empty());
    EXPECT_TRUE(hotkeys->registered.empty());
}

}  // namespace
