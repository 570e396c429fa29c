#include "platform/process/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/base/Logging.h"

namespace tessavo::platform {
namespace {

// A name may hold characters that a file name cannot.
QString lockFileName(const QString& name) {
    QString fileName = name;
    fileName.replace(u'/', u'_').replace(QChar(u'\0'), u'_');
    return fileName + QStringLiteral(".lock");
}

// Our own directory only: another user's directory of that name could hold the lock for us.
bool isPrivateDirectory(const QByteArray& path) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString temporaryLockDirectory() {
    const QString directory = QDir::tempPath() + QStringLiteral("/tessavo-%1").arg(::geteuid());
    const QByteArray native = QFile::encodeName(directory);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        qCWarning(lcPlatform) << "cannot make the lock directory" << directory << ":" << std::strerror(error);
        return {};
    }
    if (isPrivateDirectory(native)) return directory;
    qCWarning(lcPlatform) << "the lock directory" << directory << "is not a private directory of this user";
    return {};
}

UniqueFd lockExclusively(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    UniqueFd fd(::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) {
        const int error = errno;
        qCWarning(lcPlatform) << "cannot open the instance lock" << path << ":" << std::strerror(error);
        return fd;
    }
    int result = -1;
    do result = ::flock(fd.get(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) return fd;
    const int error = errno;
    // Held by the running instance is the usual case, and no fault.
    if (error == EWOULDBLOCK) {
        qCDebug(lcPlatform) << "another instance holds" << path;
    } else {
        qCWarning(lcPlatform) << "cannot lock" << path << ":" << std::strerror(error);
    }
    fd.reset();
    return fd;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name) : SingleInstance(name, lockDirectory()) {}

SingleInstance::SingleInstance(const QString& name, const QString& directory) {
    // Without a directory there is no lock to take: the program then ends, as when the
    // mutex cannot be created.
    if (directory.isEmpty()) {
        qCWarning(lcPlatform, "no directory for the single-instance lock: the program ends");
        return;
    }
    path_ = directory + u'/' + lockFileName(name);
    lock_ = lockExclusively(path_);
}

QString SingleInstance::socketPath() const {
    if (path_.isEmpty()) return {};
    return path_.chopped(QStringLiteral(".lock").size()) + QStringLiteral(".socket");
}

QString SingleInstance::lockDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime) || !QFileInfo(runtime).isDir())
        return temporaryLockDirectory();
    if (isPrivateDirectory(QFile::encodeName(runtime))) return runtime;
    // Another user could hold the lock and the socket there, and take the later starts'
    // requests. The private directory in the temporary directory serves instead: later starts
    // of the same session see the same runtime directory and so look there too.
    qCWarning(lcPlatform) << "the runtime directory" << runtime
                          << "is not a private directory of this user: the lock goes to the temporary directory";
    return temporaryLockDirectory();
}

}  // namespace tessavo::platform
