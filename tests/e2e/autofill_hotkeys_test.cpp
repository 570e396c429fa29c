// The auto-fill as a user meets it: the built program with a record chosen in its grid, another
// program holding the keyboard focus, and Ctrl+Left / Ctrl+Right pressed through the X server.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

QString printableAscii() { return QString::fromLatin1(printableAsciiOutsideKeyLanguage()); }

const QString kNoKeyMessage = QStringLiteral("SendKeys\t程序不支持（中文、全角等非ASCII码字符的密码）自动输入.");

class TypingModes : public AutoFillDesktop, public testing::WithParamInterface<TypingMode> {
protected:
    bool pasting() const { return GetParam() == TypingMode::Paste; }
    // Without Config.ini the program starts in keystroke mode.
    void prepare(const QString& account, const QString& password) {
        storeRecord(account, password);
        if (pasting()) savePasteMode();
    }
};

TEST_P(TypingModes, FillTheAccountAndEveryPrintablePasswordIntoAnotherProgram) {
    useLayout("us");
    prepare(QStringLiteral("a+b"), printableAscii());
    startAndChooseRecord();
    startTarget();

    // Keystrokes read the account as the key language; a paste brings its characters.
    expectBothFilled(pasting() ? QStringLiteral("a+b") : QStringLiteral("aB"), printableAscii());
    EXPECT_EQ(clipboardText(), pasting() ? printableAscii() : QString());
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_P(TypingModes, FillWhileTheProgramIsHiddenInTheTray) {
    startTrayHost();
    prepare(QStringLiteral("a+b"), QStringLiteral("p(a)ss a+b"));
    const XWindowId main = startAndChooseRecord();
    chooseFromTrayMenu(TrayEntry::HideWindow);
    ASSERT_TRUE(waitUntil([&] { return !desktop().isViewable(main); })) << "the main window stayed";
    startTarget();

    expectBothFilled(pasting() ? QStringLiteral("a+b") : QStringLiteral("aB"),
                     pasting() ? QStringLiteral("p(a)ss a+b") : QStringLiteral("pass aB"));
    EXPECT_FALSE(desktop().isViewable(main));
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AutoFill, TypingModes, testing::Values(TypingMode::Keystroke, TypingMode::Paste),
                         [](const testing::TestParamInfo<TypingMode>& info) {
                             return std::string(info.param == TypingMode::Paste ? "Paste" : "Keystroke");
                         });

class AutoFill : public AutoFillDesktop {};

TEST_F(AutoFill, CapsLockChangesNothingThatArrivesAndStaysOn) {
    useLayout("us");
    storeRecord(QStringLiteral("Alice"), printableAscii());
    startAndChooseRecord();
    startTarget();
    press("Caps_Lock");
    ASSERT_TRUE(waitUntil([&] { return capsLockOn(); }));

    expectBothFilled(QStringLiteral("Alice"), printableAscii());
    EXPECT_TRUE(capsLockOn());
}

TEST_F(AutoFill, UnderTheGermanLayoutCharactersOfAltGrAndOfNoKeyArriveToo) {
    useLayout("de");
    const QString password = printableAscii() + QStringLiteral("é€中");
    storeRecord(QStringLiteral("user.name@example.com"), password);
    startAndChooseRecord();
    startTarget();

    expectBothFilled(QStringLiteral("user.name@example.com"), password);
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(AutoFill, PasteModeOnALayoutWithoutALatinVStillPastes) {
    useLayout("ru");
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-ru-1"));
    savePasteMode();
    startAndChooseRecord();
    TargetProgram& target = startTarget();

    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("pw-ru-1")), QStringLiteral("pw-ru-1"));
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(AutoFill, AHotkeyAnotherProgramHoldsIsToldOfAfterTheLoginAndTheOtherOneWorks) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-2"));
    const HeldHotkey heldElsewhere(xvfb().display(), "Left");
    start();
    logIn();
    answerBox(waitForBox());
    EXPECT_EQ(
        home().shownBoxes(),
        QStringList{applicationTitle() + QStringLiteral("\t热键 Ctrl + ←（自动输入帐号） 已被其他程序占用，无法注册，"
                                                        "按下时不会自动输入。请关闭占用的程序，然后重新登录。")});
    chooseRecord(*mainWindow());
    TargetProgram& target = startTarget();
    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("pw-2")), QStringLiteral("pw-2"));
}

TEST_F(AutoFill, TheKeysWaitUntilTheUserLetsGoOfCtrlAndGetPastTheHeldArrowKey) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw"));
    startAndChooseRecord();
    TargetProgram& target = startTarget();
    switchOffAutoRepeat();

    // Ctrl is let go a second after the press, well after the 300 ms wait; the arrow key stays
    // down, and with it the keyboard grab of the hotkey, until the password has arrived.
    xdotool({"keydown", "ctrl+Right", "sleep", "1", "keyup", "ctrl"});
    EXPECT_EQ(target.waitFor(QStringLiteral("pw")), QStringLiteral("pw"));
    xdotool({"keyup", "Right"});
}

TEST_F(AutoFill, APasteAfterAnotherProgramsCopyBringsThePassword) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("mine-2"));
    savePasteMode();
    startAndChooseRecord();
    TargetProgram& target = startTarget();
    // The program has seen no event since this copy: its own copy must still take the clipboard.
    copyElsewhere(QStringLiteral("another program's text"));

    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("mine-2")), QStringLiteral("mine-2"));
    EXPECT_EQ(clipboardText(), QStringLiteral("mine-2"));
}

TEST_F(AutoFill, TheSavedPasteModeComesBackAtTheNextStartAndTheCloseWipesTheClipboard) {
    startTrayHost();
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-1"));
    ProgramProcess& first = start();
    XWindowId main = logIn();
    chooseRecord(main);
    const TargetProgram& firstTarget = startTarget();
    press("ctrl+Right");
    EXPECT_EQ(firstTarget.waitFor(QStringLiteral("pw-1")), QStringLiteral("pw-1"));
    EXPECT_EQ(clipboardText(), QString()) << "no Config.ini: keystroke mode";

    ASSERT_TRUE(desktop().focus(main));
    clickInWindow(main, fillPlace::kSettingsTab);
    clickInWindow(main, fillPlace::kPasteModeButton);
    clickInWindow(main, fillPlace::kSaveSettingsButton);
    answerBox(waitForBox());
    EXPECT_EQ(home().shownBoxes(), QStringList{QStringLiteral("Tessavo个人版\t配置保存成功！")});
    chooseFromTrayMenu(TrayEntry::Quit);
    ASSERT_EQ(first.waitForExit(), 0);

    ProgramProcess& second = start();
    main = logIn();
    chooseRecord(main);
    TargetProgram& target = startTarget();
    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("pw-1")), QStringLiteral("pw-1"));
    EXPECT_EQ(clipboardText(), QStringLiteral("pw-1")) << "paste mode goes by the clipboard";

    // What another program copied afterwards goes too.
    copyElsewhere(QStringLiteral("another program's text"));
    // Another way out: hidden, the icon asks for the password, and "退出" ends the program.
    clickInWindow(main, place::kHideButton);
    clickTrayIcon();
    clickInWindow(waitForLoginWindow(), place::kExitButton);
    ASSERT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(clipboardText(), QString());
}

}  // namespace
}  // namespace tessavo::test
