// The login gate and the login window of the built program: the correct password, the lockout,
// the exit button and the gate without a stored management password.
#include <gtest/gtest.h>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class Login : public EndToEnd {
protected:
    // Waits for the end of the program while watching that no window of it comes up again.
    void expectEndWithoutAnotherWindow(ProgramProcess& process) {
        bool windowShown = false;
        EXPECT_TRUE(waitUntil([&] {
            windowShown |= !desktop().shownWindows(process.pid()).empty();
            return !process.running();
        })) << "the program did not end";
        EXPECT_FALSE(windowShown);
        EXPECT_EQ(process.waitForExit(), 0);
    }
};

TEST_F(Login, TheDefaultPasswordShowsTheMainWindowWithItsCaption) {
    ProgramProcess& process = start();
    const XWindowId login = waitForLoginWindow();
    const XWindowId main = logIn(QStringLiteral("vorel"));

    EXPECT_EQ(desktop().title(main), mainCaption());
    EXPECT_EQ(desktop().geometry(main).size(), QSize(581, 595));
    EXPECT_LE(offCentre(main).manhattanLength(), 2) << "centred on the screen";
    EXPECT_FALSE(desktop().isViewable(login));
    EXPECT_EQ(desktop().shownWindows(process.pid()), std::vector<XWindowId>{main});
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(Login, ThreeWrongEntriesEndTheProgramAfterTheLockoutMessage) {
    ProgramProcess& process = start();
    const XWindowId login = waitForLoginWindow();
    // A click into the entry clears it; a different letter case is a different password.
    for (const QString& wrong : {QStringLiteral("VOREL"), QStringLiteral("vore"), QStringLiteral("vorel0")}) {
        clickInWindow(login, place::kPasswordEntry);
        typeAndEnter(login, wrong);
    }
    const XWindowId box = waitForBox();
    EXPECT_EQ(home().shownBoxes(),
              QStringList{QStringLiteral("Tessavo个人版\t由于您多次输入了无效的密码程序将要退出...")})
        << "no message before the third wrong entry";
    EXPECT_FALSE(mainWindow());
    answerBox(box);
    expectEndWithoutAnotherWindow(process);
}

TEST_F(Login, TheExitButtonEndsTheProgram) {
    ProgramProcess& process = start();
    clickInWindow(waitForLoginWindow(), place::kExitButton);
    expectEndWithoutAnotherWindow(process);
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(Login, WithoutAStoredManagementPasswordTheProgramEndsAtTheGateWithoutAWord) {
    install().runSql(QStringLiteral("delete from Pass;"));
    ProgramProcess& process = start();
    expectEndWithoutAnotherWindow(process);
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

}  // namespace
}  // namespace tessavo::test
