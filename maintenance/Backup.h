#pragma once

#include <QString>
#include <optional>

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

// The name of the `attempt`-th backup of the same prefix and time: backupFilePath(...) for the
// first, then with "_2", "_3", ... after the stamp, so that two backups within the same second
// keep both.
QString backupFilePath(const QString& appDir, const QString& prefix, const QString& clockText, int attempt);

// Copies appDir + "_.udb" to the first free name of backupFilePath(..., attempt): a backup
// never replaces a file, another backup included. The name is taken by the complete copy only,
// so a failure or a kill leaves no part of one. Returns the backup's path; nothing when the
// copy failed (no database file, a name the file system refuses, no room), which only the
// diagnostics say.
std::optional<QString> takeBackup(const QString& appDir, const QString& prefix, const QString& clockText);

// `BackupCopy`: takeBackup(...), silent on failure; the result only tells tests, callers go on
// with their change either way.
bool BackupCopy(const QString& appDir, const QString& prefix, const QString& clockText);

}  // namespace tessavo::maintenance
