#include "platform/portal/PortalRemoteDesktop.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "platform/base/Logging.h"
#include "platform/portal/PortalRequest.h"

namespace tessavo::platform {
namespace {

const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr std::uint32_t kKeyboardDevice = 1;
// A key event is answered at once; a portal that hangs must not hold the typing up for long.
constexpr int kNotifyTimeoutMilliseconds = 2000;

// KDE's portal finds the key of a keysym through a US keymap until it has sent a key, whatever
// the user's layout: a first fill on a German layout would type "Ü" for "{".
bool firstKeysReadAsUs() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':')).contains(QLatin1String("KDE"));
}

}  // namespace

PortalRemoteDesktop::PortalRemoteDesktop(const QDBusConnection& bus) : bus_(bus) {
    // The program's keyboard lives until the very end, after the bus connection is gone.
    if (QCoreApplication::instance()) {
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &PortalRemoteDesktop::close);
    }
}

PortalRemoteDesktop::~PortalRemoteDesktop() {
    if (QCoreApplication::instance()) close();
}

void PortalRemoteDesktop::close() {
    access_ = TypingAccess::Ended;
    if (session_.isEmpty() || !bus_.isConnected()) return;
    const QDBusMessage close = QDBusMessage::createMethodCall(
        QLatin1String(portal::kService), session_, QLatin1String(portal::kSessionInterface), QStringLiteral("Close"));
    bus_.call(close, QDBus::Block, kNotifyTimeoutMilliseconds);
    session_.clear();
}

void PortalRemoteDesktop::start() {
    if (!bus_.isConnected()) {
        settle(TypingAccess::Refused, "no session bus");
        return;
    }
    const QVariantMap options{{QStringLiteral("session_handle_token"), portal::newToken()}};
    portal::PortalRequest::start(this, bus_, kRemoteDesktop, QStringLiteral("CreateSession"), {}, options,
                                 [this](std::uint32_t code, const QVariantMap& results) {
                                     session_ = portal::sessionHandleOf(results);
                                     if (code != portal::kGranted || session_.isEmpty()) {
                                         settle(TypingAccess::Refused, "no remote-desktop session");
                                         return;
                                     }
                                     bus_.connect(QLatin1String(portal::kService), session_,
                                                  QLatin1String(portal::kSessionInterface), QStringLiteral("Closed"),
                                                  this, SLOT(Closed(QVariantMap)));
                                     selectDevices();
                                 });
}

void PortalRemoteDesktop::selectDevices() {
    const QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(kKeyboardDevice)}};
    portal::PortalRequest::start(this, bus_, kRemoteDesktop, QStringLiteral("SelectDevices"),
                                 {QVariant::fromValue(QDBusObjectPath(session_))}, options,
                                 [this](std::uint32_t code, const QVariantMap&) {
                                     if (code != portal::kGranted) {
                                         settle(TypingAccess::Refused, "the keyboard was not offered");
                                         return;
                                     }
                                     startSession();
                                 });
}

void PortalRemoteDesktop::startSession() {
    // No window of ours stands for the question: the desktop shows it on its own.
    portal::PortalRequest::start(
        this, bus_, kRemoteDesktop, QStringLiteral("Start"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {},
        [this](std::uint32_t code, const QVariantMap& results) {
            const bool keyboard = results.value(QStringLiteral("devices")).toUInt() & kKeyboardDevice;
            if (code != portal::kGranted || !keyboard) {
                settle(TypingAccess::Refused, code == portal::kCancelled ? "the user said no" : "the desktop said no");
                return;
            }
            settle(TypingAccess::Granted, "the keyboard is ours");
        });
}

void PortalRemoteDesktop::tapHarmlessKey() {
    // Control alone does nothing anywhere; Shift alone would switch a Chinese input method
    // between Chinese and Latin letters.
    constexpr std::uint32_t kControlL = 0xffe3;
    if (notifyKeysym(kControlL, true)) notifyKeysym(kControlL, false);
}

bool PortalRemoteDesktop::notifyKeysym(std::uint32_t keysym, bool pressed) {
    if (access_ != TypingAccess::Granted) return false;
    QDBusMessage notify =
        QDBusMessage::createMethodCall(QLatin1String(portal::kService), QLatin1String(portal::kObjectPath),
                                       kRemoteDesktop, QStringLiteral("NotifyKeyboardKeysym"));
    notify << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap() << static_cast<int>(keysym)
           << static_cast<uint>(pressed ? 1 : 0);
    const QDBusMessage reply = bus_.call(notify, QDBus::Block, kNotifyTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    qCWarning(lcPlatform) << "the desktop portal did not take a key event:" << reply.errorName()
                          << reply.errorMessage();
    // A text with a key missing is a wrong text, and a portal that hangs would hold every later key
    // for the whole timeout: no key goes out any more.
    settle(TypingAccess::Ended, "the portal stopped taking keys");
    return false;
}

void PortalRemoteDesktop::Closed(const QVariantMap&) { settle(TypingAccess::Ended, "the desktop closed the session"); }

void PortalRemoteDesktop::settle(TypingAccess access, const char* why) {
    if (access == TypingAccess::Granted) {
        qCDebug(lcPlatform, "desktop portal keyboard: %s", why);
    } else {
        qCWarning(lcPlatform, "no keys through the desktop portal: %s", why);
    }
    access_ = access;
    if (access == TypingAccess::Granted && firstKeysReadAsUs()) tapHarmlessKey();
}

}  // namespace tessavo::platform
