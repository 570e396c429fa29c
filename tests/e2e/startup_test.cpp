// Start-up of the built program: the missing database, the single instance, the login window
// that comes up alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class Startup : public EndToEnd {};

TEST_F(Startup, WithoutTheDatabaseTheMessageComesAloneAndTheProgramEndsAfterIt) {
    startTrayHost();
    install(ProgramHome::Database::Missing);
    ProgramProcess& process = start();

    const XWindowId box = waitForBox();
    EXPECT_EQ(home().shownBoxes(), QStringList{QStringLiteral("Tessavo个人版\t没有发现数据库\"_.udb\"文件.")});
    EXPECT_EQ(desktop().shownWindows(process.pid()), std::vector<XWindowId>{box}) << "only the message is shown";
    answerBox(box);

    // Until the end: never a tray icon, a login window or a main window.
    bool anythingElseShown = false;
    EXPECT_TRUE(waitUntil([&] {
        anythingElseShown |= trayIcon().has_value() || !desktop().shownWindows(process.pid()).empty();
        return !process.running();
    })) << "the program did not end after the message";
    EXPECT_FALSE(anythingElseShown);
    EXPECT_EQ(process.waitForExit(), 0);
    EXPECT_EQ(home().shownBoxes().size(), 1) << "the message is shown once";
    EXPECT_TRUE(QDir(home().desktopDir()).isEmpty()) << "no desktop entry without the database";
}

TEST_F(Startup, TheLoginWindowComesUpAloneCentredAndWithTheKeyboard) {
    ProgramProcess& process = start();
    const XWindowId login = waitForLoginWindow();

    EXPECT_EQ(desktop().shownWindows(process.pid()), std::vector<XWindowId>{login}) << "the main window stays hidden";
    EXPECT_EQ(desktop().geometry(login).size(), QSize(260, 147));
    EXPECT_LE(offCentre(login).manhattanLength(), 2) << "centred on the screen";
    EXPECT_TRUE(waitUntil([&] { return desktop().focusedWindow() == login; }))
        << "the focus is on " << desktop().focusedWindow() << " \""
        << desktop().title(desktop().focusedWindow()).toStdString() << "\", the login window is " << login;
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

TEST_F(Startup, ASecondStartEndsAtOnceWithoutAWindowAndTheFirstGoesOn) {
    ProgramProcess& first = start();
    const XWindowId login = waitForLoginWindow();
    const std::vector<XWindowId> windowsBefore = desktop().stackingOrder();

    ProgramProcess& second = start();
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_TRUE(second.output().isEmpty()) << second.output().toStdString();
    EXPECT_EQ(desktop().stackingOrder(), windowsBefore) << "the second start made no window";

    EXPECT_TRUE(first.running());
    EXPECT_TRUE(desktop().isViewable(login));
    EXPECT_EQ(desktop().title(logIn()), mainCaption()) << "the first instance still logs in";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

}  // namespace
}  // namespace tessavo::test
