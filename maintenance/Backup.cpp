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
    return appDir + prefix + backupStamp(clockText) + databaseFileName();
}

bool BackupCopy(const QString& appDir, const QString& prefix, const QString& clockText) {
    const QString backup = backupFilePath(appDir, prefix, clockText);
    if (platform::copyWholeFile(store::databasePath(appDir), backup)) return true;
    // Most callers go on with the change all the same; the copy has said why it failed.
    qCWarning(lcMaintenance) << "no backup was taken:" << backup;
    return false;
}

}  // namespace tessavo::maintenance
