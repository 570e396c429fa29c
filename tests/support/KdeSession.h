#pragma once

#include <QDBusConnection>
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
#include "tests/support/KwinFakeInput.h"

namespace tessavo::test {

// A private, headless KDE desktop for end-to-end tests of the portal path: KWin on a virtual
// output with Xwayland, its own session bus, and the desktop portal with KDE's backend on it,
// ready when the constructor returns, ended (with every program started in it) by the
// destructor. The keyboard layout is the user's choice in KDE's settings (kxkbrc).
//
// Debian's kwin_wayland carries a file capability a container refuses to grant: a copy without
// it runs. Run as root, the session and its programs run as the unprivileged user nobody (a
// desktop portal trusts no root caller), and handOver() gives that user the files a program needs.
// The harness's own keys and clicks go through KWin's fake input, so KWin's global shortcuts
// see them as they see the user's.
class KdeSession {
public:
    struct Options {
        QString keyboardLayout = QStringLiteral("us");
    };

    // Whether KWin, the desktop portal and its KDE backend are installed.
    static bool available();

    // Throws std::runtime_error when the desktop does not come up.
    explicit KdeSession(const Options& options);
    ~KdeSession();
    KdeSession(const KdeSession&) = delete;
    KdeSession& operator=(const KdeSession&) = delete;

    QString waylandSocket() const { return runtimeDir() + u'/' + waylandDisplay_; }
    // The X display of the session's Xwayland (":N") and its authority file.
    QString xDisplay() const { return session_.value(QStringLiteral("DISPLAY")); }
    QString xAuthority() const { return session_.value(QStringLiteral("XAUTHORITY")); }
    QString busAddress() const { return busAddress_; }
    // The environment of a program of the session: its display, bus and desktop.
    QProcessEnvironment clientEnvironment() const;
    // This test's own connection to the session's bus.
    QDBusConnection bus() const;

    QStringList asSessionUser(const QStringList& command) const;
    void handOver(const QString& path) const;
    // Starts a program in the session, what it writes going to log(logName); it ends with the
    // session at the latest.
    QProcess& startClient(const QStringList& command, const QProcessEnvironment& environment, const QString& logName);

    // Types the key language text as the user's keyboard of the session's layout.
    void type(const QString& keyLanguage);
    // A click of the left button at a point of the desktop.
    void click(QPoint at);

    // ---- KWin's view ----
    // The caption of the window KWin made active last; empty when none is.
    QString activeCaption() const;
    // Waits until a window of this exact caption is the active one.
    bool waitForActive(const QString& caption) const;
    // Where the active window's content is, while it has this caption.
    std::optional<QRect> activeContentRect(const QString& caption) const;
    // The shortcuts KWin's global shortcuts service holds for a component: "<id> <keys>" each,
    // keys as Qt's key codes.
    QStringList globalShortcuts(const QString& component) const;
    // What a program of the desktop wrote ("kwin.log", "portal-kde.log", "portal.log"), for the
    // review of a failure.
    QString log(const QString& name) const;

private:
    struct Activation {
        QString caption;
        QRect content;
    };
    QString runtimeDir() const { return dir_.path() + QStringLiteral("/run"); }
    QString homeDir() const { return dir_.path() + QStringLiteral("/home"); }
    std::optional<Activation> lastActivation() const;
    void writeConfiguration(const Options& options);
    void startBus();
    void startKwin();
    void watchActivations();
    void startPortals();
    QProcess& startLogged(const QStringList& command, const QProcessEnvironment& environment, const QString& logName);

    QTemporaryDir dir_;
    QString busAddress_;
    QString busName_;
    QString waylandDisplay_;
    QProcessEnvironment session_;
    // Started in this order, ended in the reverse one.
    std::vector<std::unique_ptr<QProcess>> processes_;
    std::unique_ptr<platform::Keyboard> keyboard_;
    std::unique_ptr<KwinFakeInput> pointer_;
};

}  // namespace tessavo::test
