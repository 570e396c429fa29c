#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QRandomGenerator>
#include <QSet>
#include <atomic>
#include <utility>

#include "platform/base/Logging.h"

namespace tessavo::platform::portal {
namespace {

// The bus connections on which the portal has answered a call, and so knows who we are.
QSet<QString>& identifiedConnections() {
    static QSet<QString> connections;
    return connections;
}

}  // namespace

QString newToken() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("tessavo%1_%2").arg(++counter).arg(QRandomGenerator::global()->generate());
}

QString predictedPath(const QDBusConnection& bus, const char* kind, const QString& token) {
    QString sender = bus.baseService();
    if (sender.startsWith(QLatin1Char(':'))) sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(kObjectPath), QLatin1String(kind), sender, token);
}

QString sessionHandleOf(const QVariantMap& results) {
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>()) return handle.value<QDBusObjectPath>().path();
    return handle.toString();
}

PortalRequest::PortalRequest(QObject* context, const QDBusConnection& bus, QString method, Answer answer)
    : QObject(context), bus_(bus), method_(std::move(method)), answer_(std::move(answer)) {}

void PortalRequest::start(QObject* context, const QDBusConnection& bus, const QString& interface, const QString& method,
                          QVariantList arguments, QVariantMap options, Answer answer) {
    // Owned by the context until it deletes itself after the answer.
    auto* request = new PortalRequest(context, bus, method, std::move(answer));
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    request->identifyWithTheCall();
    if (!request->subscribe(predictedPath(bus, "request", token))) {
        request->finish(kFailed, {});
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath), interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, &PortalRequest::callFinished);
}

void PortalRequest::identifyWithTheCall() {
    if (!identifiedConnections().contains(bus_.name())) readable_.emplace();
}

bool PortalRequest::subscribe(const QString& path) {
    path_ = path;
    return bus_.connect(QLatin1String(kService), path_, QLatin1String(kRequestInterface), QStringLiteral("Response"),
                        this, SLOT(Response(uint, QVariantMap)));
}

void PortalRequest::unsubscribe() {
    if (path_.isEmpty()) return;
    bus_.disconnect(QLatin1String(kService), path_, QLatin1String(kRequestInterface), QStringLiteral("Response"), this,
                    SLOT(Response(uint, QVariantMap)));
    path_.clear();
}

void PortalRequest::callFinished(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        readable_.reset();
        qCWarning(lcPlatform) << "the desktop portal refused the call" << method_ << ":" << reply.error().name()
                              << reply.error().message();
        finish(kFailed, {});
        return;
    }
    identified();
    // An older portal makes up its own path: the answer comes there.
    const QString actual = reply.value().path();
    if (!finished_ && actual != path_) {
        unsubscribe();
        if (!subscribe(actual)) finish(kFailed, {});
    }
}

void PortalRequest::identified() {
    identifiedConnections().insert(bus_.name());
    readable_.reset();
}

void PortalRequest::Response(uint code, const QVariantMap& results) {
    // An answer comes only to a call the portal took, from a caller it knows.
    identified();
    finish(code, results);
}

void PortalRequest::finish(std::uint32_t code, const QVariantMap& results) {
    if (finished_) return;
    finished_ = true;
    readable_.reset();  // a call that failed: the next one tries again
    unsubscribe();
    qCDebug(lcPlatform) << "the desktop portal answered" << method_ << "with" << code;
    // The answer may start the next request; this one is gone once the event loop comes back.
    const Answer answer = std::exchange(answer_, {});
    deleteLater();
    answer(code, results);
}

}  // namespace tessavo::platform::portal
