#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>

#include "platform/keyboard/Keyboard.h"

namespace tessavo::platform {

// One remote-desktop session of the desktop portal with keyboard access, kept for the
// program's life: CreateSession, SelectDevices (keyboard), Start, each answered through a
// Request, then key events by keysym. The desktop asks the user once, at Start; a portal of
// version 2 or later is asked to remember the answer, and the token it gives for that is kept
// in a file of the user's alone, so that a later start asks nothing.
class PortalRemoteDesktop final : public QObject {
    Q_OBJECT
public:
    // The session closes when the application quits, or with the object. restoreTokenFile: where
    // the portal's token is kept; none keeps no token.
    explicit PortalRemoteDesktop(const QDBusConnection& bus, QString restoreTokenFile = {});
    ~PortalRemoteDesktop() override;
    PortalRemoteDesktop(const PortalRemoteDesktop&) = delete;
    PortalRemoteDesktop& operator=(const PortalRemoteDesktop&) = delete;

    // Sets up the session; the answers come through the event loop.
    void start();
    TypingAccess access() const { return access_; }
    // One key event, waited for: false when the portal did not take it, after which the
    // session takes no more.
    bool notifyKeysym(std::uint32_t keysym, bool pressed);
    // Gives the keyboard back to the desktop; no key goes out afterwards.
    void close();

private Q_SLOTS:
    void Closed(const QVariantMap& details, const QDBusMessage& message);

private:
    void createSession();
    void selectDevices();
    void startSession();
    // One key press and release the desktop acts on nowhere, sent right after the start.
    void tapHarmlessKey();
    void started(std::uint32_t code, const QVariantMap& results);
    // Starts over with a new session a moment later.
    void askAgain(const char* why);
    void settle(TypingAccess access, const char* why);
    QString restoreToken() const;
    void keepRestoreToken(const QString& token) const;

    QDBusConnection bus_;
    const QString restoreTokenFile_;
    QString session_;
    uint version_ = 0;
    bool sentRestoreToken_ = false;
    bool tokenRejected_ = false;
    QElapsedTimer asking_;
    TypingAccess access_ = TypingAccess::Asking;
};

}  // namespace tessavo::platform
