#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tessavo::test {

// A private session bus with the fake desktop portal on it (tests/support/portal), and this
// test's own connection to that bus. What the fake was asked is read back from its log:
// "RemoteDesktop.CreateSession", "RemoteDesktop.SelectDevices types=1", "RemoteDesktop.Start",
// "keysym 0x61 down", "GlobalShortcuts.CreateSession token=<session_handle_token>", then
// "GlobalShortcuts.CreateSession <id> \"<description>\" <trigger>" for each shortcut it carries,
// "GlobalShortcuts.BindShortcuts <id> \"<description>\" <trigger>",
// "Session.Close remote-desktop", "refused <interface>.<method>"; on version 2
// "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=token-1" and
// "RemoteDesktop.Start restored" or "RemoteDesktop.Start with an unknown token".
class FakePortal {
public:
    struct Offers {
        bool remoteDesktop = true;
        bool globalShortcuts = true;
        uint remoteDesktopVersion = 1;  // from 2 on: persist_mode and restore tokens
    };

    explicit FakePortal(Offers offers);
    FakePortal() : FakePortal(Offers{}) {}
    ~FakePortal();
    FakePortal(const FakePortal&) = delete;
    FakePortal& operator=(const FakePortal&) = delete;

    // Whether the bus and the fake came up; a test that cannot start them fails.
    bool running() const { return running_; }
    const QByteArray& address() const { return address_; }
    QDBusConnection& bus() { return bus_; }

    QStringList log();
    // The lines of the log that start with the prefix ("keysym").
    QStringList logOf(const QString& prefix);
    // The answer code of the next Start: 0 granted, 1 the user said no, 2 otherwise, kNoAnswer
    // while the user has not answered.
    static constexpr uint kNoAnswer = 0xFFFFFFFF;
    void setStartAnswer(uint code);
    // The desktop's press and release of the bound shortcut.
    void use(const QString& shortcutId);
    // A press alone: a desktop that does not tell the release.
    void press(const QString& shortcutId);
    // The desktop closes the remote-desktop session (the user takes the permission back).
    void endRemoteDesktop();
    // Every key event fails from now on, without a word from the desktop.
    void failKeys();
    // The next `count` Starts fail as on a desktop that has no screen to ask on yet.
    void failStarts(uint count);

private:
    QDBusMessage control(const QString& method, const QVariantList& arguments = {});
    bool startBus();
    bool startPortal(const Offers& offers);

    QProcess daemon_;
    QProcess portal_;
    QByteArray address_;
    QString connectionName_;
    QDBusConnection bus_{QString()};
    bool running_ = false;
};

}  // namespace tessavo::test
