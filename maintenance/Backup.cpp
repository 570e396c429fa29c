#include "maintenance/Backup.h"

#include "platform/base/Logging.h"
#include "platform/files/WholeFile.h"
#include "store/ConnectionString.h"

namespace tessavo::maintenance {
namespace {

QString databaseFileName() { return QString::fromUtf16(store::kDatabaseFileName); }

// A category is part of a file name: a "/" in it would lead into a subdirectory (and a NUL
// would cut the name short), so both become "_". Every other character stays.
QString categoryForFileName(const QString& category) {
    QString name = category;
    return name.replace(u'/', u'_').replace(QChar(u'\0'), u'_');
}

}  // namespace

QString categoryDeletionBackupPrefix(const QString& category) {
    return QStringLiteral("删除[") + categoryForFileName(category) + QStringLiteral("]分类前备份_bak_");
}

QString passwordChangeBackupPrefix() { return QStringLiteral("修改密码前备份_bak_"); }

QString clearAllBackupPrefix() { return QStringLiteral("清空数据库前备份_bak_"); }

QString backupStamp(const QString& clockText) {
    QString stamp = clockText;
    for (const char16_t separator : {u':', u' ', u'-', u'/'}) stamp.remove(QChar(separator));
    return stamp;
}

QString backupFilePath(const QString& appDir, const QString& prefix, const QString& clockText) {
    return backupFilePath(appDir, prefix, clockText, 1);
}

QString backupFilePath(const QString& appDir, const QString& prefix, const QString& clockText, int attempt) {
    const QString suffix = attempt > 1 ? QStringLiteral("_%1").arg(attempt) : QString();
    return appDir + prefix + backupStamp(clockText) + suffix + databaseFileName();
}

std::optional<QString> takeBackup(const QString& appDir, const QString& prefix, const QString& clockText) {
    // Far more backups of one second than any use makes; beyond them something else is wrong.
    constexpr int kAttempts = 1000;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        const QString backup = backupFilePath(appDir, prefix, clockText, attempt);
        const platform::WriteResult copied = platform::copyToNewFile(store::databasePath(appDir), backup);
        if (copied.outcome == platform::WriteOutcome::Written) return backup;
        if (copied.outcome == platform::WriteOutcome::Failed) {
            // The copy has said why it failed.
            qCWarning(lcMaintenance) << "no backup was taken:" << backup;
            return std::nullopt;
        }
    }
    qCWarning(lcMaintenance) << "no backup was taken: every name is taken:"
                             << backupFilePath(appDir, prefix, clockText);
    return std::nullopt;
}

bool BackupCopy(const QString& appDir, const QString& prefix, const QString& clockText) {
    return takeBackup(appDir, prefix, clockText).has_value();
}

}  // namespace tessavo::maintenance
