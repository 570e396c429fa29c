#include "bench/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace tessavo::bench {
namespace {

// Both ends of a pipe, closed with the object.
class Pipe {
public:
    Pipe() {
        if (pipe2(ends_, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return ends_[0]; }
    int writeEnd() const { return ends_[1]; }
    void closeEnd(int end) {
        if (ends_[end] >= 0) close(ends_[end]);
        ends_[end] = -1;
    }

private:
    int ends_[2] = {-1, -1};
};

std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || c == '\n') return line;
        line.push_back(c);
    }
}

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The child's exit status; its processor time and peak memory go into the report.
int waitFor(pid_t child, ChildReport& report) {
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0)
        if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    report.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    report.peakResidentMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return status;
}

}  // namespace

ChildReport runChild(const std::string& program, const std::vector<std::string>& arguments) {
    Pipe output;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDOUT_FILENO);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    output.closeEnd(1);

    ChildReport report;
    report.firstLine = readLine(output.readEnd());
    report.secondsToFirstLine = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int status = waitFor(child, report);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " " + arguments.front() + " failed (status " + std::to_string(status) + ")");
    if (report.firstLine.empty()) throw std::runtime_error(program + " wrote nothing");
    return report;
}

std::string transferTool() {
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/tessavo-db")).toStdString();
}

std::string helperProgram() {
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/tessavo_bench_process")).toStdString();
}

}  // namespace tessavo::bench
