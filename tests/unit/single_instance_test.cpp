#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "platform/process/SingleInstance.h"
#include "tests/support/ScopedEnvironment.h"

using tessavo::platform::SingleInstance;
using tessavo::test::ScopedEnvironment;

namespace {

const QString kName = QStringLiteral("Tessavo个人版");

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
};

// Whether a separate process gets the lock while we hold (or no longer hold) it.
bool childAcquires(const QString& name, const QString& directory) {
    const pid_t child = ::fork();
    if (child == 0) {
        const SingleInstance instance(name, directory);
        ::_exit(instance.acquired() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        ADD_FAILURE() << "the child process did not run";
        return false;
    }
    return WEXITSTATUS(status) == 0;
}

TEST_F(SingleInstanceTest, FirstHolderGetsTheLockFileNamedAfterTheMutex) {
    const SingleInstance first(kName, dir_.path());
    EXPECT_TRUE(first.acquired());
    EXPECT_EQ(first.lockFilePath(), dir_.path() + "/Tessavo个人版.lock");
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));
}

TEST_F(SingleInstanceTest, SecondHolderInTheSameProcessFailsUntilTheFirstGoes) {
    auto first = std::make_unique<SingleInstance>(kName, dir_.path());
    ASSERT_TRUE(first->acquired());
    EXPECT_FALSE(SingleInstance(kName, dir_.path()).acquired());
    first.reset();
    EXPECT_TRUE(SingleInstance(kName, dir_.path()).acquired());
}

TEST_F(SingleInstanceTest, AnotherProcessFailsWhileTheFirstHoldsIt) {
    auto first = std::make_unique<SingleInstance>(kName, dir_.path());
    ASSERT_TRUE(first->acquired());
    EXPECT_FALSE(childAcquires(kName, dir_.path()));
    first.reset();
    EXPECT_TRUE(childAcquires(kName, dir_.path()));
}

TEST_F(SingleInstanceTest, LockEndsWithTheProcessThatHeldIt) {
    // The child takes the lock and ends without any clean-up of its own.
    ASSERT_TRUE(childAcquires(kName, dir_.path()));
    EXPECT_TRUE(SingleInstance(kName, dir_.path()).acquired());
}

TEST_F(SingleInstanceTest, OtherNamesDoNotBlock) {
    const SingleInstance first(kName, dir_.path());
    ASSERT_TRUE(first.acquired());
    EXPECT_TRUE(SingleInstance(QStringLiteral("Tessavo"), dir_.path()).acquired());
}

TEST_F(SingleInstanceTest, SlashInTheNameStaysInTheDirectory) {
    const SingleInstance instance(QStringLiteral("a/b"), dir_.path());
    EXPECT_TRUE(instance.acquired());
    EXPECT_EQ(instance.lockFilePath(), dir_.path() + "/a_b.lock");
}

struct UnusableCase {
    const char* name;
    QString (*prepare)(const QString& directory);  // returns the lock directory
};

class SingleInstanceUnusable : public SingleInstanceTest, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(SingleInstanceUnusable, IsNotAcquired) {
    EXPECT_FALSE(SingleInstance(kName, GetParam().prepare(dir_.path())).acquired());
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleInstanceUnusable,
                         ::testing::Values(UnusableCase{"missingDirectory",
                                                        [](const QString& d) { return d + "/missing"; }},
                                           UnusableCase{"noDirectory", [](const QString&) { return QString(); }},
                                           UnusableCase{"lockFileIsADirectory",
                                                        [](const QString& d) {
                                                            QDir(d).mkdir(QStringLiteral("Tessavo个人版.lock"));
                                                            return d;
                                                        }},
                                           UnusableCase{"lockFileIsALink",
                                                        [](const QString& d) {
                                                            QFile::link(d + "/elsewhere", d + "/Tessavo个人版.lock");
                                                            return d;
                                                        }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SingleInstanceTest, LockDirectoryIsTheRuntimeDirectory) {
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    EXPECT_EQ(SingleInstance::lockDirectory(), dir_.path());
}

// A runtime directory made in the test's directory, with this mode.
QByteArray runtimeDirectoryWithMode(const QString& directory, mode_t mode) {
    const QByteArray path = QFile::encodeName(directory) + "/runtime";
    ::mkdir(path.constData(), 0700);
    ::chmod(path.constData(), mode);
    return path;
}

// A directory that belongs to another user: one handed to nobody when we may, else the root
// directory (which is root's).
QByteArray anotherUsersDirectory(const QString& directory) {
    if (::geteuid() != 0) return "/";
    const QByteArray path = runtimeDirectoryWithMode(directory, 0700);
    return ::chown(path.constData(), 65534, 65534) == 0 ? path : QByteArray();
}

struct FallbackCase {
    const char* name;
    std::optional<QByteArray> (*runtime)(const QString& directory);  // XDG_RUNTIME_DIR
};

class LockDirectoryFallback : public SingleInstanceTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(LockDirectoryFallback, IsAPrivateDirectoryInTheTemporaryDirectory) {
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", GetParam().runtime(dir_.path()));
    const ScopedEnvironment temp("TMPDIR", QFile::encodeName(dir_.path()));
    const QString expected = dir_.path() + QStringLiteral("/tessavo-%1").arg(::geteuid());
    EXPECT_EQ(SingleInstance::lockDirectory(), expected);
    struct stat status {};
    ASSERT_EQ(::lstat(QFile::encodeName(expected).constData(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    // The second call finds the directory made by the first.
    EXPECT_EQ(SingleInstance::lockDirectory(), expected);
}

// Unusable runtime directories: missing or malformed, and those where another user could
// hold the lock and the socket.
INSTANTIATE_TEST_SUITE_P(
    Cases, LockDirectoryFallback,
    ::testing::Values(
        FallbackCase{"unset", [](const QString&) -> std::optional<QByteArray> { return std::nullopt; }},
        FallbackCase{"empty", [](const QString&) -> std::optional<QByteArray> { return QByteArray(); }},
        FallbackCase{"relative", [](const QString&) -> std::optional<QByteArray> { return "run/user"; }},
        FallbackCase{"missing", [](const QString&) -> std::optional<QByteArray> { return "/nonexistent/run/user"; }},
        FallbackCase{"worldWritable",
                     [](const QString& d) -> std::optional<QByteArray> { return runtimeDirectoryWithMode(d, 0777); }},
        FallbackCase{"worldWritableSticky",
                     [](const QString& d) -> std::optional<QByteArray> { return runtimeDirectoryWithMode(d, 01777); }},
        FallbackCase{"groupWritable",
                     [](const QString& d) -> std::optional<QByteArray> { return runtimeDirectoryWithMode(d, 0770); }},
        FallbackCase{"anotherUsers",
                     [](const QString& d) -> std::optional<QByteArray> { return anotherUsersDirectory(d); }},
        FallbackCase{"aLinkToAPrivateOne",
                     [](const QString& d) -> std::optional<QByteArray> {
                         const QByteArray target = runtimeDirectoryWithMode(d, 0700);
                         const QByteArray link = QFile::encodeName(d) + "/link";
                         return ::symlink(target.constData(), link.constData()) == 0 ? link : QByteArray();
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SingleInstanceTest, ForeignTemporaryLockDirectoryIsRefused) {
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
    const ScopedEnvironment temp("TMPDIR", QFile::encodeName(dir_.path()));
    // A link planted under the name could lead anywhere.
    QDir(dir_.path()).mkdir(QStringLiteral("planted"));
    ASSERT_TRUE(QFile::link(dir_.path() + "/planted", dir_.path() + QStringLiteral("/tessavo-%1").arg(::geteuid())));
    EXPECT_EQ(SingleInstance::lockDirectory(), QString());
    EXPECT_FALSE(SingleInstance(kName).acquired());
}

}  // namespace
