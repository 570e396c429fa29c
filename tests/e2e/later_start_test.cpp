// A later start of the built program reaches the running one: it shows the program as a click
// on its tray icon would, and ends. Without a tray, hiding keeps the login window as the way back.
#include <gtest/gtest.h>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kSkipTaskbar = QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR");

class LaterStart : public EndToEnd {
protected:
    // Logs in and hides the main window with "最小化"; returns the main window.
    XWindowId logInAndHide() {
        const XWindowId main = logIn();
        clickInWindow(main, place::kHideButton);
        if (!waitUntil([&] { return !desktop().isViewable(main); })) ADD_FAILURE() << "the main window stayed";
        return main;
    }

    // Starts the program again and expects that start to end at once, quietly.
    void startAgain() {
        ProgramProcess& again = start();
        EXPECT_EQ(again.waitForExit(), 0);
        EXPECT_TRUE(again.output().isEmpty()) << again.output().toStdString();
    }
};

TEST_F(LaterStart, BringsBackTheProgramHiddenInTheTray) {
    startTrayHost();
    ProgramProcess& first = start();
    const XWindowId main = logInAndHide();
    EXPECT_FALSE(desktop().shownWindow(loginTitle())) << "hidden in the tray";

    startAgain();
    waitForLoginWindow();
    EXPECT_FALSE(desktop().isViewable(main)) << "the password comes first";
    EXPECT_EQ(desktop().title(logIn()), mainCaption());
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(LaterStart, WithoutATrayHidingLeavesTheLoginWindowOnTheTaskbar) {
    ProgramProcess& first = start();
    const XWindowId main = logInAndHide();
    // Minimised; with no window manager on this display it stays in sight.
    const XWindowId login = waitForLoginWindow();
    EXPECT_FALSE(desktop().isViewable(main));
    EXPECT_FALSE(desktop().states(login).contains(kSkipTaskbar)) << desktop().states(login).join(u' ').toStdString();

    startAgain();
    // Restored as the login window it was, it goes off the taskbar again with the clock's tick.
    EXPECT_TRUE(waitUntil([&] { return desktop().states(login).contains(kSkipTaskbar); }))
        << desktop().states(login).join(u' ').toStdString();
    EXPECT_EQ(desktop().title(logIn()), mainCaption());
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

}  // namespace
}  // namespace tessavo::test
