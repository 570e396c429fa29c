// The tray icon and its menu, hiding and showing, and the windows kept off the taskbar, on the
// built program with a tray host.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class Tray : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        startTrayHost();
    }

    // Whether `upper` is stacked above `lower`.
    bool above(XWindowId upper, XWindowId lower) {
        const std::vector<XWindowId> order = desktop().stackingOrder();
        const auto at = [&](XWindowId window) { return std::find(order.begin(), order.end(), window); };
        return at(upper) != order.end() && at(lower) != order.end() && at(upper) > at(lower);
    }

    void expectTheEnd(ProgramProcess& process) {
        EXPECT_TRUE(waitUntil([&] { return !process.running(); })) << "the program did not end";
        EXPECT_EQ(process.waitForExit(), 0);
        EXPECT_FALSE(trayIcon()) << "the icon outlived the program";
    }
};

// One way to hide the main window and one to show it again.
enum class Hiding { HideButton, MenuEntry };
enum class Showing { IconClick, MenuEntry };
struct HideAndShow {
    Hiding hiding;
    Showing showing;
    const char* name;
};

void PrintTo(const HideAndShow& way, std::ostream* out) { *out << way.name; }

class HidingAndShowing : public Tray, public testing::WithParamInterface<HideAndShow> {
protected:
    void hide(XWindowId main) {
        if (GetParam().hiding == Hiding::HideButton) {
            clickInWindow(main, place::kHideButton);
        } else {
            chooseFromTrayMenu(TrayEntry::HideWindow);
        }
    }
    void show() {
        if (GetParam().showing == Showing::IconClick) {
            clickTrayIcon();
        } else {
            chooseFromTrayMenu(TrayEntry::ShowWindow);
        }
    }
};

TEST_P(HidingAndShowing, AsksForThePasswordBeforeTheMainWindowComesBack) {
    start();
    const XWindowId main = logIn();
    hide(main);
    ASSERT_TRUE(waitUntil([&] { return !desktop().isViewable(main); })) << "the main window stayed";
    EXPECT_FALSE(desktop().shownWindow(loginTitle()));

    show();
    bool mainShown = false;
    EXPECT_TRUE(waitUntil([&] {
        mainShown |= desktop().isViewable(main);
        return desktop().shownWindow(loginTitle()).has_value();
    })) << "the login window did not come up";
    EXPECT_FALSE(mainShown || desktop().isViewable(main)) << "the main window came back without the password";

    EXPECT_EQ(desktop().title(logIn()), mainCaption());
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Tray, HidingAndShowing,
                         testing::Values(HideAndShow{Hiding::HideButton, Showing::IconClick, "HideButtonThenIcon"},
                                         HideAndShow{Hiding::MenuEntry, Showing::MenuEntry, "MenuHideThenMenuShow"}),
                         [](const testing::TestParamInfo<HideAndShow>& info) { return std::string(info.param.name); });

TEST_F(Tray, ShowingWhileLoggedInRaisesTheMainWindowWithoutAsking) {
    start();
    const XWindowId main = logIn();
    const XWindowId cover = desktop().openCoveringWindow(desktop().geometry(main));
    ASSERT_TRUE(above(cover, main));

    clickTrayIcon();
    EXPECT_TRUE(waitUntil([&] { return above(main, cover); })) << "the main window was not raised";
    EXPECT_TRUE(waitUntil([&] { return desktop().focusedWindow() == main; })) << "the main window was not activated";
    EXPECT_FALSE(desktop().shownWindow(loginTitle())) << "no question while logged in";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
    desktop().closeWindow(cover);
}

TEST_F(Tray, NeitherWindowHasATaskbarEntry) {
    start();
    const XWindowId login = waitForLoginWindow();
    const QStringList offTheTaskbar{QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"),
                                    QStringLiteral("_NET_WM_STATE_SKIP_PAGER")};
    const auto offTaskbar = [&](XWindowId window) {
        const QStringList states = desktop().states(window);
        return std::all_of(offTheTaskbar.begin(), offTheTaskbar.end(),
                           [&](const QString& state) { return states.contains(state); });
    };
    // The clock's tick may set the state up to a second after a window is shown.
    EXPECT_TRUE(waitUntil([&] { return offTaskbar(login); })) << desktop().states(login).join(u' ').toStdString();
    const XWindowId main = logIn();
    EXPECT_TRUE(waitUntil([&] { return offTaskbar(main); })) << desktop().states(main).join(u' ').toStdString();

    clickInWindow(main, place::kHideButton);
    clickTrayIcon();
    const XWindowId again = waitForLoginWindow();
    EXPECT_TRUE(waitUntil([&] { return offTaskbar(again); })) << desktop().states(again).join(u' ').toStdString();
}

// The entry of the tray menu "退出程序" ends the program whether the user is logged in or asked.
class QuitFromTheMenu : public Tray, public testing::WithParamInterface<bool> {};

TEST_P(QuitFromTheMenu, EndsTheProgram) {
    ProgramProcess& process = start();
    waitForLoginWindow();
    if (GetParam()) logIn();
    chooseFromTrayMenu(TrayEntry::Quit);
    expectTheEnd(process);
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << "no confirmation";
}

INSTANTIATE_TEST_SUITE_P(Tray, QuitFromTheMenu, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
    return std::string(info.param ? "LoggedIn" : "AtTheLoginWindow");
});

TEST_F(Tray, WrongEntriesCountOverTheWholeRunAcrossALogin) {
    ProgramProcess& process = start();
    const XWindowId login = waitForLoginWindow();
    for (const QString& wrong : {QStringLiteral("one"), QStringLiteral("two")}) {
        clickInWindow(login, place::kPasswordEntry);
        typeAndEnter(login, wrong);
    }
    clickInWindow(login, place::kPasswordEntry);
    const XWindowId main = logIn();
    chooseFromTrayMenu(TrayEntry::HideWindow);
    ASSERT_TRUE(waitUntil([&] { return !desktop().isViewable(main); }));
    clickTrayIcon();

    typeAndEnter(waitForLoginWindow(), QStringLiteral("three"));
    answerBox(waitForBox());
    EXPECT_EQ(home().shownBoxes(),
              QStringList{QStringLiteral("Tessavo个人版\t由于您多次输入了无效的密码程序将要退出...")});
    expectTheEnd(process);
}

}  // namespace
}  // namespace tessavo::test
