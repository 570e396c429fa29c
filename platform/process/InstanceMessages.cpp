#include "platform/process/InstanceMessages.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <iterator>
#include <utility>

#include "platform/base/Logging.h"

namespace tessavo::platform {
namespace {

// Every command with its words; a later command is one more row.
constexpr std::pair<InstanceCommand, const char*> kCommandWords[] = {
    {InstanceCommand::Show, "show"},
    {InstanceCommand::FillAccount, "fill account"},
    {InstanceCommand::FillPassword, "fill password"},
};

// How long a connection may take to deliver its request.
constexpr int kRequestPatienceMs = 5000;

// The request read so far on one connection.
const char* const kReceivedProperty = "tessavoReceived";

}  // namespace

QByteArray instanceMessage(InstanceCommand command) {
    for (const auto& [known, words] : kCommandWords) {
        if (known == command) return QByteArrayLiteral("tessavo/1 ") + words + '\n';
    }
    return {};
}

std::optional<InstanceCommand> parseInstanceMessage(const QByteArray& message) {
    if (message.size() > kMaxInstanceMessage) return std::nullopt;
    for (const auto& [command, words] : kCommandWords) {
        if (message == instanceMessage(command)) return command;
    }
    return std::nullopt;
}

InstanceListener::InstanceListener(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceListener::acceptConnections);
}

InstanceListener::~InstanceListener() = default;

bool InstanceListener::listen(const QString& path) {
    if (path.isEmpty()) return false;
    QLocalServer::removeServer(path);
    if (server_->listen(path)) return true;
    // A later start then cannot reach this instance.
    qCWarning(lcPlatform) << "cannot listen for later starts on" << path << ":" << server_->errorString();
    return false;
}

void InstanceListener::acceptConnections() {
    while (QLocalSocket* connection = server_->nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] { readRequest(connection); });
        QTimer::singleShot(kRequestPatienceMs, connection, [connection] { connection->abort(); });
        if (connection->bytesAvailable() > 0) readRequest(connection);
    }
}

void InstanceListener::readRequest(QLocalSocket* connection) {
    QByteArray received = connection->property(kReceivedProperty).toByteArray();
    // One byte beyond the limit is enough to tell an oversized request.
    received += connection->read(kMaxInstanceMessage + 1 - received.size());
    connection->setProperty(kReceivedProperty, received);
    const bool complete = received.contains('\n');
    if (!complete && received.size() <= kMaxInstanceMessage) return;  // more to come
    const bool moreSent = connection->bytesAvailable() > 0;
    connection->abort();  // one request per connection, and no answer
    if (moreSent) return;
    if (const std::optional<InstanceCommand> command = parseInstanceMessage(received)) emit commandReceived(*command);
}

bool sendInstanceCommand(const QString& path, InstanceCommand command, int timeoutMs) {
    if (path.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs)) {
        qCWarning(lcPlatform) << "cannot reach the running instance at" << path << ":" << socket.errorString();
        return false;
    }
    socket.write(instanceMessage(command));
    const bool written = socket.waitForBytesWritten(timeoutMs);
    if (!written) qCWarning(lcPlatform) << "cannot send to the running instance:" << socket.errorString();
    socket.disconnectFromServer();
    return written;
}

}  // namespace tessavo::platform
