// `tessavo --fill account|password`, as a desktop's own shortcut runs it: a second process of the
// built program asks the running one to fill the focused program, exactly as the hotkeys would.
#include <gtest/gtest.h>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/FakePortal.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kNoInstance = QStringLiteral("Tessavo个人版 没有在运行，无法自动输入。");
const QString kWaylandMissing = QStringLiteral("无法自动输入：当前是 Wayland 会话，没有可用的 Wayland 键盘接口");

class FillCommand : public AutoFillDesktop {
protected:
    // Runs `tessavo <arguments>` beside the running instance; returns its exit code.
    std::optional<int> runFill(const QStringList& arguments) {
        ProgramProcess& command = startWith({arguments, {}});
        const std::optional<int> exitCode = command.waitForExit();
        lastOutput_ = command.output();
        return exitCode;
    }
    QString lastOutput_;
};

TEST_F(FillCommand, FillsTheAccountAndThePasswordIntoTheFocusedProgram) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("p(a)ss a+b"));
    startAndChooseRecord();
    TargetProgram& target = startTarget();

    EXPECT_EQ(runFill({"--fill", "account"}), 0) << lastOutput_.toStdString();
    EXPECT_EQ(target.waitFor(QStringLiteral("alice")), QStringLiteral("alice"));
    target.clear();
    EXPECT_EQ(runFill({"--fill=password"}), 0) << lastOutput_.toStdString();
    EXPECT_EQ(target.waitFor(QStringLiteral("pass aB")), QStringLiteral("pass aB")) << "typed as the key language";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
    EXPECT_TRUE(program().running());
}

TEST_F(FillCommand, PastesInPasteMode) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("p(a)ss a+b"));
    savePasteMode();
    startAndChooseRecord();
    TargetProgram& target = startTarget();

    EXPECT_EQ(runFill({"--fill", "password"}), 0) << lastOutput_.toStdString();
    EXPECT_EQ(target.waitFor(QStringLiteral("p(a)ss a+b")), QStringLiteral("p(a)ss a+b"));
    EXPECT_EQ(clipboardText(), QStringLiteral("p(a)ss a+b"));
}

TEST_F(FillCommand, FillsEvenWhenAnotherProgramHoldsTheHotkey) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-2"));
    const HeldHotkey heldElsewhere(xvfb().display(), "Left");
    start();
    logIn();
    answerBox(waitForBox());  // the taken hotkey is told of
    chooseRecord(*mainWindow());
    TargetProgram& target = startTarget();

    EXPECT_EQ(runFill({"--fill", "account"}), 0) << lastOutput_.toStdString();
    EXPECT_EQ(target.waitFor(QStringLiteral("alice")), QStringLiteral("alice"));
}

TEST_F(FillCommand, WithNoRecordChosenSaysSoAsTheHotkeyDoes) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw"));
    start();
    logIn();
    TargetProgram& target = startTarget();

    EXPECT_EQ(runFill({"--fill", "password"}), 0);
    answerBox(waitForBox());
    EXPECT_EQ(home().shownBoxes(),
              QStringList{applicationTitle() + QStringLiteral("\t请先选择一组帐号,才能自动输入账户密码.!")});
    EXPECT_TRUE(target.received().isEmpty());
}

TEST_F(FillCommand, WhileOnlyTheLoginWindowIsUpDoesNothingAsTheHotkeys) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-3"));
    start();
    const XWindowId login = waitForLoginWindow();
    TargetProgram& target = startTarget();
    EXPECT_EQ(runFill({"--fill", "password"}), 0) << lastOutput_.toStdString();
    press("ctrl+Right");  // what the hotkey does here: nothing, it is not registered yet

    // Requests are handled in order: once a later fill has arrived, the first one was handled.
    const XWindowId main = logIn();
    EXPECT_NE(main, login);
    chooseRecord(main);
    ASSERT_TRUE(target.focus());
    EXPECT_EQ(runFill({"--fill", "password"}), 0) << lastOutput_.toStdString();
    EXPECT_EQ(target.waitFor(QStringLiteral("pw-3")), QStringLiteral("pw-3")) << "the password once, not twice";
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
}

TEST_F(FillCommand, WithoutARunningInstanceSaysSoAndShowsNoWindow) {
    install();
    EXPECT_EQ(runFill({"--fill", "password"}), 1);
    EXPECT_TRUE(lastOutput_.contains(kNoInstance)) << lastOutput_.toStdString();
    EXPECT_FALSE(desktop().shownWindow(loginTitle()));
    EXPECT_FALSE(desktop().shownWindow(mainCaption()));
}

TEST_F(FillCommand, ABadCommandLineGetsTheUsageAndStartsNothing) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw"));
    start();
    waitForLoginWindow();
    const QStringList badCommandLines[] = {{"--fill"}, {"--fill", "foo"}, {"--fill", "password", "account"}};
    for (const QStringList& arguments : badCommandLines) {
        EXPECT_EQ(runFill(arguments), 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(lastOutput_.contains(QStringLiteral("用法: tessavo [--fill account|password]")))
            << lastOutput_.toStdString();
    }
    EXPECT_TRUE(program().running());
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

// On a Wayland session nothing of this build can type into a Wayland window: a fill command
// says so once, and in paste mode leaves the copy on the clipboard for the user's Ctrl+V.
class FillCommandOnWayland : public FillCommand, public testing::WithParamInterface<TypingMode> {};

TEST_P(FillCommandOnWayland, SaysWhatIsMissingInsteadOfTyping) {
    const bool pasting = GetParam() == TypingMode::Paste;
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-4"));
    if (pasting) savePasteMode();
    startWith({{}, {{"WAYLAND_DISPLAY", "wayland-tessavo-test"}, {"XDG_SESSION_TYPE", "wayland"}}});
    chooseRecord(logIn());
    TargetProgram& target = startTarget();

    EXPECT_EQ(runFill({"--fill", "password"}), 0) << lastOutput_.toStdString();
    answerBox(waitForBox());
    const QStringList boxes = home().shownBoxes();
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'|').toStdString();
    EXPECT_TRUE(boxes.front().contains(kWaylandMissing)) << boxes.front().toStdString();
    EXPECT_TRUE(
        boxes.front().contains(pasting ? QStringLiteral("密码已复制到剪贴板") : QStringLiteral("帐号密码粘贴式")))
        << boxes.front().toStdString();
    EXPECT_EQ(clipboardText(), pasting ? QStringLiteral("pw-4") : QString());
    EXPECT_TRUE(target.received().isEmpty());

    // The hotkey reaches the program only while an X11 window has the focus: it still types there.
    ASSERT_TRUE(target.focus());  // the answered box gave the focus back to our window
    target.clear();
    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("pw-4")), QStringLiteral("pw-4"));
}

// On GNOME or KDE the keys go through the desktop portal: here a fake one on a private session
// bus, which records the keysyms the program sends and plays KDE's global shortcuts.
TEST_F(FillCommand, OnAPortalDesktopTheCommandAndTheDesktopsShortcutTypeThroughThePortal) {
    FakePortal portal;
    ASSERT_TRUE(portal.running());
    storeRecord(QStringLiteral("alice"), QStringLiteral("pw-4"));
    startWith({{},
               {{"WAYLAND_DISPLAY", "wayland-tessavo-test"},
                {"XDG_SESSION_TYPE", "wayland"},
                {"DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(portal.address())}}});
    chooseRecord(logIn());
    // The desktop asked once, at start; the login bound the two shortcuts.
    ASSERT_TRUE(waitUntil([&] { return portal.logOf(QStringLiteral("GlobalShortcuts.BindShortcuts")).size() == 2; }));
    EXPECT_EQ(
        portal.logOf(QStringLiteral("RemoteDesktop")),
        (QStringList{"RemoteDesktop.CreateSession", "RemoteDesktop.SelectDevices types=1", "RemoteDesktop.Start"}));

    EXPECT_EQ(runFill({"--fill", "password"}), 0) << lastOutput_.toStdString();
    const QStringList password{"keysym 0x70 down", "keysym 0x70 up", "keysym 0x77 down", "keysym 0x77 up",
                               "keysym 0x2d down", "keysym 0x2d up", "keysym 0x34 down", "keysym 0x34 up"};
    EXPECT_TRUE(waitUntil([&] { return portal.logOf(QStringLiteral("keysym")) == password; }))
        << portal.log().join(u'\n').toStdString();

    portal.use(QStringLiteral("fill-account"));
    const QStringList account{"keysym 0x61 down", "keysym 0x61 up", "keysym 0x6c down", "keysym 0x6c up",
                              "keysym 0x69 down", "keysym 0x69 up", "keysym 0x63 down", "keysym 0x63 up",
                              "keysym 0x65 down", "keysym 0x65 up"};
    EXPECT_TRUE(waitUntil([&] { return portal.logOf(QStringLiteral("keysym")) == password + account; }))
        << portal.log().join(u'\n').toStdString();
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(FillCommand, FillCommandOnWayland, testing::Values(TypingMode::Keystroke, TypingMode::Paste),
                         [](const testing::TestParamInfo<TypingMode>& info) {
                             return std::string(info.param == TypingMode::Paste ? "Paste" : "Keystroke");
                         });

}  // namespace
}  // namespace tessavo::test
