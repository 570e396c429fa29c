#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "platform/base/UniqueFd.h"

class QSocketNotifier;

namespace tessavo::platform {

// What a later start of the program asks of the instance that runs already.
enum class InstanceCommand {
    Show,          // what a click on the tray icon does
    FillAccount,   // what Ctrl+Left does: fill the chosen record's account name
    FillPassword,  // what Ctrl+Right does: fill the chosen record's password
};

// A request is one line of ASCII: the protocol's name and version, a blank, the command's
// words, a line feed ("tessavo/1 show\n", "tessavo/1 fill password\n"); commands with arguments carry them as further
// words. Nothing longer than kMaxInstanceMessage bytes is ever a request.
inline constexpr qsizetype kMaxInstanceMessage = 64;
inline constexpr int kMaxInstanceConnections = 16;
QByteArray instanceMessage(InstanceCommand command);
// The command of exactly one known request; nothing for anything else.
std::optional<InstanceCommand> parseInstanceMessage(const QByteArray& message);

// The running instance's end: a local socket that only its user may reach. A connection
// carries one request, read strictly: anything oversized, unknown or with more after it is
// dropped unanswered, and a connection that stays silent is closed after a few seconds.
// At most kMaxInstanceConnections are open at once: a flood of connections waits in the
// socket's queue (or is refused there) instead of using up the program's descriptors. While
// at that bound, or out of descriptors, the listener stops watching its socket (which would
// otherwise wake it without end) and watches again when a connection closes, or a moment
// later when none of its own is open.
class InstanceListener : public QObject {
    Q_OBJECT

public:
    explicit InstanceListener(QObject* parent = nullptr);
    ~InstanceListener() override;

    // Listens at `path` (an absolute file name). A socket file left there by an instance that
    // ended without removing it is replaced: the caller holds the single-instance lock, so
    // no live instance listens there. False when the socket cannot be made.
    bool listen(const QString& path);

signals:
    void commandReceived(tessavo::platform::InstanceCommand command);

private:
    class Connection;
    void acceptConnections();
    void take(const QByteArray& request);
    void connectionEnded();
    void pause();
    void resume();

    UniqueFd socket_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int openConnections_ = 0;
    bool paused_ = false;
};

// A later start's end: hands the command to the instance listening at `path`. False when
// no instance takes it within `timeoutMs`.
bool sendInstanceCommand(const QString& path, InstanceCommand command, int timeoutMs = 3000);

}  // namespace tessavo::platform
