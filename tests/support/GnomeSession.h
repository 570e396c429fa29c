#pragma once

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "tests/support/DesktopSessionBus.h"
#include "tests/support/X11Desktop.h"

namespace tessavo::test {

// A private, headless GNOME desktop for end-to-end tests against the real one: mutter with a
// virtual monitor and its Xwayland, GNOME's desktop portal (xdg-desktop-portal with its GNOME
// backend) and the accessibility bus, on a session bus of their own, run as the session's user
// (see SessionUser.h). Ready when the constructor returns; ended, with every program started
// in it, by the destructor. Mutter without GNOME Shell keeps the US layout.
//
// The user's part is played through tests/support/gnome/gnome_user.py: the portal's question
// answered through the accessibility bus, pointer and keys through mutter's own remote desktop.
class GnomeSession {
public:
    // Whether mutter, the portal with its GNOME backend and the user's helper can run here.
    static bool available();

    // Throws std::runtime_error when the desktop does not come up.
    GnomeSession();
    ~GnomeSession();
    GnomeSession(const GnomeSession&) = delete;
    GnomeSession& operator=(const GnomeSession&) = delete;

    // A folder of the session user's for what its programs share.
    QString sharedDir() const { return dir_.path() + QStringLiteral("/shared"); }
    QString waylandSocket() const;
    QString xDisplay() const { return xDisplay_; }
    QString xAuthority() const { return xAuthority_; }
    DesktopSessionBus& bus() { return *bus_; }
    // What a program of the session starts with: the bus, WAYLAND_DISPLAY, DISPLAY, XAUTHORITY.
    QProcessEnvironment clientEnvironment() const;
    // Starts a program of the session; it ends with the session at the latest.
    QProcess& startClient(const QStringList& command, const QProcessEnvironment& environment, const QString& name);
    // What the desktop's programs wrote (mutter, the portal, its backend), for a failure's review.
    QString logs() const;
    // The X windows of the session's Xwayland, as the test sees them.
    X11Desktop& x11() { return *x11_; }

    // ---- the user ----
    // Answers the portal's remote-desktop question: true once the button was pressed.
    bool answerPortal(bool allow);
    // A click of the left button at a point of the screen, on a window of the Xwayland.
    void click(const QPoint& at);
    // Keys by their X keysym names, one after the other ("Return", "Alt_L+Tab").
    void keys(const QStringList& names);
    // ASCII text on the US layout.
    void type(const QString& text);
    // The text of the first text entry of a program of the session (its accessible name, such as
    // "zenity"); none when it has none.
    std::optional<QString> entryText(const QString& application) const;
    // Waits until the program's entry has the keyboard focus, switching windows with Alt+Tab when
    // it does not get it: true once a key typed arrives in it (the entry is left empty again).
    bool focusEntry(const QString& application);

private:
    // One command to the user's pointer and keyboard; throws std::runtime_error when it fails.
    void user(const QString& command);
    void waitForXwayland();
    void startUser();
    void warmUpKeyboard();

    QTemporaryDir dir_;
    std::unique_ptr<DesktopSessionBus> bus_;
    QString xDisplay_;
    QString xAuthority_;
    std::unique_ptr<X11Desktop> x11_;
    std::unique_ptr<QProcess> user_;  // gnome_user.py serve: one device for the session's life
};

}  // namespace tessavo::test
