#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <QString>

namespace tessavo::test {

// Lets file permissions bind this thread even when the tests run as root: the capabilities
// that pass over them (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER) leave the effective
// set until the object goes, so a directory without write permission refuses new files to
// root too. For any other user nothing changes.
class ScopedPermissionChecks {
public:
    ScopedPermissionChecks() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~ScopedPermissionChecks() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }
    ScopedPermissionChecks(const ScopedPermissionChecks&) = delete;
    ScopedPermissionChecks& operator=(const ScopedPermissionChecks&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// A directory in which nobody (root included, while a ScopedPermissionChecks is alive) may
// create or remove entries; its permissions come back when the object goes.
class ScopedReadOnlyDirectory {
public:
    explicit ScopedReadOnlyDirectory(QString path) : path_(std::move(path)), saved_(QFile::permissions(path_)) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::ExeOther);
    }
    ~ScopedReadOnlyDirectory() { QFile::setPermissions(path_, saved_); }
    ScopedReadOnlyDirectory(const ScopedReadOnlyDirectory&) = delete;
    ScopedReadOnlyDirectory& operator=(const ScopedReadOnlyDirectory&) = delete;

private:
    QString path_;
    QFile::Permissions saved_;
    ScopedPermissionChecks checks_;
};

}  // namespace tessavo::test
