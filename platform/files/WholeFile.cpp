#include "platform/files/WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/base/FdIo.h"
#include "platform/base/Logging.h"
#include "platform/base/UniqueFd.h"

namespace tessavo::platform {
namespace {

// A path in the file system's encoding; a NUL would silently cut it short, so such a name
// has no file at all.
std::optional<std::string> nativePath(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0'))) return std::nullopt;
    const QByteArray encoded = QFile::encodeName(path);
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

// Says why a file could not be read or written: the system call that failed left its reason
// in errno, which is kept for the caller.
template <class Result>
Result failure(Result result, const char* what, const QString& path) {
    const int error = errno;
    qCWarning(lcPlatform) << what << path << ":" << std::strerror(error);
    errno = error;
    return result;
}

WriteResult failed() { return {WriteOutcome::Failed, errno}; }

int openRetrying(const std::string& path, int flags, mode_t mode = 0) {
    int fd = -1;
    do fd = ::open(path.c_str(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads one chunk; 0 at the end, -1 on an error.
ssize_t readSome(int fd, char* buffer, std::size_t size) {
    ssize_t got = -1;
    do got = ::read(fd, buffer, size);
    while (got < 0 && errno == EINTR);
    return got;
}

// What an existing target hands on to its replacement.
struct TargetState {
    bool exists = false;
    struct stat status {};
};

// Nothing when the target may not be replaced: a directory, device or pipe under that name,
// or a file we may not write (a read-only settings file stays as it is).
std::optional<TargetState> inspectTarget(const std::string& target) {
    TargetState state;
    if (::stat(target.c_str(), &state.status) != 0) {
        if (errno == ENOENT) return state;
        return std::nullopt;
    }
    if (!S_ISREG(state.status.st_mode)) {
        errno = S_ISDIR(state.status.st_mode) ? EISDIR : EINVAL;
        return std::nullopt;
    }
    // Checked with the effective rights, as the write itself would be.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return std::nullopt;
    state.exists = true;
    return state;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Flushes the directory entry of a rename; a file system that cannot do it loses nothing else.
void syncDirectory(const std::string& directory) {
    const UniqueFd dir(openRetrying(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
}

// The new content of a target, in a file of the target's directory that has no name (O_TMPFILE)
// until commit() links it in: a failure or a kill before that leaves nothing behind. Where the
// file system has no unnamed files, a uniquely named hidden file stands in, removed again
// unless committed.
class PendingFile {
public:
    explicit PendingFile(std::string target) : target_(std::move(target)) {}
    ~PendingFile() {
        if (!temp_.empty() && !committed_) ::unlink(temp_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The kernel applies the umask to `createMode`, as for any new file of the user.
    bool open(mode_t createMode) {
        fd_.reset(openRetrying(directoryOf(target_), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode));
        if (fd_.valid()) return true;
        // Kernels and file systems without unnamed files answer one of these.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string candidate = tempNameBeside();
            fd_.reset(openRetrying(candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode));
            if (fd_.valid()) {
                temp_ = candidate;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    int fd() const { return fd_.get(); }

    // Gives the file the target's name; with `replace` false an existing target is kept (EEXIST).
    bool commit(bool replace = true) {
        if (::fsync(fd_.get()) != 0) return false;
        if (!(temp_.empty() ? linkUnnamed(replace) : renameOnto(temp_, replace))) return false;
        committed_ = true;
        if (!fd_.close()) return false;
        syncDirectory(directoryOf(target_));
        return true;
    }

private:
    // An unnamed file is linked under the target's name, which never replaces anything; to
    // replace, it is linked under a hidden name first and renamed over the target.
    bool linkUnnamed(bool replace) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        if (!replace) return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string candidate = tempNameBeside();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                if (renameOnto(candidate, true)) return true;
                const int error = errno;
                ::unlink(candidate.c_str());
                errno = error;
                return false;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    bool renameOnto(const std::string& from, bool replace) const {
        if (replace) return ::rename(from.c_str(), target_.c_str()) == 0;
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // A file system without the no-replace rename: a hard link is never made over a name.
        if (::link(from.c_str(), target_.c_str()) != 0) return false;
        ::unlink(from.c_str());
        return true;
    }

    // ".<start of the target's name>.<random>~", short enough for any target name that fits.
    std::string tempNameBeside() const {
        const auto slash = target_.rfind('/');
        const std::string directory = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
        const QByteArray random = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        return directory + "." + name.substr(0, 100) + "." + random.toStdString() + "~";
    }

    std::string target_;
    std::string temp_;  // empty for an unnamed file
    UniqueFd fd_;
    bool committed_ = false;
};

// Gives the replacement the mode (and, where permitted, the owner) of the file it replaces,
// so a rewrite changes the content only.
bool takeOver(int fd, const TargetState& state) {
    if (!state.exists) return true;
    // Only root can hand the file back to another owner; for anyone else it already is theirs.
    if (::fchown(fd, state.status.st_uid, state.status.st_gid) != 0 && errno != EPERM) return false;
    return ::fchmod(fd, state.status.st_mode & 07777) == 0;
}

bool makeUserExecutable(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return false;
    // Executable for everyone who may read it.
    const mode_t readers = status.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    return ::fchmod(fd, (status.st_mode & 07777) | S_IXUSR | (readers >> 2)) == 0;
}

bool copyContent(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = readSome(from, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0 || !writeAll(to, std::string_view(buffer, static_cast<std::size_t>(got)))) return false;
    }
}

}  // namespace

FileContent readWholeFile(const QString& path, std::size_t limit) {
    const auto native = nativePath(path);
    if (!native) return {ReadOutcome::Missing, {}};
    // Non-blocking, so that a pipe under the name is never waited for.
    const UniqueFd fd(openRetrying(*native, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR) return {ReadOutcome::Missing, {}};
        return failure(FileContent{ReadOutcome::Failed, {}}, "cannot open", path);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return failure(FileContent{ReadOutcome::Failed, {}}, "cannot examine", path);
    if (!S_ISREG(status.st_mode)) return {ReadOutcome::NotRegular, {}};
    if (static_cast<std::uintmax_t>(status.st_size) > limit) return {ReadOutcome::TooLarge, {}};

    FileContent content{ReadOutcome::Ok, {}};
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = readSome(fd.get(), buffer, sizeof buffer);
        if (got < 0) return failure(FileContent{ReadOutcome::Failed, {}}, "cannot read", path);
        if (got == 0) return content;
        content.bytes.append(buffer, static_cast<std::size_t>(got));
        // The file may grow while it is read.
        if (content.bytes.size() > limit) return {ReadOutcome::TooLarge, {}};
    }
}

FileParts::FileParts(const QString& path, std::size_t limit) : limit_(limit) {
    const auto native = nativePath(path);
    if (!native) {
        outcome_ = ReadOutcome::Missing;
        return;
    }
    fd_.reset(openRetrying(*native, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd_.valid()) {
        outcome_ = errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing
                                                       : failure(ReadOutcome::Failed, "cannot open", path);
        return;
    }
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) {
        outcome_ = failure(ReadOutcome::Failed, "cannot examine", path);
    } else if (!S_ISREG(status.st_mode)) {
        outcome_ = ReadOutcome::NotRegular;
    } else if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        outcome_ = ReadOutcome::TooLarge;
    } else {
        outcome_ = ReadOutcome::Ok;
    }
}

std::optional<std::string> FileParts::next(std::size_t size) {
    if (outcome_ != ReadOutcome::Ok) return std::nullopt;
    std::string part(size, '\0');
    const ssize_t got = readSome(fd_.get(), part.data(), size);
    if (got < 0) {
        outcome_ = ReadOutcome::Failed;
        return std::nullopt;
    }
    part.resize(static_cast<std::size_t>(got));
    read_ += part.size();
    // The file may grow while it is read.
    if (read_ > limit_) {
        outcome_ = ReadOutcome::TooLarge;
        return std::nullopt;
    }
    return part;
}

std::string readFileHead(const QString& path, std::size_t count) {
    const auto native = nativePath(path);
    if (!native) return {};
    const UniqueFd fd(openRetrying(*native, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
    std::string head(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = readSome(fd.get(), head.data() + filled, count - filled);
        if (got < 0) return {};
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    head.resize(filled);
    return head;
}

bool replaceWholeFile(const QString& target, std::string_view bytes, NewFileMode mode) {
    const auto native = nativePath(target);
    if (!native) return false;
    const auto state = inspectTarget(*native);
    if (!state) return failure(false, "may not replace", target);
    const bool executable = mode == NewFileMode::Executable;
    PendingFile pending(*native);
    if (!pending.open(executable ? 0777 : 0666)) return failure(false, "cannot make a new file beside", target);
    if (!writeAll(pending.fd(), bytes) || !takeOver(pending.fd(), *state) ||
        (executable && !makeUserExecutable(pending.fd()))) {
        return failure(false, "cannot write the new content of", target);
    }
    if (!pending.commit()) return failure(false, "cannot put the new content in place of", target);
    return true;
}

WriteResult copyToNewFile(const QString& source, const QString& target) {
    const auto nativeSource = nativePath(source);
    const auto nativeTarget = nativePath(target);
    if (!nativeSource || !nativeTarget) return {WriteOutcome::Failed, ENOENT};
    const UniqueFd from(openRetrying(*nativeSource, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!from.valid() || ::fstat(from.get(), &status) != 0) return failure(failed(), "cannot open", source);
    if (!S_ISREG(status.st_mode)) {
        errno = EINVAL;
        return failure(failed(), "cannot copy what is not a regular file:", source);
    }
    struct stat existing {};
    if (::lstat(nativeTarget->c_str(), &existing) == 0) return {WriteOutcome::NameTaken, EEXIST};
    PendingFile pending(*nativeTarget);
    if (!pending.open(0600)) return failure(failed(), "cannot make a new file beside", target);
    // The copy carries the source's mode, as a copy of a file does.
    if (!copyContent(from.get(), pending.fd()) || ::fchmod(pending.fd(), status.st_mode & 07777) != 0)
        return failure(failed(), "cannot copy into", target);
    if (!pending.commit(false)) {
        if (errno == EEXIST) return {WriteOutcome::NameTaken, EEXIST};
        return failure(failed(), "cannot put the copy in place of", target);
    }
    return {WriteOutcome::Written, 0};
}

WriteResult writePrivateFile(const QString& target, std::string_view bytes, ExistingFile existing) {
    const auto native = nativePath(target);
    if (!native) return {WriteOutcome::Failed, ENOENT};
    const bool replace = existing == ExistingFile::Replace;
    struct stat status {};
    if (!replace && ::lstat(native->c_str(), &status) == 0) return {WriteOutcome::NameTaken, EEXIST};
    PendingFile pending(*native);
    const bool written = pending.open(0600) && ::fchmod(pending.fd(), 0600) == 0 && writeAll(pending.fd(), bytes) &&
                         pending.commit(replace);
    if (written) return {WriteOutcome::Written, 0};
    const int error = errno;
    return {error == EEXIST ? WriteOutcome::NameTaken : WriteOutcome::Failed, error};
}

WriteResult createPrivateFile(const QString& path) {
    const auto native = nativePath(path);
    if (!native) return {WriteOutcome::Failed, ENOENT};
    // O_EXCL also refuses a link under the name, dangling or not.
    const UniqueFd fd(openRetrying(*native, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.valid()) {
        if (errno == EEXIST) return {WriteOutcome::NameTaken, EEXIST};
        return failure(failed(), "cannot create", path);
    }
    // The umask may have taken rights away, never added any: 0600 exactly.
    if (::fchmod(fd.get(), 0600) != 0) {
        const WriteResult result = failure(failed(), "cannot make private", path);
        ::unlink(native->c_str());
        return result;
    }
    return {WriteOutcome::Written, 0};
}

bool putInPlace(const QString& replacement, const QString& target) {
    const auto from = nativePath(replacement);
    const auto to = nativePath(target);
    if (!from || !to) return false;
    const auto state = inspectTarget(*to);
    if (!state) return failure(false, "may not replace", target);
    const UniqueFd fd(openRetrying(*from, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    if (!fd.valid() || ::fsync(fd.get()) != 0 || !takeOver(fd.get(), *state))
        return failure(false, "cannot make ready", replacement);
    if (::rename(from->c_str(), to->c_str()) != 0) return failure(false, "cannot put the new file in place of", target);
    syncDirectory(directoryOf(*to));
    return true;
}

QStringList fileNamesIn(const QString& directory) {
    const auto native = nativePath(directory);
    if (!native) return {};
    struct CloseDirectory {
        void operator()(DIR* listing) const { ::closedir(listing); }
    };
    const std::unique_ptr<DIR, CloseDirectory> listing(::opendir(native->c_str()));
    if (!listing) return {};
    QStringList names;
    while (const dirent* entry = ::readdir(listing.get())) {
        struct stat status {};
        const bool directoryEntry =
            entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && (::fstatat(::dirfd(listing.get()), entry->d_name,
                                                                                  &status, AT_SYMLINK_NOFOLLOW) != 0 ||
                                                                        S_ISDIR(status.st_mode)));
        if (!directoryEntry) names << QFile::decodeName(entry->d_name);
    }
    return names;
}

bool removeFile(const QString& path) {
    const auto native = nativePath(path);
    if (!native) return false;
    if (::unlink(native->c_str()) == 0 || errno == ENOENT) return true;
    return failure(false, "cannot remove", path);
}

}  // namespace tessavo::platform
