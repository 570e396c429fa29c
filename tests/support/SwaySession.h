#pragma once

#include <QJsonObject>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

#include "platform/keyboard/Keyboard.h"
#include "tests/support/RunProgram.h"
#include "tests/support/WaylandPointer.h"

namespace tessavo::test {

// A private, headless sway for end-to-end tests of the Wayland session: its own runtime
// directory, configuration and Xwayland, ready when the constructor returns, ended (with every
// program started in it) by the destructor.
//
// sway refuses to run as root: run as root, the session and every program started through it
// run as the unprivileged user nobody, and handOver() gives that user the files a program needs.
// Programs of the session reach it through clientEnvironment(); a program that keeps its own
// XDG_RUNTIME_DIR (the keeper, whose single-instance socket lives there) reaches it through the
// absolute socket path waylandSocket().
class SwaySession {
public:
    struct Options {
        QString keyboardLayout = QStringLiteral("us");
        // More lines for sway's configuration (bindings, window rules).
        QStringList configLines;
    };

    // Whether sway is installed.
    static bool available();

    // Throws std::runtime_error when sway does not come up.
    explicit SwaySession(const Options& options);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // A folder of the session's user for what its programs share (the files targets write).
    QString sharedDir() const { return dir_.path() + QStringLiteral("/shared"); }
    QString waylandSocket() const { return runtimeDir() + u'/' + waylandDisplay_; }
    // The X display of the session's Xwayland (":N").
    QString xDisplay() const { return xDisplay_; }
    QProcessEnvironment clientEnvironment() const;

    // The command as the session's user runs it.
    QStringList asSessionUser(const QStringList& command) const;
    // Makes the file or folder (and everything below) the session user's.
    void handOver(const QString& path) const;

    // Starts a program in the session; it ends with the session at the latest.
    QProcess& startClient(const QStringList& command, const QProcessEnvironment& environment);
    QProcess& startClient(const QStringList& command) { return startClient(command, clientEnvironment()); }
    // Runs a program of the session to its end (wtype, wl-paste).
    ProgramRun run(const QStringList& command) const;
    // Presses keys from outside the way wtype does (its own virtual keyboard each time).
    bool wtype(const QStringList& arguments) const { return run(QStringList{"wtype"} + arguments).exitCode == 0; }
    // Types the key language text as the user's own keyboard of the session's layout: one
    // keyboard for the session's life, the seat's keyboard when programs ask for its layout.
    void type(const QString& keyLanguage);

    // ---- the compositor's view ----
    // A sway command (as swaymsg takes it); false when sway refuses it.
    bool command(const QString& text) const;
    // The window (by its exact title) with the keyboard focus now.
    QString focusedTitle() const;
    // Waits until a window of this exact title has the focus.
    bool waitForFocus(const QString& title) const;
    // Where the window's content is on the output; none while no window has that title.
    std::optional<QRect> contentRect(const QString& title) const;
    // A click of the left button at a point of the output, as the user's mouse would.
    void click(const QPoint& at);

private:
    QString runtimeDir() const { return dir_.path() + QStringLiteral("/run"); }
    QJsonObject tree() const;
    void waitUntilUp();

    QTemporaryDir dir_;
    QProcess sway_;
    QString waylandDisplay_;
    QString xDisplay_;
    QString swaySocket_;
    std::vector<std::unique_ptr<QProcess>> clients_;
    std::unique_ptr<platform::Keyboard> keyboard_;
    std::unique_ptr<WaylandPointer> pointer_;
};

}  // namespace tessavo::test
