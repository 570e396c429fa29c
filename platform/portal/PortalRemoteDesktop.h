#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>

#include "platform/keyboard/Keyboard.h"

namespace tessavo::platform {

// One remote-desktop session of the desktop portal with keyboard access, kept for the
// program's life: CreateSession, SelectDevices (keyboard), Start, each answered through a
// Request, then key events by keysym. The desktop asks the user once, at Start.
class PortalRemoteDesktop final : public QObject {
    Q_OBJECT
public:
    // The session closes when the application quits, or with the object.
    explicit PortalRemoteDesktop(const QDBusConnection& bus);
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
    void Closed(const QVariantMap& details);

private:
    void selectDevices();
    void startSession();
    // One key press and release the desktop acts on nowhere, sent right after the start.
    void tapHarmlessKey();
    void settle(TypingAccess access, const char* why);

    QDBusConnection bus_;
    QString session_;
    TypingAccess access_ = TypingAccess::Asking;
};

}  // namespace tessavo::platform
