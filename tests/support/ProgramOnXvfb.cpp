#include "tests/support/ProgramOnXvfb.h"

#include <QDir>
#include <iostream>
#include <stdexcept>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

}  // namespace

void ProgramOnXvfb::SetUp() {
    xvfb_ = std::make_unique<XvfbServer>();
    desktop_ = std::make_unique<X11Desktop>(xvfb_->display());
}

void ProgramOnXvfb::TearDown() {
    if (HasFailure()) {
        for (const auto& process : programs_) std::cerr << "program output:\n" << process->output().toStdString();
    }
    programs_.clear();
    home_.reset();
    tray_.reset();
    desktop_.reset();
    xvfb_.reset();
}

ProgramHome& ProgramOnXvfb::install(ProgramHome::Database database, const QString& appFolder) {
    home_ = std::make_unique<ProgramHome>(paths_.binDir, database, appFolder);
    return *home_;
}

void ProgramOnXvfb::startTrayHost() { tray_ = std::make_unique<TrayHost>(*desktop_); }

ProgramProcess& ProgramOnXvfb::start() {
    if (!home_) install();
    return startFrom(home_->executable(), home_->appDir());
}

ProgramProcess& ProgramOnXvfb::startWith(const StartOptions& options) {
    if (!home_) install();
    return startFrom(home_->executable(), home_->appDir(), options);
}

ProgramProcess& ProgramOnXvfb::startFrom(const QString& program, const QString& workingDirectory,
                                         const StartOptions& options) {
    programs_.push_back(std::make_unique<ProgramProcess>(*home_, xvfb_->display(), program, workingDirectory, options));
    if (!programs_.back()->started()) fail("cannot start " + program.toStdString());
    return *programs_.back();
}

XWindowId ProgramOnXvfb::waitForLoginWindow() {
    const auto window = desktop_->waitForShownWindow(loginTitle());
    if (!window) fail("the login window did not come up");
    return *window;
}

void ProgramOnXvfb::typeAndEnter(XWindowId window, const QString& text) {
    if (!desktop_->focus(window)) fail("the window does not take the keyboard focus");
    if (!text.isEmpty()) desktop_->type(text);
    desktop_->keys({QStringLiteral("Return")});
}

XWindowId ProgramOnXvfb::logIn(const QString& password) {
    typeAndEnter(waitForLoginWindow(), password);
    std::optional<XWindowId> window;
    if (!waitUntil([&] { return (window = mainWindow()).has_value(); })) fail("the main window did not come up");
    return *window;
}

std::optional<XWindowId> ProgramOnXvfb::mainWindow() const {
    for (const XWindowId window : desktop_->shownWindows()) {
        if (desktop_->title(window).startsWith(QStringLiteral("Tessavo个人版 - 账号密码管理"))) return window;
    }
    return std::nullopt;
}

XWindowId ProgramOnXvfb::waitForBox() {
    std::optional<XWindowId> box;
    const auto boxShown = [&] {
        for (const XWindowId window : desktop_->shownWindows()) {
            if (desktop_->title(window) == applicationTitle() &&
                desktop_->windowTypes(window).contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG"))) {
                box = window;
                return true;
            }
        }
        return false;
    };
    if (!waitUntil(boxShown)) fail("no message box came up");
    return *box;
}

void ProgramOnXvfb::answerBox(XWindowId box) {
    typeAndEnter(box, {});
    if (!waitUntil([&] { return !desktop_->isViewable(box); })) fail("the message box stayed after Enter");
}

void ProgramOnXvfb::clickInWindow(XWindowId window, const QPoint& at) {
    desktop_->click(desktop_->geometry(window).topLeft() + at);
}

QPoint ProgramOnXvfb::offCentre(XWindowId window) const {
    return desktop_->geometry(window).center() - QRect({}, desktop_->screenSize()).center();
}

std::optional<XWindowId> ProgramOnXvfb::trayIcon() const {
    if (!tray_) fail("the test started no tray host");
    return tray_->icon(applicationTitle());
}

XWindowId ProgramOnXvfb::waitForTrayIcon() {
    std::optional<XWindowId> icon;
    if (!waitUntil([&] { return (icon = trayIcon()).has_value(); })) fail("the tray icon did not come up");
    return *icon;
}

void ProgramOnXvfb::clickTrayIcon() {
    const XWindowId icon = waitForTrayIcon();
    desktop_->click(desktop_->geometry(icon).center());
}

void ProgramOnXvfb::chooseFromTrayMenu(TrayEntry entry) {
    const XWindowId icon = waitForTrayIcon();
    desktop_->click(desktop_->geometry(icon).center(), 3);
    const qint64 pid = program().pid();
    if (!waitUntil([&] { return !desktop_->shownPopups(pid).empty(); })) fail("the tray menu did not open");
    // The pointer leaves the menu, so only the keyboard picks the entry: from no entry, Down
    // goes to the first one. The keys go to a window of the program (its icon), which hands
    // them to the open menu, wherever the focus was when the menu opened.
    desktop_->moveMouse({0, 0});
    if (!desktop_->focus(icon)) fail("the tray icon does not take the keyboard focus");
    QStringList keys(static_cast<int>(entry) + 1, QStringLiteral("Down"));
    desktop_->keys(keys << QStringLiteral("Return"));
    if (!waitUntil([&] { return desktop_->shownPopups(pid).empty(); })) fail("the tray menu stayed open");
}

QImage ProgramOnXvfb::screenshot(XWindowId window, const QString& name) {
    QImage previous = desktop_->grab(window);
    QImage current;
    const bool settled = waitUntil([&] {
        current = desktop_->grab(window);
        const bool same = !current.isNull() && current == previous;
        previous = current;
        return same;
    });
    if (!settled) fail("the picture of " + name.toStdString() + " did not settle");
    QDir().mkpath(paths_.screenshotDir);
    const QString file = QDir(paths_.screenshotDir).filePath(name + QStringLiteral(".png"));
    if (!current.save(file)) fail("cannot save " + file.toStdString());
    return current;
}

}  // namespace tessavo::test
