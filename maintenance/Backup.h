#pragma once

#include <QString>

// Backups of the database file before a change that cannot be undone: a whole copy of "_.udb"
// in the application directory, named after the occasion and the clock panel's time.
namespace tessavo::maintenance {

// Occasion prefixes.
// "删除[" + category + "]分类前备份_bak_", where each "/" and NUL of the category becomes "_",
// so that the backup stays in the application directory whatever the category is called.
QString categoryDeletionBackupPrefix(const QString& category);
// "修改密码前备份_bak_"
QString passwordChangeBackupPrefix();
// "清空数据库前备份_bak_"
QString clearAllBackupPrefix();

// The clock panel's text with every ":", then every " ", then every "-", then every "/" removed.
QString backupStamp(const QString& clockText);

// appDir + prefix + backupStamp(clockText) + "_.udb"; appDir ends with a path separator.
QString backupFilePath(const QString& appDir, const QString& prefix, const QString& clockText);

// `BackupCopy`: copies appDir + "_.udb" to backupFilePath(...), replacing a file of that name.
// The target is either the complete copy or untouched, never half written. A failed copy
// (no database file, a name the file system refuses, no room) is silent; the result only
// tells tests, callers go on with their change either way.
bool BackupCopy(const QString& appDir, const QString& prefix, const QString& clockText);

}  // namespace tessavo::maintenance
