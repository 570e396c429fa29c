#include "platform/process/TerminalPassword.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <cerrno>
#include <string>

#include "platform/base/UniqueFd.h"

namespace tessavo::platform {
namespace {

// One line from the descriptor, read a byte at a time so nothing after it is taken.
std::optional<std::string> readLine(int fd) {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// Echo off on the terminal while it lives; the earlier settings come back when it goes.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

QString passwordOf(std::optional<std::string>& line) {
    QString password = QString::fromUtf8(line->data(), static_cast<qsizetype>(line->size()));
    std::fill(line->begin(), line->end(), '\0');
    return password;
}

}  // namespace

std::optional<QString> readPasswordLine(bool fromStandardInput, const QString& prompt) {
    if (fromStandardInput) {
        std::optional<std::string> line = readLine(STDIN_FILENO);
        if (!line) return std::nullopt;
        return passwordOf(line);
    }
    const UniqueFd terminal(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!terminal.valid()) return std::nullopt;
    const QByteArray text = prompt.toLocal8Bit();
    if (::write(terminal.get(), text.constData(), static_cast<std::size_t>(text.size())) < 0) return std::nullopt;
    std::optional<std::string> line;
    {
        const EchoOff quiet(terminal.get());
        line = readLine(terminal.get());
    }
    if (!line) return std::nullopt;
    return passwordOf(line);
}

}  // namespace tessavo::platform
