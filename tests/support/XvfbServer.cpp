#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tessavo::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kReadyTimeout = std::chrono::seconds(20);
constexpr auto kExitTimeout = std::chrono::seconds(5);

// The environment of this process with DISPLAY replaced.
std::vector<std::string> environmentWithDisplay(const std::string& display) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string_view(*entry).starts_with("DISPLAY=")) continue;
        environment.emplace_back(*entry);
    }
    environment.push_back("DISPLAY=" + display);
    return environment;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Starts a program. inheritedFd stays open in the child; quiet sends its output to /dev/null.
pid_t spawn(std::vector<std::string> command, std::vector<std::string> environment, int inheritedFd, bool quiet) {
    std::vector<char*> argv = pointers(command);
    std::vector<char*> envp = pointers(environment);
    const int devNull = quiet ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec. A test binary killed by a timeout
        // takes its server along instead of leaving it running.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        if (inheritedFd >= 0) ::fcntl(inheritedFd, F_SETFD, 0);
        if (devNull >= 0) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (devNull >= 0) ::close(devNull);
    return pid;
}

// Reads the line the server writes to its -displayfd when it accepts connections.
std::string readReadyLine(int fd) {
    const auto deadline = Clock::now() + kReadyTimeout;
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) throw std::runtime_error("Xvfb did not get ready in time");
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) continue;
        char buffer[32];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw std::runtime_error("Xvfb ended before it was ready");
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text.substr(0, text.find('\n'));
}

// Waits for a child to end, at most until the deadline; true when it has ended.
bool reap(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

XvfbServer::XvfbServer(const std::string& screenGeometry, const std::vector<std::string>& serverOptions) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for Xvfb");
    const int readFd = pipeFds[0];
    const int writeFd = pipeFds[1];
    std::vector<std::string> command = {
        "Xvfb", "-displayfd", std::to_string(writeFd), "-screen", "0", screenGeometry, "-nolisten", "tcp", "-noreset"};
    command.insert(command.end(), serverOptions.begin(), serverOptions.end());
    pid_ = spawn(command, environmentWithDisplay(""), writeFd, true);
    ::close(writeFd);
    try {
        if (pid_ < 0) throw std::runtime_error("cannot start Xvfb");
        display_ = ":" + readReadyLine(readFd);
    } catch (...) {
        ::close(readFd);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap(pid_, Clock::now() + kExitTimeout);
        }
        throw;
    }
    ::close(readFd);
}

XvfbServer::~XvfbServer() {
    ::kill(pid_, SIGTERM);
    if (!reap(pid_, Clock::now() + kExitTimeout)) {
        ::kill(pid_, SIGKILL);
        reap(pid_, Clock::now() + kExitTimeout);
    }
}

int XvfbServer::run(const std::vector<std::string>& command) const {
    const pid_t pid = spawn(command, environmentWithDisplay(display_), -1, false);
    if (pid < 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tessavo::test
