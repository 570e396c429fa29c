// Start-up of the built program: the missing database, the single instance, the login window
// that comes up alone, the command line and the platform.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class Startup : public EndToEnd {};

// What stands where the database should be: nothing, or a directory of its name.
enum class NoDatabase { Absent, Directory };

class WithoutTheDatabase : public Startup, public testing::WithParamInterface<NoDatabase> {};

TEST_P(WithoutTheDatabase, TheMessageComesAloneAndTheProgramEndsAfterIt) {
    startTrayHost();
    install(ProgramHome::Database::Missing);
    if (GetParam() == NoDatabase::Directory) {
        ASSERT_TRUE(QDir().mkdir(home().databasePath()));
    }
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

INSTANTIATE_TEST_SUITE_P(Startup, WithoutTheDatabase, testing::Values(NoDatabase::Absent, NoDatabase::Directory),
                         [](const testing::TestParamInfo<NoDatabase>& info) {
                             return std::string(info.param == NoDatabase::Absent ? "Absent" : "DirectoryOfItsName");
                         });

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

// The second start hands the first what a tray click does (here: the login window again).
TEST_F(Startup, ASecondStartEndsAtOnceWithoutAWindowAndTheFirstGoesOn) {
    ProgramProcess& first = start();
    const XWindowId login = waitForLoginWindow();
    const std::vector<XWindowId> windowsBefore = desktop().stackingOrder();

    ProgramProcess& second = start();
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_TRUE(second.output().isEmpty()) << second.output().toStdString();
    EXPECT_EQ(desktop().stackingOrder(), windowsBefore) << "the second start made no window";

    EXPECT_TRUE(first.running());
    EXPECT_TRUE(waitUntil([&] { return desktop().isViewable(login); }));
    EXPECT_EQ(desktop().title(logIn()), mainCaption()) << "the first instance still logs in";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

// Qt's own options on the command line change nothing: the program takes no arguments.
TEST_F(Startup, QtsOwnOptionsChangeNothing) {
    const QStringList options{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-qwindowtitle"),
                              QStringLiteral("Other"),     QStringLiteral("-geometry"), QStringLiteral("100x50+0+0"),
                              QStringLiteral("-style"),    QStringLiteral("windows")};
    ProgramProcess& process = startWith({options, {}});
    const XWindowId login = waitForLoginWindow();  // on this X display, not offscreen
    EXPECT_EQ(desktop().shownWindows(process.pid()), std::vector<XWindowId>{login});
    EXPECT_EQ(desktop().geometry(login).size(), QSize(260, 147));
    EXPECT_LE(offCentre(login).manhattanLength(), 2) << "centred on the screen";
    EXPECT_EQ(desktop().title(logIn()), mainCaption()) << "the caption stays the program's own";
}

// Under a Wayland session the program still runs on X11 (Xwayland), where its hotkeys work,
// without even asking Qt for the Wayland platform.
TEST_F(Startup, UnderAWaylandSessionItRunsOnX11) {
    install();
    const StartOptions waylandSession{{},
                                      {{QStringLiteral("QT_QPA_PLATFORM"), std::nullopt},
                                       {QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")},
                                       {QStringLiteral("WAYLAND_DISPLAY"), home().homeDir() + QStringLiteral("/wl")}}};
    ProgramProcess& process = startWith(waylandSession);
    EXPECT_EQ(desktop().title(logIn()), mainCaption());
    EXPECT_FALSE(process.output().contains(QStringLiteral("wayland"), Qt::CaseInsensitive))
        << process.output().toStdString();
}

}  // namespace
}  // namespace tessavo::test
