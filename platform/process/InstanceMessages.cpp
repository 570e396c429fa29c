#include "platform/process/InstanceMessages.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/base/FdIo.h"
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
constexpr int kBacklog = 8;
// Out of descriptors with no connection of its own to close, the listener looks again after this.
constexpr int kDescriptorRetryMs = 1000;

// The socket address of `path`; false when the path does not fit one.
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return true;
}

UniqueFd newSocket() { return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)); }

// Whether the peer of a connection runs as this program's user.
bool peerIsThisUser(int connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

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

// One accepted connection: it reads one request strictly, hands it over and goes.
class InstanceListener::Connection : public QObject {
public:
    Connection(UniqueFd fd, InstanceListener& listener)
        : QObject(&listener),
          fd_(std::move(fd)),
          listener_(listener),
          notifier_(fd_.get(), QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, &Connection::read);
        QTimer::singleShot(kRequestPatienceMs, this, &Connection::end);  // a silent peer is cut off
        ++listener_.openConnections_;
    }

private:
    void read() {
        char buffer[kMaxInstanceMessage + 1];
        // One byte beyond the limit is enough to tell an oversized request.
        const ssize_t got = ::recv(fd_.get(), buffer,
                                   static_cast<std::size_t>(kMaxInstanceMessage + 1 - received_.size()), MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got <= 0) return end();  // gone before a whole request
        received_.append(buffer, got);
        const bool complete = received_.contains('\n');
        if (!complete && received_.size() <= kMaxInstanceMessage) return;  // more to come
        char more = 0;
        const bool moreSent = ::recv(fd_.get(), &more, 1, MSG_DONTWAIT | MSG_PEEK) > 0;
        const QByteArray request = received_;
        end();  // one request per connection, and no answer
        if (!moreSent) listener_.take(request);
    }

    void end() {
        if (!fd_.valid()) return;  // ended already, not yet deleted
        notifier_.setEnabled(false);
        fd_.reset();
        deleteLater();
        listener_.connectionEnded();
    }

    UniqueFd fd_;
    InstanceListener& listener_;
    QSocketNotifier notifier_;
    QByteArray received_;
};

InstanceListener::InstanceListener(QObject* parent) : QObject(parent) {}

InstanceListener::~InstanceListener() = default;

bool InstanceListener::listen(const QString& path) {
    sockaddr_un address{};
    if (!addressOf(path, address)) return false;
    UniqueFd socket = newSocket();
    // The caller holds the single-instance lock: a socket file there is one a dead instance left.
    ::unlink(address.sun_path);
    const bool listening = socket.valid() &&
                           ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                           ::chmod(address.sun_path, S_IRUSR | S_IWUSR) == 0 && ::listen(socket.get(), kBacklog) == 0;
    if (!listening) {
        // A later start then cannot reach this instance.
        qCWarning(lcPlatform) << "cannot listen for later starts on" << path << ":" << std::strerror(errno);
        return false;
    }
    notifier_.reset();  // a notifier never outlives the socket it watches
    socket_ = std::move(socket);
    notifier_ = std::make_unique<QSocketNotifier>(socket_.get(), QSocketNotifier::Read);
    // A child as well, by name, so that tests can follow how often it wakes the listener.
    notifier_->setParent(this);
    notifier_->setObjectName(QStringLiteral("listening socket"));
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InstanceListener::acceptConnections);
    paused_ = false;
    return true;
}

void InstanceListener::acceptConnections() {
    while (openConnections_ < kMaxInstanceConnections) {
        UniqueFd connection(::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!connection.valid()) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            // Out of descriptors or memory the socket stays readable: watching it would spin.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                qCWarning(lcPlatform) << "cannot take a later start's connection:" << std::strerror(errno);
                pause();
                if (openConnections_ == 0) QTimer::singleShot(kDescriptorRetryMs, this, &InstanceListener::resume);
            }
            return;
        }
        if (!peerIsThisUser(connection.get())) continue;  // closed unread
        new Connection(std::move(connection), *this);     // owned by this listener, gone when done
    }
    pause();  // at the bound: the next waits in the socket's queue until one ends
}

void InstanceListener::pause() {
    paused_ = true;
    if (notifier_) notifier_->setEnabled(false);
}

void InstanceListener::resume() {
    if (!paused_ || !notifier_) return;
    paused_ = false;
    notifier_->setEnabled(true);
}

void InstanceListener::connectionEnded() {
    --openConnections_;
    resume();
}

void InstanceListener::take(const QByteArray& request) {
    if (const std::optional<InstanceCommand> command = parseInstanceMessage(request)) emit commandReceived(*command);
}

bool sendInstanceCommand(const QString& path, InstanceCommand command, int timeoutMs) {
    sockaddr_un address{};
    if (!addressOf(path, address)) return false;
    const UniqueFd socket = newSocket();
    const bool connected =
        socket.valid() &&
        (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
         ((errno == EAGAIN || errno == EINPROGRESS) && waitUntilReady(socket.get(), POLLOUT, timeoutMs)));
    int error = 0;
    socklen_t size = sizeof error;
    if (!connected || ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
        qCWarning(lcPlatform) << "cannot reach the running instance at" << path << ":"
                              << std::strerror(error != 0 ? error : errno);
        return false;
    }
    const QByteArray message = instanceMessage(command);
    const bool written = waitUntilReady(socket.get(), POLLOUT, timeoutMs) &&
                         ::send(socket.get(), message.constData(), static_cast<std::size_t>(message.size()),
                                MSG_NOSIGNAL) == message.size();
    if (!written) qCWarning(lcPlatform) << "cannot send to the running instance:" << std::strerror(errno);
    return written;
}

}  // namespace tessavo::platform
