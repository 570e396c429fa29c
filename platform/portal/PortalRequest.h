#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/process/Hardening.h"

class QDBusPendingCallWatcher;

namespace tessavo::platform::portal {

// Where the desktop portal answers on the session bus.
inline constexpr const char* kService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kObjectPath = "/org/freedesktop/portal/desktop";
inline constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
inline constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";

// The answer codes of a request: granted, refused by the user, ended otherwise.
inline constexpr std::uint32_t kGranted = 0;
inline constexpr std::uint32_t kCancelled = 1;
inline constexpr std::uint32_t kFailed = 2;

// A token for handle_token and session_handle_token: unique in this process, not guessable.
QString newToken();
// The object path the portal gives the request or session made with this token: the caller's
// unique bus name without its ':' and with '_' for '.', then the token.
QString predictedPath(const QDBusConnection& bus, const char* kind, const QString& token);

// The session handle of a CreateSession answer: a string by the documentation, an object path
// in some portals.
QString sessionHandleOf(const QVariantMap& results);

// One portal call that answers later through its Request object's Response signal. The signal
// is subscribed on the predicted path before the call goes out, so an answer that comes at
// once is not missed; a portal that names another path is followed there.
class PortalRequest final : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<void(std::uint32_t code, const QVariantMap& results)>;

    // Calls interface.method(arguments..., options) with a handle_token added to the options.
    // `answer` runs once, with the response code and results (kFailed and no results when the
    // call itself fails): from the event loop, or at once when the bus refuses the subscription.
    // The request deletes itself afterwards, and goes with `context` unanswered when that goes
    // first.
    static void start(QObject* context, const QDBusConnection& bus, const QString& interface, const QString& method,
                      QVariantList arguments, QVariantMap options, Answer answer);

private Q_SLOTS:
    void Response(uint code, const QVariantMap& results);
    void callFinished(QDBusPendingCallWatcher* watcher);

private:
    PortalRequest(QObject* context, const QDBusConnection& bus, QString method, Answer answer);
    // Until the portal has answered a first call on this connection, the call is made while the
    // process is readable: the portal identifies its caller then, and only then.
    void identifyWithTheCall();
    void identified();
    bool subscribe(const QString& path);
    void unsubscribe();
    void finish(std::uint32_t code, const QVariantMap& results);

    QDBusConnection bus_;
    const QString method_;
    Answer answer_;
    QString path_;
    std::optional<ReadableToTheDesktop> readable_;
    bool finished_ = false;
};

}  // namespace tessavo::platform::portal
