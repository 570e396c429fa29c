#include "platform/portal/PortalRemoteDesktop.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QVariantMap>
#include <cstring>
#include <utility>

#include "platform/base/Logging.h"
#include "platform/files/WholeFile.h"
#include "platform/portal/PortalProbe.h"
#include "platform/portal/PortalRequest.h"

namespace tessavo::platform {
namespace {

const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr std::uint32_t kKeyboardDevice = 1;
// A key event is answered at once; a portal that hangs must not hold the typing up for long.
constexpr int kNotifyTimeoutMilliseconds = 2000;
// A program started with the desktop may ask before the desktop has a screen to ask on: a Start
// that fails is tried again every second for this long after the first.
constexpr int kRetryMilliseconds = 1000;
constexpr qint64 kRetryForMilliseconds = 30000;
// From this version on the portal remembers an answer through a restore token.
constexpr uint kRestoreTokenVersion = 2;
constexpr uint kPersistUntilRevoked = 2;
constexpr std::size_t kMaxTokenBytes = 4096;

// KDE's portal finds the key of a keysym through a US keymap until it has sent a key, whatever
// the user's layout: a first fill on a German layout would type "Ü" for "{".
bool firstKeysReadAsUs() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':')).contains(QLatin1String("KDE"));
}

}  // namespace

PortalRemoteDesktop::PortalRemoteDesktop(const QDBusConnection& bus, QString restoreTokenFile)
    : bus_(bus), restoreTokenFile_(std::move(restoreTokenFile)) {
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
    version_ = portalVersion(bus_, kRemoteDesktop);
    asking_.start();
    createSession();
}

void PortalRemoteDesktop::createSession() {
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
                                                  this, SLOT(Closed(QVariantMap, QDBusMessage)));
                                     selectDevices();
                                 });
}

void PortalRemoteDesktop::selectDevices() {
    QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(kKeyboardDevice)}};
    sentRestoreToken_ = false;
    if (version_ >= kRestoreTokenVersion && !restoreTokenFile_.isEmpty()) {
        options.insert(QStringLiteral("persist_mode"), QVariant::fromValue(kPersistUntilRevoked));
        const QString token = tokenRejected_ ? QString() : restoreToken();
        if (!token.isEmpty()) options.insert(QStringLiteral("restore_token"), token);
        sentRestoreToken_ = !token.isEmpty();
    }
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
    portal::PortalRequest::start(this, bus_, kRemoteDesktop, QStringLiteral("Start"),
                                 {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {},
                                 [this](std::uint32_t code, const QVariantMap& results) { started(code, results); });
}

void PortalRemoteDesktop::started(std::uint32_t code, const QVariantMap& results) {
    const bool keyboard = results.value(QStringLiteral("devices")).toUInt() & kKeyboardDevice;
    if (code == portal::kGranted && keyboard) {
        keepRestoreToken(results.value(QStringLiteral("restore_token")).toString());
        settle(TypingAccess::Granted, "the keyboard is ours");
        return;
    }
    if (code == portal::kFailed && sentRestoreToken_) {
        // The portal no longer knows the answer the token stood for: the user is asked.
        tokenRejected_ = true;
        askAgain("the portal did not take the restore token");
        return;
    }
    if (code == portal::kFailed && asking_.elapsed() < kRetryForMilliseconds) {
        askAgain("the desktop could not ask yet");
        return;
    }
    settle(TypingAccess::Refused, code == portal::kCancelled ? "the user said no" : "the desktop said no");
}

void PortalRemoteDesktop::askAgain(const char* why) {
    qCDebug(lcPlatform, "asking the desktop portal again: %s", why);
    // The portal closes a session it did not start: that one is forgotten, its Closed too.
    bus_.disconnect(QLatin1String(portal::kService), session_, QLatin1String(portal::kSessionInterface),
                    QStringLiteral("Closed"), this, SLOT(Closed(QVariantMap, QDBusMessage)));
    session_.clear();
    QTimer::singleShot(kRetryMilliseconds, this, [this] {
        if (access_ == TypingAccess::Asking) createSession();
    });
}

QString PortalRemoteDesktop::restoreToken() const {
    const FileContent file = readWholeFile(restoreTokenFile_, kMaxTokenBytes);
    return file.outcome == ReadOutcome::Ok ? QString::fromUtf8(file.bytes).trimmed() : QString();
}

void PortalRemoteDesktop::keepRestoreToken(const QString& token) const {
    // A token lets a later start of any program of the user's type without asking: the user's alone.
    if (restoreTokenFile_.isEmpty() || token.isEmpty()) return;
    const WriteResult written =
        writePrivateFile(restoreTokenFile_, token.toUtf8().toStdString(), ExistingFile::Replace);
    if (written.outcome != WriteOutcome::Written) {
        qCWarning(lcPlatform, "the desktop portal's restore token cannot be kept: %s", std::strerror(written.error));
    }
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

void PortalRemoteDesktop::Closed(const QVariantMap&, const QDBusMessage& message) {
    // A session given up for a new one may still tell of its end.
    if (message.path() != session_) return;
    // The portal closes a session it did not start, after the answer that says why: only a
    // session that was granted can be taken back.
    switch (access_) {
        case TypingAccess::Granted:
            settle(TypingAccess::Ended, "the desktop closed the session");
            break;
        case TypingAccess::Asking:
            settle(TypingAccess::Refused, "the desktop closed the session before it answered");
            break;
        case TypingAccess::Refused:
        case TypingAccess::Ended:
            break;
    }
}

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
