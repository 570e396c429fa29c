#pragma once

#include <QString>

#include "maintenance/Unit_DB.h"

// Turning the protection of the database file by the management password on and off. Each is
// one atomic rewrite of the file (rewriteDatabase): a failure or a kill leaves the file readable
// under its old key. The callers take the backup first, as before every destructive change.
namespace tessavo::maintenance {

// Occasion prefixes of the backups taken before protection is turned on or off.
// "加密数据库前备份_bak_"
QString protectionOnBackupPrefix();
// "解密数据库前备份_bak_"
QString protectionOffBackupPrefix();

// Re-keys the file at `path`, opened with `key` (the fixed database password or a protected
// file's key), under a key derived from `password` and a new marked salt; `finish` may change
// the new file before it takes the old one's place. Returns the new key. Also serves the change
// of the management password of a protected file. Throws tessavo::Error.
QString protectDatabase(const QString& path, const QString& key, const QString& password,
                        const RewriteFinish& finish = {});

// Re-keys the protected file at `path`, opened with `key`, under the fixed database password.
// Throws tessavo::Error.
void unprotectDatabase(const QString& path, const QString& key);

}  // namespace tessavo::maintenance
