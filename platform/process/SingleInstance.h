#pragma once

#include <QString>

#include "platform/base/UniqueFd.h"

namespace tessavo::platform {

// The program's named mutex: an exclusive lock (flock) on a lock file named after the mutex,
// held for the life of the object. The kernel drops the lock when the process ends, however
// it ends, so a crashed instance never blocks the next start.
class SingleInstance {
public:
    // The lock file lies in lockDirectory().
    explicit SingleInstance(const QString& name);
    // The lock file lies in `directory`, which must exist.
    SingleInstance(const QString& name, const QString& directory);

    // False when another holder has the lock, or the lock file could not be made at all.
    bool acquired() const { return lock_.valid(); }
    const QString& lockFilePath() const { return path_; }
    // Where the holder listens for later starts: beside the lock file, under its name with
    // ".socket" for ".lock"; empty when there is no lock directory.
    QString socketPath() const;

    // $XDG_RUNTIME_DIR when it names an absolute directory of this user's that no other may
    // write to (not a link); otherwise a directory of the user's own in the temporary directory,
    // "<temp>/tessavo-<uid>", made (mode 0700) when missing and held to the same rule. Empty
    // when neither is usable (for example the temp one belongs to another user).
    static QString lockDirectory();

private:
    QString path_;
    UniqueFd lock_;
};

}  // namespace tessavo::platform
