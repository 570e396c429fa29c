// The database tool crashed while it holds part of a management password: run with an
// unlimited core size and killed by a signal that dumps core, it leaves no core file, its
// limits allow none, and it is not dumpable (its /proc files belong to root, so no other
// process of its user reads its memory or attaches to it). `cat`, run and killed the same way,
// shows that the checks can tell: it does dump core and its /proc files are its user's.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/UniqueFd.h"
#include "store/FileProtection.h"
#include "tests/support/RunProgram.h"
#include "tests/support/WaitUntil.h"

using namespace tessavo;

namespace {

// Who runs the crashing processes: another user than root, since root reads every /proc entry.
uid_t childUser() {
    if (::geteuid() != 0) return ::geteuid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

// A process started in `directory` as childUser() with the largest core size its limits allow,
// reading standard input from a pipe of the test's, its output discarded.
class CrashingProcess {
public:
    CrashingProcess(const QString& directory, const std::vector<std::string>& command) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        readEnd_ = platform::UniqueFd(ends[0]);
        writeEnd_ = platform::UniqueFd(ends[1]);
        // Everything the child needs is ready before the fork: after it, only system calls.
        std::vector<char*> argv;
        for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        const QByteArray where = QFile::encodeName(directory);
        const uid_t user = childUser();
        const bool switchUser = user != ::geteuid();
        const platform::UniqueFd nowhere(::open("/dev/null", O_WRONLY | O_CLOEXEC));  // for what cat echoes
        pid_t pid = ::fork();
        if (pid == 0) {
            rlimit core{};
            ::getrlimit(RLIMIT_CORE, &core);
            core.rlim_cur = core.rlim_max;
            ::setrlimit(RLIMIT_CORE, &core);
            const bool ready =
                ::dup2(ends[0], STDIN_FILENO) == STDIN_FILENO &&
                ::dup2(nowhere.get(), STDOUT_FILENO) == STDOUT_FILENO && ::chdir(where.constData()) == 0 &&
                (!switchUser || (::setgroups(0, nullptr) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0));
            if (ready) ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        pid_ = pid;
    }
    ~CrashingProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    CrashingProcess(const CrashingProcess&) = delete;
    CrashingProcess& operator=(const CrashingProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // Writes the bytes and waits until the process has read every one of them.
    bool feed(const QByteArray& bytes) {
        if (::write(writeEnd_.get(), bytes.constData(), static_cast<std::size_t>(bytes.size())) != bytes.size())
            return false;
        return test::waitUntil([this] {
            int unread = -1;
            return ::ioctl(readEnd_.get(), FIONREAD, &unread) == 0 && unread == 0;
        });
    }

    // The line of /proc/PID/limits about core files.
    std::string coreLimit() const {
        QFile limits(QStringLiteral("/proc/%1/limits").arg(pid_));
        if (!limits.open(QIODevice::ReadOnly)) return "unreadable";
        for (const QByteArray& line : limits.readAll().split('\n')) {
            if (line.startsWith("Max core file size")) return line.simplified().toStdString();
        }
        return "missing";
    }

    // The owner of the files in /proc/PID (not of the directory, which keeps its first owner):
    // the process's user while it is dumpable, root once it is not.
    uid_t procOwner() const {
        struct stat status {};
        const QByteArray path = QStringLiteral("/proc/%1/status").arg(pid_).toLatin1();
        return ::stat(path.constData(), &status) == 0 ? status.st_uid : uid_t(-1);
    }

    // Kills the process with the signal; true when the kernel says it dumped core.
    bool crashDumpsCore(int signal) {
        int status = 0;
        ::kill(pid_, signal);
        const bool reaped = ::waitpid(pid_, &status, 0) == pid_;
        pid_ = -1;
        return reaped && WIFSIGNALED(status) && WCOREDUMP(status);
    }

private:
    pid_t pid_ = -1;
    platform::UniqueFd readEnd_;
    platform::UniqueFd writeEnd_;
};

// What the crash left in the directory: files named core or core.<something>.
QStringList coreFiles(const QString& directory) {
    return QDir(directory).entryList({QStringLiteral("core"), QStringLiteral("core.*")}, QDir::Files);
}

class DatabaseToolCrash : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        // The tool runs from a copy that the child's user can read (the build tree may not be
        // open to it), on a file that carries the mark of protection: it asks for the
        // management password before it reads anything else.
        tool_ = work_.filePath(QStringLiteral("tessavo-db"));
        ASSERT_TRUE(QFile::copy(test::builtProgram(QStringLiteral("tessavo-db")), tool_));
        QDir(work_.path()).mkdir(QStringLiteral("app"));
        QFile database(work_.filePath(QStringLiteral("app/_.udb")));
        ASSERT_TRUE(database.open(QIODevice::WriteOnly));
        const store::FileSalt salt = store::newProtectedSalt();
        database.write(reinterpret_cast<const char*>(salt.data()), static_cast<qsizetype>(salt.size()));
        database.write(QByteArray(4096, 'x'));
        database.close();
        for (const char* path : {"", "/app", "/app/_.udb", "/tessavo-db"}) {
            const QByteArray name = QFile::encodeName(work_.path()) + path;
            ASSERT_EQ(::chown(name.constData(), childUser(), childUser()), 0) << name.constData();
        }
    }

    std::vector<std::string> toolCommand() const {
        return {QFile::encodeName(tool_).toStdString(), "check", QFile::encodeName(work_.filePath("app")).toStdString(),
                "--password-stdin"};
    }

    QTemporaryDir work_;
    QString tool_;
};

TEST_P(DatabaseToolCrash, LeavesNoCoreAndIsNotDumpable) {
    const int signal = GetParam();
    const QByteArray typed = "correct horse";  // no line end: the tool still waits for the rest

    CrashingProcess control(work_.path(), {"/bin/cat"});
    ASSERT_TRUE(control.started());
    ASSERT_TRUE(control.feed(typed)) << "cat did not read its input";
    EXPECT_EQ(control.procOwner(), childUser()) << "a dumpable process's /proc entry is its user's";
    const bool systemDumpsCores = control.crashDumpsCore(signal);
    for (const QString& core : coreFiles(work_.path())) QFile::remove(work_.filePath(core));

    CrashingProcess tool(work_.path(), toolCommand());
    ASSERT_TRUE(tool.started());
    ASSERT_TRUE(tool.feed(typed)) << "the tool did not read the password";
    EXPECT_EQ(tool.coreLimit(), "Max core file size 0 0 bytes");
    EXPECT_EQ(tool.procOwner(), 0u) << "the tool is dumpable: other processes of its user may read its memory";
    EXPECT_FALSE(tool.crashDumpsCore(signal));
    EXPECT_TRUE(coreFiles(work_.path()).isEmpty()) << coreFiles(work_.path()).join(u' ').toStdString();
    if (!systemDumpsCores)
        std::printf("note: this system wrote no core for cat either; the limit and owner checks stand\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, DatabaseToolCrash, testing::Values(SIGSEGV, SIGABRT, SIGQUIT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
