#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "tests/support/ProgramProcess.h"
#include "tests/support/TrayHost.h"
#include "tests/support/X11Desktop.h"
#include "tests/support/XvfbServer.h"

namespace tessavo::test {

// What the build tells the end-to-end tier.
struct EndToEndPaths {
    QString binDir;         // where `tessavo` and `tessavo-db` are
    QString screenshotDir;  // where the pictures for review go
};

// The entries of the tray menu, in their order (separators are skipped by the keyboard).
enum class TrayEntry { CheckForUpdates, ShowWindow, HideWindow, Quit };

// The built program on a private X server, driven as a user drives it: by its windows' titles,
// the mouse, the keyboard and the tray icon. Each test gets its own server and home.
class ProgramOnXvfb : public ::testing::Test {
protected:
    explicit ProgramOnXvfb(EndToEndPaths paths) : paths_(std::move(paths)) {}

    void SetUp() override;
    void TearDown() override;

    // The application directory and home; by default with the initial database.
    ProgramHome& install(ProgramHome::Database database = ProgramHome::Database::Initial,
                         const QString& appFolder = QStringLiteral("app"));
    // The notification area; start it before the program when the test needs the tray icon.
    void startTrayHost();
    // Starts the installed program (another process on each call).
    ProgramProcess& start();
    ProgramProcess& startFrom(const QString& program, const QString& workingDirectory,
                              const StartOptions& options = {});
    // Starts the installed program with arguments or a changed environment.
    ProgramProcess& startWith(const StartOptions& options);

    ProgramHome& home() { return *home_; }
    X11Desktop& desktop() { return *desktop_; }
    XvfbServer& xvfb() { return *xvfb_; }
    // The first process started.
    ProgramProcess& program() { return *programs_.front(); }

    // ---- what a user sees and does ----
    XWindowId waitForLoginWindow();
    // Gives the window the keyboard, types the text and presses Enter.
    void typeAndEnter(XWindowId window, const QString& text);
    // Enters the password into the shown login window and waits for the main window.
    XWindowId logIn(const QString& password = QStringLiteral("vorel"));
    // The program's shown main window (its caption starts with the main window's title).
    std::optional<XWindowId> mainWindow() const;
    // The next message box of the program; its text is checked through home().shownBoxes().
    XWindowId waitForBox();
    // Presses Enter on the box and waits until it is gone.
    void answerBox(XWindowId box);
    void clickInWindow(XWindowId window, const QPoint& at);
    // How far the window's centre is from the screen's.
    QPoint offCentre(XWindowId window) const;
    // The program's icon in the tray host.
    std::optional<XWindowId> trayIcon() const;
    XWindowId waitForTrayIcon();
    void clickTrayIcon();
    void chooseFromTrayMenu(TrayEntry entry);
    // Waits until the window's picture has settled, keeps it as <name>.png for review and
    // returns it.
    QImage screenshot(XWindowId window, const QString& name);

    // Titles the tests look for.
    static QString applicationTitle() { return QStringLiteral("Tessavo个人版"); }
    static QString loginTitle() { return QStringLiteral("管理登录"); }
    static QString mainCaption() { return QStringLiteral("Tessavo个人版 - 账号密码管理 1.85.20171230"); }

private:
    EndToEndPaths paths_;
    std::unique_ptr<XvfbServer> xvfb_;
    std::unique_ptr<X11Desktop> desktop_;
    std::unique_ptr<TrayHost> tray_;
    std::unique_ptr<ProgramHome> home_;
    std::vector<std::unique_ptr<ProgramProcess>> programs_;
};

}  // namespace tessavo::test
